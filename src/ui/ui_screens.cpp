#include "ui/ui_screens.h"

namespace {

void AppendHighscoreRows(std::vector<std::string>& elements) {
    elements.insert(elements.end(), HighscoreNames().begin(), HighscoreNames().end());
    elements.insert(elements.end(), HighscoreValues().begin(), HighscoreValues().end());
}

} // namespace

const std::array<const char*, 10>& HighscoreNames() {
    static const std::array<const char*, 10> names = {
        "HighscoreName1Text", "HighscoreName2Text", "HighscoreName3Text", "HighscoreName4Text",
        "HighscoreName5Text", "HighscoreName6Text", "HighscoreName7Text", "HighscoreName8Text",
        "HighscoreName9Text", "HighscoreName10Text"};
    return names;
}

const std::array<const char*, 10>& HighscoreValues() {
    static const std::array<const char*, 10> values = {
        "HighscoreValue1Text", "HighscoreValue2Text", "HighscoreValue3Text", "HighscoreValue4Text",
        "HighscoreValue5Text", "HighscoreValue6Text", "HighscoreValue7Text", "HighscoreValue8Text",
        "HighscoreValue9Text", "HighscoreValue10Text"};
    return values;
}

std::vector<ScreenRecord> BuildScreenTable() {
    std::vector<ScreenRecord> screens = {
        {"In-Game",
         "ReturnToGameButton",
         {"ReturnToGameButton", "ReturnToMenuButton", "HowToPlayButton", "FullscreenButton",
          "3DButton", "OptionsButton", "QuitButton"}},
        {"In-Game Quit", "DeconfirmQuitButton", {"ConfirmQuitButton", "DeconfirmQuitButton"}},
        // The level editor is entered from the main screen too.
        {"Main",
         "PlayButton",
         {"PlayButton", "FullscreenButton", "3DButton", "OptionsButton", "QuitButton",
          "LevelEditorButton"}},
        {"Options",
         "GraphicsOptionsButton",
         {"GraphicsOptionsButton", "ControlsOptionsButton", "SoundOptionsButton", "HighscoreButton",
          "OptionsReturnButton"}},
        {"Graphics Options",
         "ResolutionSlider",
         {"ResolutionText",
          "ResolutionSlider",
          "ResolutionOutputText",
          "ShadowMapSizeText",
          "ShadowMapSizeSlider",
          "ShadowMapSizeOutputText",
          "ShadowMapCountText",
          "ShadowMapCountSlider",
          "ShadowMapCountOutputText",
          "ShadowsText",
          "ShadowsCheckBox",
          "MotionBlurText",
          "MotionBlurCheckBox",
          "3DText",
          "3DWarningText",
          "3DCheckBox",
          "FullscreenText",
          "FullscreenCheckBox",
          "ShadowMapWarningText",
          "ApplyButton",
          "DefaultButton",
          "CancelButton"}},
        {"Controls Options",
         "InvertYAxisCheckBox",
         {"InvertYAxisText",
          "InvertYAxisCheckBox",
          "InvertXAxisText",
          "InvertXAxisCheckBox",
          "SensitivityText",
          "SensitivitySlider",
          "SensitivityOutputText",
          "MoveForwardText",
          "MoveForwardInput",
          "MoveBackwardText",
          "MoveBackwardInput",
          "MoveLeftText",
          "MoveLeftInput",
          "MoveRightText",
          "MoveRightInput",
          "GrabThrowText",
          "GrabThrowInput",
          "PunchText",
          "PunchInput",
          "JumpText",
          "JumpInput",
          "LaserText",
          "LaserInput",
          "LaserAltText",
          "LaserAltInput",
          "ApplyButton",
          "DefaultButton",
          "CancelButton"}},
        {"Sound Options",
         "MasterVolumeSlider",
         {"MasterVolumeText", "MasterVolumeSlider", "MasterVolumeOutputText", "SoundFXVolumeText",
          "SoundFXVolumeSlider", "SoundFXVolumeOutputText", "MusicVolumeText", "MusicVolumeSlider",
          "MusicVolumeOutputText", "ApplyButton", "DefaultButton", "CancelButton"}},
        {"Main Quit", "DeconfirmQuitButton", {"ConfirmQuitButton", "DeconfirmQuitButton"}},
        {"Main Play",
         "PlayFeatureFilmButton",
         {"PlayFeatureFilmButton", "PlayEndlessButton", "TutorialButton", "PlayReturnButton"}},
        {"Display Controls", "", {"Controls"}},
        {"Highscore", "", {}},
        {"Highscore Display", "", {}},
    };
    std::vector<std::string>& entry = screens[10].elements;
    AppendHighscoreRows(entry);
    entry.push_back("HighscoreInput");
    entry.push_back("HighscoreText");
    std::vector<std::string>& display = screens[11].elements;
    AppendHighscoreRows(display);
    display.push_back("CancelButton");
    return screens;
}
