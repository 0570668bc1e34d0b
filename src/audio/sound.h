#pragma once
// A sound file held in memory, cached by the SoundProcess under its path.
#include <memory>
#include <string>

#include "core/memory_allocator.h"
#include "core/resource.h"
#include "platform/sound/sound_system.h"

class SoundProcess;

class Sound : public Resource, public Allocator<Sound> {
  public:
    Sound(std::string path, SoundProcess* process, bool stream, std::unique_ptr<sound::Clip> clip)
        : m_process(process), m_path(std::move(path)), m_clip(std::move(clip)), m_stream(stream) {}

    // The loop flag the next start of any instance of the sound uses.
    void SetLoop(bool loop) { m_loop = loop; }

    // Set when a game state ends; cleared when the next state asks for the sound again.
    // Sounds still marked when unused sounds are released are deleted.
    bool m_unused = false;
    SoundProcess* const m_process;
    const std::string m_path;
    // Deleting the clip stops every channel that plays it.
    const std::unique_ptr<sound::Clip> m_clip;
    bool m_loop = false;
    // Set when an instance starts it; no new instance is handed out until the process's
    // next update clears it, which bounds a burst of one effect.
    bool m_started = false;
    // Music; decoded whole like an effect.
    const bool m_stream;
};
