// The high-score table: read, written and read back.

#include "content/highscore_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::InputFile(data, size, "highscores.xml");
    fuzz::CheckRoundTrip<HighscoreTable>(path, ReadHighscores, WriteHighscores,
                                         "high scores do not read back as written");
    return 0;
}
