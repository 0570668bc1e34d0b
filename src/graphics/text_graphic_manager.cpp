#include "graphics/text_graphic_manager.h"

#include <algorithm>

#include "graphics/graphics_process.h"
#include "graphics/sprite_component.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kArtFolder = "assets/art/";

} // namespace

void TextGraphic::LayOut(const float* topLeft, const float* bottomRight) {
    if (letters.empty()) {
        return;
    }
    const float w = (bottomRight[0] - topLeft[0]) / static_cast<float>(letters.size());
    const float h = bottomRight[1] - topLeft[1];
    int i = 0;
    for (SpriteComponent* letter : letters) {
        letter->translation[0] = topLeft[0] + static_cast<float>(i) * w;
        letter->translation[1] = topLeft[1];
        // A letter whose image is missing has no size to scale from.
        letter->scaling[0] = letter->width > 0 ? w / static_cast<float>(letter->width) : 1.0f;
        letter->scaling[1] = letter->height > 0 ? h / static_cast<float>(letter->height) : 1.0f;
        ++i;
    }
}

TextGraphicManager::TextGraphicManager(GraphicsProcess* graphicsProcess)
    : graphics(graphicsProcess) {
    const auto set = [this](unsigned char c, const std::string& file) {
        m_letters[c] = kArtFolder + file;
    };
    for (char c = 'A'; c <= 'Z'; ++c) {
        set(static_cast<unsigned char>(c), std::string(1, c) + ".png");
    }
    for (char c = '0'; c <= '9'; ++c) {
        set(static_cast<unsigned char>(c), std::string(1, c) + ".png");
    }
    set(' ', "space.png");
    set('x', "x_.png");
    set('.', "period_formally_known_as_face.png");
    set('%', "%_.png");
    set('_', "__.png");
    set('/', "slash.png");
    set(',', "comma.png");
    set('$', "$.png");
    set(':', "semicolon.png");
    set('(', "left_par.png");
    set(')', "right_par.png");
}

TextGraphicManager::~TextGraphicManager() {
    Clear();
}

TextGraphic* TextGraphicManager::Display(const char* text, const float* topLeft,
                                         const float* bottomRight) {
    if (text == nullptr || text[0] == '\0') {
        sys::LogLine(kEmptyTextLog);
        return nullptr;
    }
    auto* shown = new TextGraphic;
    shown->graphics = graphics;
    for (const char* c = text; *c != '\0'; ++c) {
        const std::string& file = m_letters[static_cast<unsigned char>(*c)];
        if (file.empty()) {
            sys::Log() << "invalid character '" << *c << "' in the string: " << text;
            continue;
        }
        auto* letter = new SpriteComponent(graphics, file.c_str());
        if (graphics != nullptr) {
            graphics->AddSprite(letter);
        }
        shown->letters.push_back(letter);
    }
    shown->LayOut(topLeft, bottomRight);
    texts.push_back(shown);
    return shown;
}

void TextGraphicManager::Undisplay(TextGraphic* text) {
    const auto found = std::find(texts.begin(), texts.end(), text);
    if (found == texts.end()) {
        return;
    }
    for (SpriteComponent* letter : text->letters) {
        if (graphics != nullptr) {
            graphics->RemoveComponent(letter);
        } else {
            delete letter;
        }
    }
    delete text;
    texts.erase(found);
}

void TextGraphicManager::Clear() {
    while (!texts.empty()) {
        Undisplay(texts.front());
    }
}
