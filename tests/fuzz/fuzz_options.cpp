// The graphics and sound option files: read, written and read back.

#include "content/option_files.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::InputFile(data, size, "options.xml");
    fuzz::CheckRoundTrip<GraphicsOptions>(path, ReadGraphicsOptions, WriteGraphicsOptions,
                                          "graphics options do not read back as written");
    fuzz::CheckRoundTrip<SoundOptions>(path, ReadSoundOptions, WriteSoundOptions,
                                       "sound options do not read back as written");
    return 0;
}
