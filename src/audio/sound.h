#pragma once
// A sound file held in memory, cached by the SoundProcess under the path it was asked for.
#include <memory>
#include <string>

#include "core/memory_allocator.h"
#include "core/resource.h"
#include "platform/sound/sound_system.h"

class Sound : public Resource, public Allocator<Sound> {
  public:
    Sound(std::string path, bool stream, std::unique_ptr<sound::Clip> clip)
        : m_path(std::move(path)), m_stream(stream), m_clip(std::move(clip)) {}

    const std::string m_path;
    // Decoded while it plays rather than once at load.
    const bool m_stream;
    const std::unique_ptr<sound::Clip> m_clip;
    // Cleared when a game state ends; set again when the next state asks for the sound.
    // Sounds still clear when unused sounds are released are deleted.
    bool m_in_use = true;
};
