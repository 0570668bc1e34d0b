#pragma once
// A measuring aid: the renderer calls it with a pass's name right after issuing the pass,
// so a benchmark can wait for the pass to finish and take its time. Empty in the game.
#include <functional>

using PassProbe = std::function<void(const char* pass)>;

inline void MarkPass(const PassProbe& probe, const char* pass) {
    if (probe) {
        probe(pass);
    }
}
