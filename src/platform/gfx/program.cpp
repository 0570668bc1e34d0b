#include "platform/gfx/program.h"

#include <epoxy/gl.h>

#include <vector>

namespace gfx {

const char* const kVertexPrelude = R"(#version 330 core
vec4 ToGlClip(vec4 p) { return vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w); }
#line 1
)";

const char* const kFragmentPrelude = R"(#version 330 core
#line 1
)";

namespace {

std::string InfoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram) {
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    std::vector<char> text(static_cast<std::size_t>(std::max(length, 1)), '\0');
    if (isProgram) {
        glGetProgramInfoLog(object, length, nullptr, text.data());
    } else {
        glGetShaderInfoLog(object, length, nullptr, text.data());
    }
    return text.data();
}

GLuint Compile(GLenum stage, const std::string& source, std::string* error) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        if (error != nullptr) {
            *error = (stage == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") +
                     InfoLog(shader, false);
        }
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

std::unique_ptr<Program> Program::Create(const std::string& vertex, const std::string& fragment,
                                         std::string* error) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexPrelude + vertex, error);
    if (vs == 0) {
        return nullptr;
    }
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentPrelude + fragment, error);
    if (fs == 0) {
        glDeleteShader(vs);
        return nullptr;
    }
    const GLuint name = glCreateProgram();
    glAttachShader(name, vs);
    glAttachShader(name, fs);
    // Sources may declare the attributes without layout qualifiers; these names keep the
    // fixed locations all the same.
    static constexpr const char* kAttributes[] = {"in_position", "in_normal",   "in_texcoord0",
                                                  "in_tangent",  "in_binormal", "in_colour"};
    for (GLuint i = 0; i < 6; ++i) {
        glBindAttribLocation(name, i, kAttributes[i]);
    }
    glLinkProgram(name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        if (error != nullptr) {
            *error = "link: " + InfoLog(name, true);
        }
        glDeleteProgram(name);
        return nullptr;
    }
    std::unique_ptr<Program> program(new Program());
    program->m_name = name;
    return program;
}

Program::~Program() {
    if (m_name != 0) {
        glDeleteProgram(m_name);
    }
}

void Program::Use() const {
    glUseProgram(m_name);
}

i32 Program::Location(const char* name) const {
    return glGetUniformLocation(m_name, name);
}

void Program::SetMatrix(const char* name, const float m[16]) const {
    Use();
    glUniformMatrix4fv(Location(name), 1, GL_TRUE, m);
}

void Program::SetVector(const char* name, const float v[4]) const {
    Use();
    glUniform4fv(Location(name), 1, v);
}

void Program::SetInt(const char* name, i32 value) const {
    Use();
    glUniform1i(Location(name), value);
}

void Program::SetFloat(const char* name, float value) const {
    Use();
    glUniform1f(Location(name), value);
}

} // namespace gfx
