#include "editor/level_script_writer.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <locale>
#include <sstream>

#include "core/game_object.h"
#include "core/stream_map.h"

namespace level_script {

namespace {

// One per-object value as the text its Stream call takes; false at a value of no known
// type, where the object's list ends.
bool ValueText(StreamMap& stream, const std::string& type, std::ostream& out) {
    if (type == "string") {
        std::string value;
        stream.ReadString(value);
        out << Quoted(value);
    } else if (type == "int" || type == "long") {
        i32 value = 0;
        stream.ReadInt(value);
        out << value;
    } else if (type == "float") {
        float value = 0.0f;
        stream.ReadFloat(value);
        out << value;
    } else if (type == "double") {
        double value = 0.0;
        stream.ReadDouble(value);
        out << value;
    } else if (type == "bool") {
        bool value = false;
        stream.ReadBool(value);
        out << (value ? "true" : "false");
    } else if (type == "vector3" || type == "vector4") {
        const int count = type == "vector3" ? 3 : 4;
        float values[4] = {};
        for (int i = 0; i < count; ++i) {
            stream.ReadFloat(values[i]);
        }
        out << '"';
        for (int i = 0; i < count; ++i) {
            out << (i > 0 ? ", " : "") << values[i];
        }
        out << '"';
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

void WriteObject(const GameObject& object, std::ostream& out) {
    out << "object = LuaGameObject( CreateGameObject( " << Quoted(object.name) << " ) )\n";
    out << "if Valid( object:GetObject( ) ) then\n";
    std::ostringstream fixed;
    fixed.imbue(std::locale::classic());
    fixed << std::fixed << std::setprecision(4);
    const Vector& p = object.position;
    fixed << "  object:SetPosition( " << Tidy(p.x) << ", " << Tidy(p.y) << ", " << Tidy(p.z)
          << " )\n";
    const float x = object.orientation.x;
    const float y = object.orientation.y;
    const float z = object.orientation.z;
    const float w = object.orientation.w;
    const float rows[9] = {
        1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
        2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
        2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    fixed << "  object:SetOrientation( ";
    for (int i = 0; i < 9; ++i) {
        fixed << (i > 0 ? ", " : "") << Tidy(rows[i]);
    }
    fixed << " )\n";
    const Vector& s = object.scale;
    fixed << "  object:SetScale( " << Tidy(s.x) << ", " << Tidy(s.y) << ", " << Tidy(s.z) << " )\n";
    out << fixed.str();

    StreamMap stream(object.parameters);
    stream.BeginRead();
    while (stream.Cursor() < stream.Size()) {
        const std::string name = stream.GetCurrentName();
        const std::string type = stream.GetCurrentType();
        std::ostringstream value;
        value.imbue(std::locale::classic());
        const u32 before = stream.Cursor();
        // A value cut short by the end of the data would be read again and again.
        if (!ValueText(stream, type, value) || stream.Cursor() == before) {
            break;
        }
        out << "  object:Stream( " << Quoted(name) << ", " << Quoted(type) << ", " << value.str()
            << " )\n";
    }
    out << "  object:FinalizeMore( )\n";
    out << "end\n";
}

} // namespace

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
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
        default:
            if (byte < 0x20 || byte == 0x7f) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\%03u", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string Text(const std::vector<GameObject*>& objects) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    bool first = true;
    for (const GameObject* object : objects) {
        if (!first) {
            out << '\n';
        }
        first = false;
        WriteObject(*object, out);
    }
    return out.str();
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
