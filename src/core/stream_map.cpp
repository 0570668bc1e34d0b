#include "core/stream_map.h"

#include <bit>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little,
              "stream values are stored little-endian as they lie in memory");

namespace {

const std::string& InvalidText() {
    static const std::string text = StreamMap::kInvalid;
    return text;
}

} // namespace

StreamMap::ValueType StreamMap::TypeOf(std::string_view typeName) {
    static constexpr std::pair<std::string_view, ValueType> kTypes[] = {
        {"string", ValueType::String},   {"int", ValueType::Int},         {"long", ValueType::Long},
        {"float", ValueType::Float},     {"double", ValueType::Double},   {"bool", ValueType::Bool},
        {"vector3", ValueType::Vector3}, {"vector4", ValueType::Vector4},
    };
    for (const auto& [name, type] : kTypes) {
        if (name == typeName) {
            return type;
        }
    }
    return ValueType::Other;
}

StreamMap::StreamMap(const StreamMap& other)
    : m_capacity(other.m_capacity), m_size(other.m_size),
      m_data(other.m_capacity > 0 ? new (std::nothrow) u8[other.m_capacity]() : nullptr),
      m_cursor(other.m_cursor), m_writing(other.m_writing), m_index(other.m_index) {
    if (m_data == nullptr) {
        m_capacity = 0;
        m_size = 0;
        m_cursor = 0;
        return;
    }
    std::memcpy(m_data.get(), other.m_data.get(), other.m_size);
}

StreamMap& StreamMap::operator=(const StreamMap& other) {
    if (this != &other) {
        StreamMap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

StreamMap::StreamMap(StreamMap&& other) noexcept
    : m_capacity(other.m_capacity), m_size(other.m_size), m_data(std::move(other.m_data)),
      m_cursor(other.m_cursor), m_writing(other.m_writing), m_index(std::move(other.m_index)) {
    other.m_capacity = 0;
    other.m_size = 0;
    other.m_cursor = 0;
    other.m_writing = 1;
    other.m_index.clear();
}

StreamMap& StreamMap::operator=(StreamMap&& other) noexcept {
    if (this != &other) {
        m_capacity = other.m_capacity;
        m_size = other.m_size;
        m_data = std::move(other.m_data);
        m_cursor = other.m_cursor;
        m_writing = other.m_writing;
        m_index = std::move(other.m_index);
        other.m_capacity = 0;
        other.m_size = 0;
        other.m_cursor = 0;
        other.m_writing = 1;
        other.m_index.clear();
    }
    return *this;
}

void StreamMap::AddValue(const std::string& name, const std::string& typeName, u32 offset) {
    m_index.try_emplace(offset, name, typeName);
}

void StreamMap::PrepareWrite() {
    if (m_writing == 0) {
        m_writing = 1;
        m_cursor = 0;
    }
}

void StreamMap::PrepareRead() {
    if (m_writing != 0) {
        m_writing = 0;
        m_cursor = 0;
    }
}

bool StreamMap::Grow(u64 needed) {
    u64 next = m_capacity;
    while (next < needed) {
        u64 grown = static_cast<u64>(static_cast<float>(next) * kGrowth);
        if (grown == 0) {
            grown = kDefaultCapacity;
        }
        // Small capacities round back to themselves (1 × 1.625 is 1); never stand still.
        if (grown <= next) {
            grown = next + 1;
        }
        next = grown;
    }
    if (next > std::numeric_limits<u32>::max()) {
        return false;
    }
    u8* const bigger = new (std::nothrow) u8[next]();
    if (bigger == nullptr) {
        return false;
    }
    if (m_size > 0) {
        std::memcpy(bigger, m_data.get(), m_size);
    }
    m_data.reset(bigger);
    m_capacity = static_cast<u32>(next);
    return true;
}

bool StreamMap::Write(const void* bytes, u32 n) {
    PrepareWrite();
    const u64 end = static_cast<u64>(m_cursor) + n;
    if (end > m_capacity && !Grow(end)) {
        return false;
    }
    if (n > 0) {
        std::memcpy(m_data.get() + m_cursor, bytes, n);
    }
    m_cursor = static_cast<u32>(end);
    m_size = m_cursor;
    return true;
}

bool StreamMap::WriteString(const std::string& text) {
    if (text.size() >= std::numeric_limits<u32>::max()) {
        return false;
    }
    return Write(text.c_str(), static_cast<u32>(text.size()) + 1);
}

bool StreamMap::WriteVector3(float x, float y, float z) {
    const float xyz[3] = {x, y, z};
    return Write(xyz, sizeof(xyz));
}

bool StreamMap::WriteVector4(const float* xyzw) {
    return Write(xyzw, 4 * sizeof(float));
}

template <class T> void StreamMap::AddNumber(const std::string& name, const char* type, T value) {
    // The index entry must name the offset the bytes go to, after any restart at 0.
    PrepareWrite();
    AddValue(name, type, m_cursor);
    Write(&value, sizeof(value));
}

void StreamMap::AddInt(const std::string& name, i32 value) {
    AddNumber(name, "int", value);
}

void StreamMap::AddLong(const std::string& name, i32 value) {
    AddNumber(name, "long", value);
}

void StreamMap::AddFloat(const std::string& name, float value) {
    AddNumber(name, "float", value);
}

void StreamMap::AddDouble(const std::string& name, double value) {
    AddNumber(name, "double", value);
}

void StreamMap::AddBool(const std::string& name, bool value) {
    AddNumber(name, "bool", static_cast<u8>(value ? 1 : 0));
}

void StreamMap::AddString(const std::string& name, const std::string& value) {
    PrepareWrite();
    AddValue(name, "string", m_cursor);
    WriteString(value);
}

void StreamMap::AddVector3(const std::string& name, float x, float y, float z) {
    PrepareWrite();
    AddValue(name, "vector3", m_cursor);
    WriteVector3(x, y, z);
}

void StreamMap::AddVector4(const std::string& name, const float* xyzw) {
    PrepareWrite();
    AddValue(name, "vector4", m_cursor);
    WriteVector4(xyzw);
}

bool StreamMap::ReadAt(u32& at, void* bytes, u32 n) const {
    if (static_cast<u64>(at) + n > m_size) {
        return false;
    }
    if (n > 0) {
        std::memcpy(bytes, m_data.get() + at, n);
    }
    at += n;
    return true;
}

bool StreamMap::ReadStringAt(u32& at, std::string_view& value) const {
    if (at >= m_size) {
        return false;
    }
    const u8* const start = m_data.get() + at;
    const void* const nul = std::memchr(start, 0, m_size - at);
    if (nul == nullptr) {
        return false;
    }
    const auto length = static_cast<u32>(static_cast<const u8*>(nul) - start);
    value = std::string_view(reinterpret_cast<const char*>(start), length);
    at += length + 1;
    return true;
}

bool StreamMap::Read(void* bytes, u32 n) {
    PrepareRead();
    return ReadAt(m_cursor, bytes, n);
}

bool StreamMap::ReadBool(bool& value) {
    u8 byte = 0;
    if (!Read(&byte, 1)) {
        return false;
    }
    value = byte != 0;
    return true;
}

bool StreamMap::ReadInt(i32& value) {
    return Read(&value, sizeof(value));
}

bool StreamMap::ReadFloat(float& value) {
    return Read(&value, sizeof(value));
}

bool StreamMap::ReadDouble(double& value) {
    return Read(&value, sizeof(value));
}

bool StreamMap::ReadString(std::string& value) {
    PrepareRead();
    std::string_view text;
    if (!ReadStringAt(m_cursor, text)) {
        return false;
    }
    value.assign(text);
    return true;
}

bool StreamMap::ReadVector3(float* xyz) {
    const bool x = ReadFloat(xyz[0]);
    const bool y = ReadFloat(xyz[1]);
    const bool z = ReadFloat(xyz[2]);
    return x && y && z;
}

bool StreamMap::ReadVector4(float* xyzw) {
    const bool x = ReadFloat(xyzw[0]);
    const bool y = ReadFloat(xyzw[1]);
    const bool z = ReadFloat(xyzw[2]);
    const bool w = ReadFloat(xyzw[3]);
    return x && y && z && w;
}

void StreamMap::BeginRead() {
    m_writing = 0;
    m_cursor = 0;
}

const StreamMap::Entry* StreamMap::FindEntry(u32 offset) const {
    const auto found = m_index.find(offset);
    return found != m_index.end() ? &found->second : nullptr;
}

const std::string& StreamMap::GetName(u32 offset) const {
    const Entry* const entry = FindEntry(offset);
    return entry != nullptr ? entry->first : InvalidText();
}

const std::string& StreamMap::GetType(u32 offset) const {
    const Entry* const entry = FindEntry(offset);
    return entry != nullptr ? entry->second : InvalidText();
}
