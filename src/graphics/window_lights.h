#pragma once
// Lit windows and their dark twins: a building whose lights went out draws each texture of
// lit windows as its twin with every window dark. The twins are looked up at the first ask,
// which comes from a draw on the render thread.
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gfx {
class Texture;
}

class WindowLights {
  public:
    using Lookup = std::function<gfx::Texture*(const std::string&)>;

    explicit WindowLights(Lookup lookup) : m_lookup(std::move(lookup)) {}

    // The texture drawn in place of `texture` with the lights out: its dark twin, or the
    // texture itself when it has none (null stays null).
    gfx::Texture* Unlit(gfx::Texture* texture);

    // The texture names of lit windows and of their twins.
    static const std::vector<std::pair<std::string, std::string>>& Twins();

  private:
    Lookup m_lookup;
    bool m_resolved = false;
    std::unordered_map<gfx::Texture*, gfx::Texture*> m_twins;
};
