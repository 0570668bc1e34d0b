#include "editor/level_script_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>

#include "core/game_object.h"
#include "core/quaternion.h"
#include "core/stream_map.h"

namespace level_script {

namespace {

// The script as it is built: one buffer, grown by doubling and never zero-filled. A piece
// asks for room for its longest form, writes through a pointer and keeps what it wrote.
class ScriptBuffer {
  public:
    explicit ScriptBuffer(std::size_t capacity) { Grow(capacity); }

    // At least n bytes free at the end; where they start.
    char* Room(std::size_t n) {
        if (m_capacity - m_size < n) {
            Grow(std::max(m_size + n, 2 * m_capacity));
        }
        return m_data.get() + m_size;
    }
    // The text now ends at end, within the room last asked for.
    void Keep(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }

    std::string_view View() const { return {m_data.get(), m_size}; }

  private:
    void Grow(std::size_t capacity) {
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0) {
            std::memcpy(bigger.get(), m_data.get(), m_size);
        }
        m_data = std::move(bigger);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

char* Copy(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// The longest a quoted text of n bytes can be: every byte a three-digit escape.
constexpr std::size_t QuotedRoom(std::size_t n) {
    return 2 + 4 * n;
}

// text between double quotes as a Lua string literal (see Quoted).
char* WriteQuoted(char* p, std::string_view text) {
    *p++ = '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c != '\\' && c != '"' && byte >= 0x20 && byte != 0x7f) {
            *p++ = c;
            continue;
        }
        *p++ = '\\';
        switch (c) {
        case '\\':
        case '"':
            *p++ = c;
            break;
        case '\n':
            *p++ = 'n';
            break;
        case '\r':
            *p++ = 'r';
            break;
        default:
            *p++ = static_cast<char>('0' + byte / 100);
            *p++ = static_cast<char>('0' + byte / 10 % 10);
            *p++ = static_cast<char>('0' + byte % 10);
        }
    }
    *p++ = '"';
    return p;
}

// Numbers go straight into the text through std::to_chars, which never looks at a locale.
// The longest text of any number written here: a fixed float is 39 digits, a sign, a
// point and four decimals; "%.6g" of a double is at most 13 characters.
constexpr std::size_t kNumberRoom = 48;
constexpr int kStreamPrecision = 6;
constexpr int kFixedPrecision = 4;

char* WriteInt(char* p, i32 value) {
    return std::to_chars(p, p + kNumberRoom, value).ptr;
}

// "%.6g", what a stream writes by default.
char* WriteGeneral(char* p, double value) {
    const auto [end, error] =
        std::to_chars(p, p + kNumberRoom, value, std::chars_format::general, kStreamPrecision);
    return error == std::errc() ? end : p;
}

// "%.4f" of a float, except that what rounds to zero is written 0.0000, never -0.0000, so
// a level saved again after a reload gives the same text. The value times 10^4 is exact
// in a double (24 significant bits times 14), so rounding that to an integer, ties to
// even, gives printf's digits; values too large for it, infinities and NaN go through
// to_chars.
char* WriteFixed4(char* p, float value) {
    const double scaled = std::fabs(static_cast<double>(value) * 10000.0);
    if (!(scaled < 1e15)) {
        const auto [end, error] = std::to_chars(p, p + kNumberRoom, static_cast<double>(value),
                                                std::chars_format::fixed, kFixedPrecision);
        return error == std::errc() ? end : p;
    }
    // Below 2^52, adding 2^52 leaves no fraction: the sum is rounded to the nearest
    // integer, ties to even, and taking 2^52 away again is exact.
    constexpr double kTwoTo52 = 4503599627370496.0;
    const auto units = static_cast<u64>((scaled + kTwoTo52) - kTwoTo52);
    if (units != 0 && std::signbit(value)) {
        *p++ = '-';
    }
    p = std::to_chars(p, p + kNumberRoom, units / 10000).ptr;
    auto decimals = static_cast<unsigned>(units % 10000);
    *p = '.';
    for (int i = 4; i > 0; --i) {
        p[i] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
    return p + 5;
}

// The values, four decimals each, between commas.
template <std::size_t N> char* WriteFixed(char* p, const float (&values)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) {
            p = Copy(p, ", ");
        }
        p = WriteFixed4(p, values[i]);
    }
    return p;
}

template <std::size_t N> constexpr std::size_t FixedRoom() {
    return N * (kNumberRoom + 2);
}

// The Stream call of the value at the stream's cursor, which moves past it; false at a
// value of no known type, or one the data ends before, where the object's list ends.
bool WriteValueLine(StreamMap::Reader& stream, ScriptBuffer& out) {
    const StreamMap::Entry* const entry = stream.Current();
    if (entry == nullptr) {
        return false;
    }
    const auto& [name, type] = *entry;
    const u32 start = stream.Offset();
    // The text of a value other than a string: at most four numbers between quotes.
    char number[4 * (kNumberRoom + 2) + 2];
    char* end = number;
    std::string_view text;
    const StreamMap::ValueType valueType = StreamMap::TypeOf(type);
    switch (valueType) {
    case StreamMap::ValueType::String:
        stream.ReadString(text);
        break;
    case StreamMap::ValueType::Int:
    case StreamMap::ValueType::Long: {
        i32 value = 0;
        stream.Read(value);
        end = WriteInt(end, value);
        break;
    }
    case StreamMap::ValueType::Float: {
        float value = 0.0f;
        stream.Read(value);
        end = WriteGeneral(end, value);
        break;
    }
    case StreamMap::ValueType::Double: {
        double value = 0.0;
        stream.Read(value);
        end = WriteGeneral(end, value);
        break;
    }
    case StreamMap::ValueType::Bool: {
        u8 value = 0;
        stream.Read(value);
        end = Copy(end, value != 0 ? "true" : "false");
        break;
    }
    case StreamMap::ValueType::Vector3:
    case StreamMap::ValueType::Vector4: {
        const int count = valueType == StreamMap::ValueType::Vector3 ? 3 : 4;
        // Component by component: a stream that ends inside the value gives what it holds.
        float values[4] = {};
        for (int i = 0; i < count; ++i) {
            stream.Read(values[i]);
        }
        *end++ = '"';
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                end = Copy(end, ", ");
            }
            end = WriteGeneral(end, values[i]);
        }
        *end++ = '"';
        break;
    }
    case StreamMap::ValueType::Other:
        return false;
    }
    // A value cut short by the end of the data would be read again and again.
    if (stream.Offset() == start) {
        return false;
    }
    constexpr std::string_view kStart = "  object:Stream( ";
    constexpr std::string_view kEnd = " )\n";
    char* p =
        out.Room(kStart.size() + QuotedRoom(name.size()) + 2 + QuotedRoom(type.size()) + 2 +
                 QuotedRoom(text.size()) + static_cast<std::size_t>(end - number) + kEnd.size());
    p = Copy(p, kStart);
    p = WriteQuoted(p, name);
    p = Copy(p, ", ");
    p = WriteQuoted(p, type);
    p = Copy(p, ", ");
    p = valueType == StreamMap::ValueType::String ? WriteQuoted(p, text)
                                                  : Copy(p, std::string_view(number, end - number));
    out.Keep(Copy(p, kEnd));
    return true;
}

// The rotation matrix rows of an orientation, as SetOrientation takes them. Levels repeat
// a few orientations (most blocks stand square), so the text of the last one is kept and
// copied for as long as the objects share its quaternion bit for bit.
class OrientationText {
  public:
    char* Write(char* p, const Quaternion& q) {
        if (!m_valid || std::memcmp(&m_quaternion, &q, sizeof q) != 0) {
            const float x = q.x;
            const float y = q.y;
            const float z = q.z;
            const float w = q.w;
            const char* const end = WriteFixed(
                m_text, {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                         2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                         2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)});
            m_size = static_cast<std::size_t>(end - m_text);
            m_quaternion = q;
            m_valid = true;
        }
        return Copy(p, std::string_view(m_text, m_size));
    }

  private:
    Quaternion m_quaternion{};
    bool m_valid = false;
    char m_text[FixedRoom<9>()];
    std::size_t m_size = 0;
};

void WriteObject(const GameObject& object, OrientationText& orientation, ScriptBuffer& out) {
    constexpr std::string_view kCreate = "object = LuaGameObject( CreateGameObject( ";
    constexpr std::string_view kPosition =
        " ) )\nif Valid( object:GetObject( ) ) then\n  object:SetPosition( ";
    constexpr std::string_view kOrientation = " )\n  object:SetOrientation( ";
    constexpr std::string_view kScale = " )\n  object:SetScale( ";
    constexpr std::string_view kTransformEnd = " )\n";
    constexpr std::string_view kEnd = "  object:FinalizeMore( )\nend\n";

    char* p = out.Room(kCreate.size() + QuotedRoom(object.name.size()) + kPosition.size() +
                       kOrientation.size() + kScale.size() + kTransformEnd.size() +
                       FixedRoom<3 + 9 + 3>());
    p = Copy(p, kCreate);
    p = WriteQuoted(p, object.name);
    p = Copy(p, kPosition);
    const Vector& position = object.position;
    p = WriteFixed(p, {position.x, position.y, position.z});
    p = Copy(p, kOrientation);
    p = orientation.Write(p, object.orientation);
    p = Copy(p, kScale);
    const Vector& scale = object.scale;
    p = WriteFixed(p, {scale.x, scale.y, scale.z});
    out.Keep(Copy(p, kTransformEnd));

    StreamMap::Reader stream(object.parameters);
    while (!stream.AtEnd() && WriteValueLine(stream, out)) {
    }
    out.Keep(Copy(out.Room(kEnd.size()), kEnd));
}

// The objects' text, one empty line between two, in one buffer. About 400 bytes an
// object: one allocation for most levels.
ScriptBuffer Script(const std::vector<GameObject*>& objects) {
    ScriptBuffer out(objects.size() * 512 + 64);
    OrientationText orientation;
    bool first = true;
    for (const GameObject* object : objects) {
        if (!first) {
            out.Keep(Copy(out.Room(1), "\n"));
        }
        first = false;
        WriteObject(*object, orientation, out);
    }
    return out;
}

} // namespace

std::string Quoted(const std::string& text) {
    std::string out(QuotedRoom(text.size()), '\0');
    out.resize(static_cast<std::size_t>(WriteQuoted(out.data(), text) - out.data()));
    return out;
}

std::string Text(const std::vector<GameObject*>& objects) {
    return std::string(Script(objects).View());
}

// The file is written in one call: a write cut into pieces costs the file system more
// than building the text does.
bool Write(const std::vector<GameObject*>& objects, const std::string& path) {
    const ScriptBuffer script = Script(objects);
    const std::string_view text = script.View();
    const std::string temp = path + ".tmp";
    std::FILE* const file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !whole) {
        std::remove(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace level_script
