#pragma once
// The old-film look over the picture: dust and scratch specks re-rolled 24 times a second,
// and a seven-second burn-through of the film whose spots grow while the exposure rises.
// Both draw their sprites in one sprite batch each among the renderer's overlays.

#include <list>
#include <vector>

#include "core/types.h"

class GraphicsProcess;
class SpriteBatch;
class SpriteComponent;

class FilmDust {
  public:
    static constexpr u32 kSpriteCount = 40;
    static constexpr i32 kCell = 42;
    static constexpr const char* kImage = "assets/art/filmdust2.png";

    // Without a renderer the sprites have no texture (tests).
    FilmDust(GraphicsProcess* graphics, SpriteBatch* batch);
    ~FilmDust();
    FilmDust(const FilmDust&) = delete;
    FilmDust& operator=(const FilmDust&) = delete;

    // Every whole 1/24 s the time shared by all dust has gathered, each speck is re-rolled
    // with a chance of one in twenty and hidden otherwise.
    void Update(float dt);
    void Render();

    // The shared time back to 0 (tests).
    static void ResetClock();
    const std::vector<SpriteComponent*>& Sprites() const { return sprites; }
    // How many 1/24 s ticks have run.
    u32 Ticks() const { return m_ticks; }

  private:
    void Reroll(SpriteComponent& sprite) const;

    std::vector<SpriteComponent*> sprites;
    GraphicsProcess* graphics;
    SpriteBatch* spriteRenderer;
    u32 m_ticks = 0;
};

class FilmBurn {
  public:
    static constexpr u32 kSpriteCount = 40;
    static constexpr float kDuration = 7.0f;
    static constexpr const char* kImage = "assets/art/filmburnwhite2.png";

    FilmBurn(GraphicsProcess* graphics, SpriteBatch* batch);
    ~FilmBurn();
    FilmBurn(const FilmBurn&) = delete;
    FilmBurn& operator=(const FilmBurn&) = delete;

    // (Re)starts the seven seconds with the spots as they are, keeping the exposure of now
    // to put back at the end.
    void Start();
    void Update(float dt);
    void Render();

    bool IsActive() const { return active; }
    float Time() const { return time; }
    const std::list<SpriteComponent*>& Sprites() const { return sprites; }
    // The values shared by every burn (tests reset them).
    static float StepTimer();
    static float SavedExposure();
    static void ResetShared();

  private:
    // A starting spot (follows null) is black at a random place; a following spot is grey on
    // the spot it follows, half its size.
    void PlaceSpot(SpriteComponent& spot, const SpriteComponent* follows) const;

    std::list<SpriteComponent*> sprites;
    GraphicsProcess* graphics;
    SpriteBatch* spriteRenderer;
    float time = 0.0f;
    bool active = false;
};
