#pragma once
// A linked GLSL program. Every program sees the fixed attribute locations (position 0,
// normal 1, texcoord0 2, tangent 3, binormal 4, colour 5) and every vertex shader may end
// with ToGlClip, the helper that turns a clip position computed the game's way (row vectors,
// clip z from 0 to 1, row 0 at the top) into GL's.
//
// Render thread only: creating and using a program needs the context.
#include <memory>
#include <string>

#include "platform/system/types.h"

namespace gfx {

// "#version 330 core" and ToGlClip; vertex sources are appended to it.
extern const char* const kVertexPrelude;
// "#version 330 core"; fragment sources are appended to it.
extern const char* const kFragmentPrelude;

class Program {
  public:
    // The sources are appended to the preludes. Null, with the compiler's text in *error
    // when given, when either stage does not compile or the program does not link.
    static std::unique_ptr<Program> Create(const std::string& vertex, const std::string& fragment,
                                           std::string* error = nullptr);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    u32 Name() const { return m_name; }
    void Use() const;
    // The setters use the program first; a name the program lacks is ignored, as GL does.
    // Matrices are given row-major as the game keeps them, so the shader computes v * M.
    void SetMatrix(const char* name, const float m[16]) const;
    void SetVector(const char* name, const float v[4]) const;
    void SetInt(const char* name, i32 value) const;
    void SetFloat(const char* name, float value) const;

  private:
    Program() = default;
    i32 Location(const char* name) const;

    u32 m_name = 0;
};

} // namespace gfx
