#pragma once
// The characters of the keys on a US keyboard. Caps lock shifts letters only.
#include "platform/system/types.h"

namespace input {

// 0 when the key types no character (modifiers, function keys, arrows).
char KeyToAscii(u8 code, bool shift, bool capsLock);

} // namespace input
