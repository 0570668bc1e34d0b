#include "ui/widget_placements.h"

#include <vector>

#include "ui/ui_screens.h"

namespace {
// Menu buttons stand in one column of seven rows.
constexpr f32 kColumn = 0.87f;
constexpr f32 Row(int k) {
    return 0.30796874f + static_cast<f32>(k) * 0.1015625f;
}

WidgetPlacement At(const char* name, f32 x, f32 y, f32 z = 0.0f) {
    WidgetPlacement p{name};
    p.x = x;
    p.y = y;
    p.z = z;
    return p;
}

WidgetPlacement Sized(WidgetPlacement p, f32 width, f32 height, f32 scaleX = 0.0f,
                      f32 scaleY = 0.0f) {
    p.width = width;
    p.height = height;
    p.scaleX = scaleX;
    p.scaleY = scaleY;
    return p;
}

WidgetPlacement Scaled(WidgetPlacement p, f32 scaleX, f32 scaleY) {
    p.scaleX = scaleX;
    p.scaleY = scaleY;
    return p;
}

WidgetPlacement Stepped(WidgetPlacement p, f32 width, i32 steps) {
    p.width = width;
    p.steps = steps;
    return p;
}

std::vector<WidgetPlacement> Elements() {
    return {
        Sized(At("Black", 0.5f, 0.5f, 1.0f), 16.0f, 16.0f, 1024.0f, 1024.0f),
        Sized(At("White", 0.5f, 0.5f, 1.0f), 16.0f, 16.0f, 1024.0f, 1024.0f),
        Sized(At("VantrelLogo", 0.5f, 0.4f), 984.0f, 246.0f),
        Sized(At("Copyright", 0.5f, 0.75f), 745.0f, 41.0f),
        Sized(At("TeamLogo", 0.5f, 0.5f), 1024.0f, 640.0f),
        Sized(At("PhysxLogo", 0.5f, 0.5f), 400.0f, 140.0f),
        Sized(At("GameLogo", 0.5f, 0.5f), 1024.0f, 640.0f),
        Sized(At("Controls", 0.5f, 0.5f), 1024.0f, 640.0f),
        Sized(At("Loading", 0.5f, 0.925f), 140.0f, 40.0f),
    };
}

std::vector<WidgetPlacement> Buttons() {
    return {
        At("ReturnToGameButton", kColumn, Row(0)),
        At("ReturnToMenuButton", kColumn, Row(1)),
        At("HowToPlayButton", kColumn, Row(2)),
        At("PlayButton", kColumn, Row(2)),
        At("FullscreenButton", kColumn, Row(3)),
        At("3DButton", kColumn, Row(4)),
        At("OptionsButton", kColumn, Row(5)),
        At("QuitButton", kColumn, Row(6)),
        At("ConfirmQuitButton", kColumn, Row(5)),
        At("DeconfirmQuitButton", kColumn, Row(6)),
        At("PlayFeatureFilmButton", kColumn, Row(3)),
        At("PlayEndlessButton", kColumn, Row(4)),
        At("TutorialButton", kColumn, Row(5)),
        At("PlayReturnButton", kColumn, Row(6)),
        At("GraphicsOptionsButton", kColumn, Row(2)),
        At("ControlsOptionsButton", kColumn, Row(3)),
        At("SoundOptionsButton", kColumn, Row(4)),
        At("HighscoreButton", kColumn, Row(5)),
        At("OptionsReturnButton", kColumn, Row(6)),
        At("ConfigureControlsButton", 0.5f, 0.4f),
        At("ApplyButton", 0.25f, 0.9f),
        At("DefaultButton", 0.5f, 0.9f),
        At("CancelButton", 0.75f, 0.9f),
        // The editor's entry sits below the play button's row, between it and the others.
        At("LevelEditorButton", kColumn, Row(1)),
    };
}

std::vector<WidgetPlacement> Sliders() {
    return {
        Stepped(At("ResolutionSlider", 0.7f, 0.1f), 200.0f, 6),
        Stepped(At("ShadowMapSizeSlider", 0.7f, 0.2f), 200.0f, 3),
        Stepped(At("ShadowMapCountSlider", 0.7f, 0.3f), 200.0f, 3),
        Stepped(At("SensitivitySlider", 0.675f, 0.1f), 400.0f, 0),
        Stepped(At("MasterVolumeSlider", 0.65f, 0.2f), 400.0f, 0),
        Stepped(At("SoundFXVolumeSlider", 0.65f, 0.4f), 400.0f, 0),
        Stepped(At("MusicVolumeSlider", 0.65f, 0.6f), 400.0f, 0),
    };
}

std::vector<WidgetPlacement> CheckBoxes() {
    return {
        At("InvertYAxisCheckBox", 0.575f, 0.2f), At("InvertXAxisCheckBox", 0.875f, 0.2f),
        At("ShadowsCheckBox", 0.9f, 0.4f),       At("MotionBlurCheckBox", 0.9f, 0.5f),
        At("DepthOfFieldCheckBox", 0.9f, 0.6f),  At("3DCheckBox", 0.9f, 0.6f),
        At("FullscreenCheckBox", 0.9f, 0.7f),
    };
}

std::vector<WidgetPlacement> Inputs() {
    WidgetPlacement highscore = Scaled(At("HighscoreInput", 0.325f, 0.85f), 1.4f, 1.0f);
    highscore.textScaleX = 0.6f;
    highscore.textScaleY = 0.5f;
    return {
        At("MoveForwardInput", 0.575f, 0.35f), At("MoveBackwardInput", 0.575f, 0.45f),
        At("MoveLeftInput", 0.575f, 0.55f),    At("MoveRightInput", 0.575f, 0.65f),
        At("GrabThrowInput", 0.9f, 0.35f),     At("PunchInput", 0.9f, 0.45f),
        At("JumpInput", 0.9f, 0.55f),          At("LaserInput", 0.9f, 0.65f),
        At("LaserAltInput", 0.9f, 0.75f),      highscore,
    };
}

std::vector<WidgetPlacement> Texts() {
    std::vector<WidgetPlacement> texts = {
        Scaled(At("ResolutionText", 0.3f, 0.1f), 0.35f, 0.5f),
        Scaled(At("ResolutionOutputText", 0.825f, 0.1f), 0.25f, 0.4f),
        Scaled(At("ShadowMapSizeText", 0.3f, 0.2f), 0.3f, 0.5f),
        Scaled(At("ShadowMapSizeOutputText", 0.85f, 0.2f), 0.4f, 0.5f),
        Scaled(At("ShadowMapCountText", 0.3f, 0.3f), 0.29f, 0.5f),
        Scaled(At("ShadowMapCountOutputText", 0.85f, 0.3f), 0.4f, 0.5f),
        At("ShadowsText", 0.55f, 0.4f),
        At("MotionBlurText", 0.55f, 0.5f),
        Scaled(At("DepthOfFieldText", 0.55f, 0.6f), 0.35f, 0.5f),
        At("3DText", 0.55f, 0.6f),
        Scaled(At("3DWarningText", 0.54f, 0.64f), 0.2f, 0.2f),
        At("FullscreenText", 0.55f, 0.7f),
        Scaled(At("ShadowMapWarningText", 0.24f, 0.8f), 0.25f, 0.35f),
        At("InvertYAxisText", 0.35f, 0.2f),
        At("InvertXAxisText", 0.65f, 0.2f),
        At("SensitivityText", 0.2f, 0.1f),
        At("SensitivityOutputText", 0.9f, 0.1f),
        Scaled(At("MoveForwardText", 0.35f, 0.35f), 0.35f, 0.5f),
        Scaled(At("MoveBackwardText", 0.35f, 0.45f), 0.3f, 0.5f),
        At("MoveLeftText", 0.35f, 0.55f),
        At("MoveRightText", 0.35f, 0.65f),
        Scaled(At("GrabThrowText", 0.675f, 0.35f), 0.24f, 0.5f),
        At("PunchText", 0.675f, 0.45f),
        At("JumpText", 0.675f, 0.55f),
        At("LaserText", 0.675f, 0.65f),
        Scaled(At("LaserAltText", 0.675f, 0.75f), 0.275f, 0.5f),
        At("MasterVolumeText", 0.4f, 0.1f),
        At("MasterVolumeOutputText", 0.875f, 0.2f),
        At("SoundFXVolumeText", 0.4f, 0.3f),
        At("SoundFXVolumeOutputText", 0.875f, 0.4f),
        At("MusicVolumeText", 0.4f, 0.5f),
        At("MusicVolumeOutputText", 0.875f, 0.6f),
        Scaled(At("ScoreText", 0.025f, 0.05f), 0.5f, 0.625f),
        At("HighscoreText", 0.45f, 0.85f),
    };
    for (int i = 1; i <= 10; ++i) {
        const f32 y = 0.05f + static_cast<f32>(i - 1) * 0.075f;
        texts.push_back(At(HighscoreNames()[i - 1], 0.325f, y));
        texts.push_back(At(HighscoreValues()[i - 1], 0.425f, y));
    }
    return texts;
}

const std::vector<WidgetPlacement>& Table(WidgetClass widgetClass) {
    static const std::vector<WidgetPlacement> tables[] = {
        Elements(), Buttons(), CheckBoxes(), Sliders(), Texts(), Inputs(),
    };
    return tables[static_cast<int>(widgetClass)];
}

} // namespace

const WidgetPlacement* FindPlacement(WidgetClass widgetClass, const std::string& name) {
    for (const WidgetPlacement& placement : Table(widgetClass)) {
        if (name == placement.name) {
            return &placement;
        }
    }
    return nullptr;
}
