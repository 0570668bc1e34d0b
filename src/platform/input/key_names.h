#pragma once
// The names of control codes as the controls page shows them and keyboard_controls.xml's
// readers expect them: the keyboard's scan-code names without their "DIK_" prefix ("SPACE",
// "LSHIFT"), "LEFT MOUSE", "RIGHT MOUSE" and "MOUSE n" for the further buttons.
#include <span>
#include <string>

#include "platform/system/types.h"

namespace input {

struct KeyName {
    u8 code;
    const char* name;
};

// Every named scan code, sorted by name, with the two Alt aliases ("DIK_LALT", "DIK_RALT")
// last so that a code's first record is its usual name.
std::span<const KeyName> KeyNameTable();

// Below 256 the name of the code's first record, " " for a code without one; 256 "LEFT
// MOUSE", 257 "RIGHT MOUSE", above "MOUSE " and code - 255.
std::string KeyNameFromCode(u32 code);
// The inverse; a name that is not known gives 0 (unbound). "MOUSE n" gives 255 + n, and a
// "MOUSE" without a number after it 0.
u32 KeyCodeFromName(const std::string& name);

} // namespace input
