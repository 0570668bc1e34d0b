#pragma once
// Key codes of the game's key array. They are the keyboard's set-1 scan codes, with 0x80
// added for the extended (E0-prefixed) keys: the values keyboard_controls.xml stores and
// DirectInput used. Codes 256 and up name mouse buttons in control bindings.
#include "platform/system/types.h"

namespace input {

constexpr u32 kKeyCount = 256;
constexpr u32 kMouseButtonCount = 4;
// A key or mouse button that is down reads this bit in the arrays a device fills.
constexpr u8 kDown = 0x80;

namespace key {
constexpr u8 Escape = 0x01;
constexpr u8 Digit1 = 0x02;
constexpr u8 Digit2 = 0x03;
constexpr u8 Digit3 = 0x04;
constexpr u8 Digit4 = 0x05;
constexpr u8 Digit5 = 0x06;
constexpr u8 Digit6 = 0x07;
constexpr u8 Digit7 = 0x08;
constexpr u8 Digit8 = 0x09;
constexpr u8 Digit9 = 0x0A;
constexpr u8 Digit0 = 0x0B;
constexpr u8 Minus = 0x0C;
constexpr u8 Equals = 0x0D;
constexpr u8 Backspace = 0x0E;
constexpr u8 Tab = 0x0F;
constexpr u8 Q = 0x10;
constexpr u8 W = 0x11;
constexpr u8 E = 0x12;
constexpr u8 R = 0x13;
constexpr u8 T = 0x14;
constexpr u8 Y = 0x15;
constexpr u8 U = 0x16;
constexpr u8 I = 0x17;
constexpr u8 O = 0x18;
constexpr u8 P = 0x19;
constexpr u8 LeftBracket = 0x1A;
constexpr u8 RightBracket = 0x1B;
constexpr u8 Enter = 0x1C;
constexpr u8 LeftControl = 0x1D;
constexpr u8 A = 0x1E;
constexpr u8 S = 0x1F;
constexpr u8 D = 0x20;
constexpr u8 F = 0x21;
constexpr u8 G = 0x22;
constexpr u8 H = 0x23;
constexpr u8 J = 0x24;
constexpr u8 K = 0x25;
constexpr u8 L = 0x26;
constexpr u8 Semicolon = 0x27;
constexpr u8 Apostrophe = 0x28;
constexpr u8 Grave = 0x29;
constexpr u8 LeftShift = 0x2A;
constexpr u8 Backslash = 0x2B;
constexpr u8 Z = 0x2C;
constexpr u8 X = 0x2D;
constexpr u8 C = 0x2E;
constexpr u8 V = 0x2F;
constexpr u8 B = 0x30;
constexpr u8 N = 0x31;
constexpr u8 M = 0x32;
constexpr u8 Comma = 0x33;
constexpr u8 Period = 0x34;
constexpr u8 Slash = 0x35;
constexpr u8 RightShift = 0x36;
constexpr u8 NumpadMultiply = 0x37;
constexpr u8 LeftAlt = 0x38;
constexpr u8 Space = 0x39;
constexpr u8 CapsLock = 0x3A;
constexpr u8 F1 = 0x3B;
constexpr u8 F2 = 0x3C;
constexpr u8 F3 = 0x3D;
constexpr u8 F4 = 0x3E;
constexpr u8 F5 = 0x3F;
constexpr u8 F6 = 0x40;
constexpr u8 F7 = 0x41;
constexpr u8 F8 = 0x42;
constexpr u8 F9 = 0x43;
constexpr u8 F10 = 0x44;
constexpr u8 NumLock = 0x45;
constexpr u8 ScrollLock = 0x46;
constexpr u8 Numpad7 = 0x47;
constexpr u8 Numpad8 = 0x48;
constexpr u8 Numpad9 = 0x49;
constexpr u8 NumpadMinus = 0x4A;
constexpr u8 Numpad4 = 0x4B;
constexpr u8 Numpad5 = 0x4C;
constexpr u8 Numpad6 = 0x4D;
constexpr u8 NumpadPlus = 0x4E;
constexpr u8 Numpad1 = 0x4F;
constexpr u8 Numpad2 = 0x50;
constexpr u8 Numpad3 = 0x51;
constexpr u8 Numpad0 = 0x52;
constexpr u8 NumpadPeriod = 0x53;
constexpr u8 IsoBackslash = 0x56; // the extra key beside left shift on ISO keyboards
constexpr u8 F11 = 0x57;
constexpr u8 F12 = 0x58;
constexpr u8 F13 = 0x64;
constexpr u8 F14 = 0x65;
constexpr u8 F15 = 0x66;
constexpr u8 Kana = 0x70;
constexpr u8 Ro = 0x73;
constexpr u8 Henkan = 0x79;
constexpr u8 Muhenkan = 0x7B;
constexpr u8 Yen = 0x7D;
constexpr u8 NumpadEquals = 0x8D;
constexpr u8 PreviousTrack = 0x90;
constexpr u8 NextTrack = 0x99;
constexpr u8 NumpadEnter = 0x9C;
constexpr u8 RightControl = 0x9D;
constexpr u8 Mute = 0xA0;
constexpr u8 Calculator = 0xA1;
constexpr u8 PlayPause = 0xA2;
constexpr u8 MediaStop = 0xA4;
constexpr u8 VolumeDown = 0xAE;
constexpr u8 VolumeUp = 0xB0;
constexpr u8 WebHome = 0xB2;
constexpr u8 NumpadComma = 0xB3;
constexpr u8 NumpadDivide = 0xB5;
constexpr u8 PrintScreen = 0xB7;
constexpr u8 RightAlt = 0xB8;
constexpr u8 Pause = 0xC5;
constexpr u8 Home = 0xC7;
constexpr u8 Up = 0xC8;
constexpr u8 PageUp = 0xC9;
constexpr u8 Left = 0xCB;
constexpr u8 Right = 0xCD;
constexpr u8 End = 0xCF;
constexpr u8 Down = 0xD0;
constexpr u8 PageDown = 0xD1;
constexpr u8 Insert = 0xD2;
constexpr u8 Delete = 0xD3;
constexpr u8 LeftGui = 0xDB;
constexpr u8 RightGui = 0xDC;
constexpr u8 Menu = 0xDD;
constexpr u8 Power = 0xDE;
constexpr u8 Sleep = 0xDF;
constexpr u8 WebSearch = 0xE5;
constexpr u8 WebBookmarks = 0xE6;
constexpr u8 WebRefresh = 0xE7;
constexpr u8 WebStop = 0xE8;
constexpr u8 WebForward = 0xE9;
constexpr u8 WebBack = 0xEA;
constexpr u8 Computer = 0xEB;
constexpr u8 Mail = 0xEC;
constexpr u8 MediaSelect = 0xED;
} // namespace key

// Mouse buttons in the order of the game's mouse arrays.
namespace mouse {
constexpr u32 Left = 0;
constexpr u32 Right = 1;
constexpr u32 Middle = 2;
constexpr u32 X1 = 3;
} // namespace mouse

} // namespace input
