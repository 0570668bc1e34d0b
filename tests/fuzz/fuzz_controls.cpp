// The keyboard controls file: read, written and read back.

#include "content/option_files.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::InputFile(data, size, "keyboard_controls.xml");
    fuzz::CheckRoundTrip<KeyBindings>(path, ReadKeyBindings, WriteKeyBindings,
                                      "controls do not read back as written");
    return 0;
}
