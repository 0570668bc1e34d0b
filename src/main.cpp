// The program: one Game, one frame per Update until it says the game is over. The command
// line is not read.

#include "app/game.h"

#if defined(__SANITIZE_ADDRESS__)
// Mesa's driver leaves a few bytes that LeakSanitizer reports from an unknown module once
// the driver is unloaded; keeping shared objects loaded keeps their symbols for the report.
extern "C" int dlclose(void*) {
    return 0;
}
#endif

int main() {
    Game game;
    while (game.Update()) {
    }
    return 0;
}
