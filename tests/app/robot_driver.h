#pragma once
// The robot walked in short steps by a scripted player: a movement key pressed briefly, then
// the line where the robot halts says where it stands. A punch, a grab and a throw say so
// too. Never steered by how long a key is held, so a slow build walks the same way.
#include <cstdio>
#include <string>

#include "app/scripted_player.h"

namespace game_process {

struct Spot {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline std::string Where(const Spot& at) {
    return std::to_string(at.x) + ", " + std::to_string(at.y) + ", " + std::to_string(at.z);
}

class RobotDriver {
  public:
    explicit RobotDriver(ScriptedPlayer& player) : m_player(player) {}

    // One short step with key, held for a frame; false when no halt is reported.
    bool Step(const std::string& key) {
        m_player.Send("0.1 tap " + key + "\n");
        return Read("PlayerComponent: halts");
    }

    // Reads where the robot stands when the player takes it over.
    bool TakeOver() { return Read("PlayerComponent: the player steers the robot"); }

    // Taps Punch (P in the WASD bindings) a few times (an arm may still be busy) and reads
    // where the robot stood at the next punch; false when no punch is reported.
    bool Punch() {
        m_player.Send("0.5 tap P\n0.5 tap P\n0.5 tap P\n");
        return Read("PlayerComponent: punches with the ");
    }

    const Spot& At() const { return m_at; }

  private:
    bool Read(const std::string& head) {
        const std::string line = m_player.LineAfter(head);
        const std::size_t place = line.find("at ");
        const char* const numbers = place == std::string::npos ? "" : line.c_str() + place + 3;
        return std::sscanf(numbers, "%f, %f, %f", &m_at.x, &m_at.y, &m_at.z) == 3;
    }

    ScriptedPlayer& m_player;
    Spot m_at;
};

} // namespace game_process
