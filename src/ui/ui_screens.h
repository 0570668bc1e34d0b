#pragma once
// The screens of the user interface: each a name, the element that takes the focus when it
// shows (may be empty) and the element names it creates, in display order.
#include <array>
#include <string>
#include <vector>

struct ScreenRecord {
    std::string name;
    std::string focus;
    std::vector<std::string> elements;
};

// Every screen, in a fixed order.
std::vector<ScreenRecord> BuildScreenTable();

// "HighscoreName1Text" .. "HighscoreName10Text" and "HighscoreValue1Text" ..
// "HighscoreValue10Text".
const std::array<const char*, 10>& HighscoreNames();
const std::array<const char*, 10>& HighscoreValues();
