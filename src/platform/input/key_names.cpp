#include "platform/input/key_names.h"

#include <array>
#include <cctype>

namespace input {

namespace {

constexpr u32 kLeftMouse = 256;
constexpr u32 kRightMouse = 257;
constexpr u32 kMouseBase = 255;
constexpr const char* kPrefix = "DIK_";
constexpr std::size_t kPrefixLength = 4;

constexpr std::array<KeyName, 146> kKeyNames = {{
    {0x0B, "DIK_0"},
    {0x02, "DIK_1"},
    {0x03, "DIK_2"},
    {0x04, "DIK_3"},
    {0x05, "DIK_4"},
    {0x06, "DIK_5"},
    {0x07, "DIK_6"},
    {0x08, "DIK_7"},
    {0x09, "DIK_8"},
    {0x0A, "DIK_9"},
    {0x1E, "DIK_A"},
    {0x73, "DIK_ABNT_C1"},
    {0x7E, "DIK_ABNT_C2"},
    {0x4E, "DIK_ADD"},
    {0x28, "DIK_APOSTROPHE"},
    {0xDD, "DIK_APPS"},
    {0x91, "DIK_AT"},
    {0x96, "DIK_AX"},
    {0x30, "DIK_B"},
    {0x0E, "DIK_BACK"},
    {0x2B, "DIK_BACKSLASH"},
    {0x2E, "DIK_C"},
    {0xA1, "DIK_CALCULATOR"},
    {0x3A, "DIK_CAPITAL"},
    {0x92, "DIK_COLON"},
    {0x33, "DIK_COMMA"},
    {0x79, "DIK_CONVERT"},
    {0x20, "DIK_D"},
    {0x53, "DIK_DECIMAL"},
    {0xD3, "DIK_DELETE"},
    {0xB5, "DIK_DIVIDE"},
    {0xD0, "DIK_DOWN"},
    {0x12, "DIK_E"},
    {0xCF, "DIK_END"},
    {0x0D, "DIK_EQUALS"},
    {0x01, "DIK_ESCAPE"},
    {0x21, "DIK_F"},
    {0x3B, "DIK_F1"},
    {0x3C, "DIK_F2"},
    {0x3D, "DIK_F3"},
    {0x3E, "DIK_F4"},
    {0x3F, "DIK_F5"},
    {0x40, "DIK_F6"},
    {0x41, "DIK_F7"},
    {0x42, "DIK_F8"},
    {0x43, "DIK_F9"},
    {0x44, "DIK_F10"},
    {0x57, "DIK_F11"},
    {0x58, "DIK_F12"},
    {0x64, "DIK_F13"},
    {0x65, "DIK_F14"},
    {0x66, "DIK_F15"},
    {0x22, "DIK_G"},
    {0x29, "DIK_GRAVE"},
    {0x23, "DIK_H"},
    {0xC7, "DIK_HOME"},
    {0x17, "DIK_I"},
    {0xD2, "DIK_INSERT"},
    {0x24, "DIK_J"},
    {0x25, "DIK_K"},
    {0x70, "DIK_KANA"},
    {0x94, "DIK_KANJI"},
    {0x26, "DIK_L"},
    {0x1A, "DIK_LBRACKET"},
    {0x1D, "DIK_LCONTROL"},
    {0xCB, "DIK_LEFT"},
    {0x38, "DIK_LMENU"},
    {0x2A, "DIK_LSHIFT"},
    {0xDB, "DIK_LWIN"},
    {0x32, "DIK_M"},
    {0xEC, "DIK_MAIL"},
    {0xED, "DIK_MEDIASELECT"},
    {0xA4, "DIK_MEDIASTOP"},
    {0x0C, "DIK_MINUS"},
    {0x37, "DIK_MULTIPLY"},
    {0xA0, "DIK_MUTE"},
    {0xEB, "DIK_MYCOMPUTER"},
    {0x31, "DIK_N"},
    {0xD1, "DIK_NEXT"},
    {0x99, "DIK_NEXTTRACK"},
    {0x7B, "DIK_NOCONVERT"},
    {0x45, "DIK_NUMLOCK"},
    {0x52, "DIK_NUMPAD0"},
    {0x4F, "DIK_NUMPAD1"},
    {0x50, "DIK_NUMPAD2"},
    {0x51, "DIK_NUMPAD3"},
    {0x4B, "DIK_NUMPAD4"},
    {0x4C, "DIK_NUMPAD5"},
    {0x4D, "DIK_NUMPAD6"},
    {0x47, "DIK_NUMPAD7"},
    {0x48, "DIK_NUMPAD8"},
    {0x49, "DIK_NUMPAD9"},
    {0xB3, "DIK_NUMPADCOMMA"},
    {0x9C, "DIK_NUMPADENTER"},
    {0x8D, "DIK_NUMPADEQUALS"},
    {0x18, "DIK_O"},
    {0x56, "DIK_OEM_102"},
    {0x19, "DIK_P"},
    {0xC5, "DIK_PAUSE"},
    {0x34, "DIK_PERIOD"},
    {0xA2, "DIK_PLAYPAUSE"},
    {0xDE, "DIK_POWER"},
    {0x90, "DIK_PREVTRACK"},
    {0xC9, "DIK_PRIOR"},
    {0x10, "DIK_Q"},
    {0x13, "DIK_R"},
    {0x1B, "DIK_RBRACKET"},
    {0x9D, "DIK_RCONTROL"},
    {0x1C, "DIK_RETURN"},
    {0xCD, "DIK_RIGHT"},
    {0xB8, "DIK_RMENU"},
    {0x36, "DIK_RSHIFT"},
    {0xDC, "DIK_RWIN"},
    {0x1F, "DIK_S"},
    {0x46, "DIK_SCROLL"},
    {0x27, "DIK_SEMICOLON"},
    {0x35, "DIK_SLASH"},
    {0xDF, "DIK_SLEEP"},
    {0x39, "DIK_SPACE"},
    {0x95, "DIK_STOP"},
    {0x4A, "DIK_SUBTRACT"},
    {0xB7, "DIK_SYSRQ"},
    {0x14, "DIK_T"},
    {0x0F, "DIK_TAB"},
    {0x16, "DIK_U"},
    {0x93, "DIK_UNDERLINE"},
    {0x97, "DIK_UNLABELED"},
    {0xC8, "DIK_UP"},
    {0x2F, "DIK_V"},
    {0xAE, "DIK_VOLUMEDOWN"},
    {0xB0, "DIK_VOLUMEUP"},
    {0x11, "DIK_W"},
    {0xE3, "DIK_WAKE"},
    {0xEA, "DIK_WEBBACK"},
    {0xE6, "DIK_WEBFAVORITES"},
    {0xE9, "DIK_WEBFORWARD"},
    {0xB2, "DIK_WEBHOME"},
    {0xE7, "DIK_WEBREFRESH"},
    {0xE5, "DIK_WEBSEARCH"},
    {0xE8, "DIK_WEBSTOP"},
    {0x2D, "DIK_X"},
    {0x15, "DIK_Y"},
    {0x7D, "DIK_YEN"},
    {0x2C, "DIK_Z"},
    {0x38, "DIK_LALT"},
    {0xB8, "DIK_RALT"},
}};

} // namespace

std::span<const KeyName> KeyNameTable() {
    return kKeyNames;
}

std::string KeyNameFromCode(u32 code) {
    if (code == kLeftMouse) {
        return "LEFT MOUSE";
    }
    if (code == kRightMouse) {
        return "RIGHT MOUSE";
    }
    if (code > kRightMouse) {
        return "MOUSE " + std::to_string(code - kMouseBase);
    }
    for (const KeyName& key : kKeyNames) {
        if (key.code == code) {
            return key.name + kPrefixLength;
        }
    }
    return " ";
}

u32 KeyCodeFromName(const std::string& name) {
    if (name.find("MOUSE") != std::string::npos) {
        if (name == "LEFT MOUSE") {
            return kLeftMouse;
        }
        if (name == "RIGHT MOUSE") {
            return kRightMouse;
        }
        // "MOUSE n": the number after the first six characters. Without one the control is
        // left unbound rather than given a code no button has.
        const std::string rest = name.size() > 6 ? name.substr(6) : std::string();
        std::size_t digits = 0;
        while (digits < rest.size() && digits < 9 &&
               std::isdigit(static_cast<unsigned char>(rest[digits])) != 0) {
            ++digits;
        }
        const u32 n = digits == 0 ? 0 : static_cast<u32>(std::stoul(rest.substr(0, digits)));
        return n == 0 ? 0 : n + kMouseBase;
    }
    const std::string full = kPrefix + name;
    for (const KeyName& key : kKeyNames) {
        if (full == key.name) {
            return key.code;
        }
    }
    return 0;
}

} // namespace input
