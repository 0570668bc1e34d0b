// The looks of the menu widgets beyond the plain buttons: the buttons of the option pages,
// check boxes, sliders and input fields. Included by make_content.cpp after its Image and
// WriteButton, in the same style.
#pragma once

void WriteOptionButtons(const fs::path& ui) {
    const std::pair<const char*, const char*> buttons[] = {
        {"button_graphics", "GRAPHICS"},
        {"button_controls", "CONTROLS"},
        {"button_sound", "SOUND"},
        {"button_highscores", "HIGH SCORES"},
        {"button_apply", "APPLY"},
        {"button_default", "DEFAULT"},
        {"button_cancel", "CANCEL"},
        {"button_configure", "CONFIGURE"},
        {"button_level_editor", "LEVEL EDITOR"},
    };
    for (const auto& [file, label] : buttons) {
        WriteButton(ui, file, label);
    }
}

// Check box: empty and ticked, each plain and highlighted.
void WriteCheckBox(const fs::path& ui) {
    const Colour frames[] = {{210, 210, 220}, {255, 140, 30}};
    const char* suffixes[] = {"", "_over"};
    for (int checked = 0; checked < 2; ++checked) {
        for (int over = 0; over < 2; ++over) {
            Image box(50, 50);
            box.FillRect(4, 4, 46, 46, frames[over]);
            box.FillRect(8, 8, 42, 42, {15, 15, 30, 220});
            if (checked != 0) {
                box.Line(14, 26, 22, 36, 5, kWhite);
                box.Line(22, 36, 37, 14, 5, kWhite);
            }
            WritePng(ui / (std::string(checked != 0 ? "checkbox_checked" : "checkbox") +
                           suffixes[over] + ".png"),
                     box);
        }
    }
}

// Slider: a track for each width the pages use and a knob plain, highlighted and pressed.
void WriteSlider(const fs::path& ui) {
    for (const auto& [file, width] : {std::pair<const char*, int>{"slider_track", 200},
                                      std::pair<const char*, int>{"slider_track_wide", 400}}) {
        Image track(width, 24);
        track.FillRect(0, 9, width, 15, {120, 120, 140, 200});
        track.FillRect(0, 11, width, 13, {210, 210, 220});
        WritePng(ui / (std::string(file) + ".png"), track);
    }
    const std::pair<const char*, Colour> knobs[] = {{"slider_knob", {210, 210, 220}},
                                                    {"slider_knob_over", {255, 140, 30}},
                                                    {"slider_knob_pressed", kWhite}};
    for (const auto& [file, colour] : knobs) {
        Image knob(24, 24);
        knob.FillCircle(12.0f, 12.0f, 10.5f, colour);
        knob.FillCircle(12.0f, 12.0f, 5.0f, {15, 15, 30, 220});
        WritePng(ui / (std::string(file) + ".png"), knob);
    }
}

// Input field: the box plain, highlighted, and while it takes a key.
void WriteInputField(const fs::path& ui) {
    const std::pair<const char*, Colour> looks[] = {{"input", {120, 120, 140, 200}},
                                                    {"input_over", {255, 140, 30, 220}},
                                                    {"input_edit", kWhite}};
    for (const auto& [file, frame] : looks) {
        Image field(150, 50);
        field.FillRect(0, 0, 150, 50, frame);
        field.FillRect(3, 3, 147, 47, {15, 15, 30, 220});
        WritePng(ui / (std::string(file) + ".png"), field);
    }
}

void WriteWidgetLooks(const fs::path& ui) {
    WriteOptionButtons(ui);
    WriteCheckBox(ui);
    WriteSlider(ui);
    WriteInputField(ui);
}
