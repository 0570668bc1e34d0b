#include "editor/level_script_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <system_error>

#include "core/game_object.h"
#include "core/stream_map.h"

namespace level_script {

namespace {

void AppendQuoted(std::string& out, const std::string& text);

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

// One per-object value as the text its Stream call takes; false at a value of no known
// type, where the object's list ends.
bool ValueText(StreamMap& stream, const std::string& type, std::string& out) {
    if (type == "string") {
        std::string value;
        stream.ReadString(value);
        AppendQuoted(out, value);
    } else if (type == "int" || type == "long") {
        i32 value = 0;
        stream.ReadInt(value);
        AppendInt(out, value);
    } else if (type == "float") {
        float value = 0.0f;
        stream.ReadFloat(value);
        AppendGeneral(out, value);
    } else if (type == "double") {
        double value = 0.0;
        stream.ReadDouble(value);
        AppendGeneral(out, value);
    } else if (type == "bool") {
        bool value = false;
        stream.ReadBool(value);
        out += value ? "true" : "false";
    } else if (type == "vector3" || type == "vector4") {
        const int count = type == "vector3" ? 3 : 4;
        float values[4] = {};
        for (int i = 0; i < count; ++i) {
            stream.ReadFloat(values[i]);
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

// Values that round to zero are written as 0.0000, never -0.0000, so a level saved again
// after a reload gives the same text.
float Tidy(float value) {
    return std::fabs(value) < 0.00005f ? 0.0f : value;
}

// The values, tidied, four decimals each, between commas.
void AppendFixed(std::string& out, std::initializer_list<float> values) {
    bool first = true;
    for (const float value : values) {
        if (!first) {
            out += ", ";
        }
        first = false;
        AppendNumber(out, static_cast<double>(Tidy(value)), std::chars_format::fixed,
                     kFixedPrecision);
    }
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

    StreamMap stream(object.parameters);
    stream.BeginRead();
    std::string value;
    while (stream.Cursor() < stream.Size()) {
        const std::string name = stream.GetCurrentName();
        const std::string type = stream.GetCurrentType();
        value.clear();
        const u32 before = stream.Cursor();
        // A value cut short by the end of the data would be read again and again.
        if (!ValueText(stream, type, value) || stream.Cursor() == before) {
            break;
        }
        out += "  object:Stream( ";
        AppendQuoted(out, name);
        out += ", ";
        AppendQuoted(out, type);
        out += ", ";
        out += value;
        out += " )\n";
    }
    out += "  object:FinalizeMore( )\n";
    out += "end\n";
}

} // namespace

namespace {

// Quoted(text) appended to out: runs of plain bytes go in whole.
void AppendQuoted(std::string& out, const std::string& text) {
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
