#pragma once
// The renderer's debug and tuning keys read the frame's key states through these, so every
// part of the renderer agrees on what a press and a hold are.
#include "core/types.h"
#include "game/input_state.h"

namespace key_state {

// Went down this frame.
inline bool Pressed(const InputState& input, u8 key) {
    return input.m_keys[key] == INPUT_PRESSED;
}

// Down since an earlier frame.
inline bool Held(const InputState& input, u8 key) {
    return input.m_keys[key] == INPUT_HELD;
}

// Down at all: pressed this frame or held.
inline bool Down(const InputState& input, u8 key) {
    return Pressed(input, key) || Held(input, key);
}

} // namespace key_state
