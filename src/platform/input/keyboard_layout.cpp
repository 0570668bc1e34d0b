#include "platform/input/keyboard_layout.h"

#include "platform/input/keys.h"

namespace input {
namespace {

struct KeyChars {
    u8 code;
    char plain;
    char shifted;
};

constexpr KeyChars kSymbols[] = {
    {key::Digit1, '1', '!'},         {key::Digit2, '2', '@'},       {key::Digit3, '3', '#'},
    {key::Digit4, '4', '$'},         {key::Digit5, '5', '%'},       {key::Digit6, '6', '^'},
    {key::Digit7, '7', '&'},         {key::Digit8, '8', '*'},       {key::Digit9, '9', '('},
    {key::Digit0, '0', ')'},         {key::Minus, '-', '_'},        {key::Equals, '=', '+'},
    {key::LeftBracket, '[', '{'},    {key::RightBracket, ']', '}'}, {key::Semicolon, ';', ':'},
    {key::Apostrophe, '\'', '"'},    {key::Grave, '`', '~'},        {key::Backslash, '\\', '|'},
    {key::IsoBackslash, '\\', '|'},  {key::Comma, ',', '<'},        {key::Period, '.', '>'},
    {key::Slash, '/', '?'},          {key::Space, ' ', ' '},        {key::Enter, '\r', '\r'},
    {key::NumpadEnter, '\r', '\r'},  {key::Backspace, '\b', '\b'},  {key::Tab, '\t', '\t'},
    {key::Escape, 27, 27},           {key::Numpad0, '0', '0'},      {key::Numpad1, '1', '1'},
    {key::Numpad2, '2', '2'},        {key::Numpad3, '3', '3'},      {key::Numpad4, '4', '4'},
    {key::Numpad5, '5', '5'},        {key::Numpad6, '6', '6'},      {key::Numpad7, '7', '7'},
    {key::Numpad8, '8', '8'},        {key::Numpad9, '9', '9'},      {key::NumpadPeriod, '.', '.'},
    {key::NumpadMultiply, '*', '*'}, {key::NumpadMinus, '-', '-'},  {key::NumpadPlus, '+', '+'},
    {key::NumpadDivide, '/', '/'},
};

// Letters by scan code, row by row as they lie on the keyboard.
constexpr struct {
    u8 first;
    const char* letters;
} kLetterRows[] = {{key::Q, "qwertyuiop"}, {key::A, "asdfghjkl"}, {key::Z, "zxcvbnm"}};

} // namespace

char KeyToAscii(u8 code, bool shift, bool capsLock) {
    for (const auto& row : kLetterRows) {
        for (u8 i = 0; row.letters[i] != '\0'; ++i) {
            if (code == row.first + i) {
                const char letter = row.letters[i];
                return (shift != capsLock) ? static_cast<char>(letter - 'a' + 'A') : letter;
            }
        }
    }
    for (const KeyChars& k : kSymbols) {
        if (k.code == code) {
            return shift ? k.shifted : k.plain;
        }
    }
    return 0;
}

} // namespace input
