#include "editor/level_script_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/game_object.h"
#include "core/stream_map.h"

namespace level_script {

namespace {

void AppendQuoted(std::string& out, std::string_view text);

// Numbers go straight into the text through std::to_chars, which never looks at a locale:
// "%.Nf" for the fixed values, "%.6g" (what a stream writes by default) for the others.
template <class T>
void AppendNumber(std::string& out, T value, std::chars_format format, int precision) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    if (error == std::errc()) {
        out.append(buffer, end);
    }
}

void AppendInt(std::string& out, i32 value) {
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error == std::errc()) {
        out.append(buffer, end);
    }
}

constexpr int kStreamPrecision = 6;
constexpr int kFixedPrecision = 4;

void AppendGeneral(std::string& out, double value) {
    AppendNumber(out, value, std::chars_format::general, kStreamPrecision);
}

// An object's values read where they lie, by the stream's own rules (a read past the data
// fails and leaves the destination alone), so a save neither copies nor moves the stream.
class ValueReader {
  public:
    explicit ValueReader(const StreamMap& stream) : m_stream(stream) {}

    template <class T> bool Read(T& value) {
        if (static_cast<u64>(m_at) + sizeof value > m_stream.Size()) {
            return false;
        }
        std::memcpy(&value, m_stream.Data() + m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    // The NUL-terminated text at the cursor; none when the data ends before its NUL.
    bool ReadString(std::string_view& value) {
        if (m_at >= m_stream.Size()) {
            return false;
        }
        const char* const start = reinterpret_cast<const char*>(m_stream.Data()) + m_at;
        const void* const nul = std::memchr(start, 0, m_stream.Size() - m_at);
        if (nul == nullptr) {
            return false;
        }
        value = std::string_view(start, static_cast<const char*>(nul) - start);
        m_at += static_cast<u32>(value.size()) + 1;
        return true;
    }
    u32 At() const { return m_at; }
    bool AtEnd() const { return m_at >= m_stream.Size(); }
    const std::string& Name() const { return m_stream.GetName(m_at); }
    const std::string& Type() const { return m_stream.GetType(m_at); }

  private:
    const StreamMap& m_stream;
    u32 m_at = 0;
};

// One per-object value as the text its Stream call takes; false at a value of no known
// type, where the object's list ends.
bool ValueText(ValueReader& stream, const std::string& type, std::string& out) {
    if (type == "string") {
        std::string_view value;
        stream.ReadString(value);
        AppendQuoted(out, value);
    } else if (type == "int" || type == "long") {
        i32 value = 0;
        stream.Read(value);
        AppendInt(out, value);
    } else if (type == "float") {
        float value = 0.0f;
        stream.Read(value);
        AppendGeneral(out, value);
    } else if (type == "double") {
        double value = 0.0;
        stream.Read(value);
        AppendGeneral(out, value);
    } else if (type == "bool") {
        u8 value = 0;
        stream.Read(value);
        out += value != 0 ? "true" : "false";
    } else if (type == "vector3" || type == "vector4") {
        const int count = type == "vector3" ? 3 : 4;
        float values[4] = {};
        for (int i = 0; i < count; ++i) {
            stream.Read(values[i]);
        }
        out += '"';
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                out += ", ";
            }
            AppendGeneral(out, values[i]);
        }
        out += '"';
    } else {
        return false;
    }
    return true;
}

// The longest fixed text of a float: 39 digits, a sign, a point and four decimals.
constexpr std::size_t kFixedSpace = 48;

// "%.4f" of a float written at p, its end returned, except that what rounds to zero is
// written 0.0000, never -0.0000, so a level saved again after a reload gives the same text.
// The value times 10^4 is exact in a double (24 significant bits times 14), so its integer
// part and remainder give printf's digits, ties rounded to even; values too large for that,
// infinities and NaN go through to_chars.
char* WriteFixed4(char* p, float value) {
    const double scaled = static_cast<double>(value) * 10000.0;
    if (!(std::fabs(scaled) < 1e15)) {
        const auto [end, error] = std::to_chars(p, p + kFixedSpace, static_cast<double>(value),
                                                std::chars_format::fixed, kFixedPrecision);
        return error == std::errc() ? end : p;
    }
    const double whole = std::floor(scaled);
    const double rest = scaled - whole;
    auto units = static_cast<i64>(whole);
    if (rest > 0.5 || (rest == 0.5 && units % 2 != 0)) {
        ++units;
    }
    if (units < 0) {
        *p++ = '-';
        units = -units;
    }
    p = std::to_chars(p, p + kFixedSpace - 6, units / 10000).ptr;
    auto decimals = static_cast<int>(units % 10000);
    *p = '.';
    for (int i = 4; i > 0; --i) {
        p[i] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
    return p + 5;
}

// The values, four decimals each, between commas.
template <std::size_t N> void AppendFixed(std::string& out, const float (&values)[N]) {
    char buffer[N * (kFixedSpace + 2)];
    char* p = buffer;
    for (const float value : values) {
        if (p != buffer) {
            *p++ = ',';
            *p++ = ' ';
        }
        p = WriteFixed4(p, value);
    }
    out.append(buffer, p);
}

void WriteObject(const GameObject& object, std::string& out) {
    out += "object = LuaGameObject( CreateGameObject( ";
    AppendQuoted(out, object.name);
    out += " ) )\n";
    out += "if Valid( object:GetObject( ) ) then\n";
    const Vector& p = object.position;
    out += "  object:SetPosition( ";
    AppendFixed(out, {p.x, p.y, p.z});
    out += " )\n";
    const float x = object.orientation.x;
    const float y = object.orientation.y;
    const float z = object.orientation.z;
    const float w = object.orientation.w;
    out += "  object:SetOrientation( ";
    AppendFixed(out, {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)});
    out += " )\n";
    const Vector& s = object.scale;
    out += "  object:SetScale( ";
    AppendFixed(out, {s.x, s.y, s.z});
    out += " )\n";

    ValueReader stream(object.parameters);
    while (!stream.AtEnd()) {
        const std::string& name = stream.Name();
        const std::string& type = stream.Type();
        const std::size_t start = out.size();
        out += "  object:Stream( ";
        AppendQuoted(out, name);
        out += ", ";
        AppendQuoted(out, type);
        out += ", ";
        const u32 before = stream.At();
        // A value cut short by the end of the data would be read again and again.
        if (!ValueText(stream, type, out) || stream.At() == before) {
            out.resize(start);
            break;
        }
        out += " )\n";
    }
    out += "  object:FinalizeMore( )\n";
    out += "end\n";
}

} // namespace

namespace {

// Quoted(text) appended to out: runs of plain bytes go in whole.
void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c != '\\' && c != '"' && byte >= 0x20 && byte != 0x7f) {
            continue;
        }
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default: {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03u", byte);
            out += escape;
        }
        }
    }
    out.append(text, plain, text.size() - plain);
    out += '"';
}

} // namespace

std::string Quoted(const std::string& text) {
    std::string out;
    AppendQuoted(out, text);
    return out;
}

std::string Text(const std::vector<GameObject*>& objects) {
    std::string out;
    // About 400 bytes an object: one allocation for most levels.
    out.reserve(objects.size() * 512);
    bool first = true;
    for (const GameObject* object : objects) {
        if (!first) {
            out += '\n';
        }
        first = false;
        WriteObject(*object, out);
    }
    return out;
}

bool Write(const std::vector<GameObject*>& objects, const std::string& path) {
    const std::string text = Text(objects);
    const std::string temp = path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace level_script
