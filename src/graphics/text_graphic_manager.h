#pragma once
// Text on the screen without a font: one image per character, shown as a row of letter
// sprites spread evenly over a rectangle. The renderer owns the one manager and answers the
// display and undisplay messages with it.

#include <array>
#include <list>
#include <string>

#include "graphics/text_graphic.h"

class GraphicsProcess;

class TextGraphicManager {
  public:
    static constexpr const char* kEmptyTextLog =
        "String provided to TextGraphicManager::Display is not valid.";

    explicit TextGraphicManager(GraphicsProcess* graphicsProcess);
    ~TextGraphicManager();
    TextGraphicManager(const TextGraphicManager&) = delete;
    TextGraphicManager& operator=(const TextGraphicManager&) = delete;

    // Null for an empty or missing text. Characters without an image are logged and take no
    // place; the letters go into the renderer's sprite list.
    TextGraphic* Display(const char* text, const float* topLeft, const float* bottomRight);
    // A text that is not displayed (or was undisplayed already) is ignored.
    void Undisplay(TextGraphic* text);
    void Clear();

    // The image of a character, or empty when it has none.
    const std::string& LetterFile(unsigned char character) const { return m_letters[character]; }
    const std::list<TextGraphic*>& Texts() const { return texts; }

  private:
    std::array<std::string, 256> m_letters;
    std::list<TextGraphic*> texts;
    GraphicsProcess* graphics;
};
