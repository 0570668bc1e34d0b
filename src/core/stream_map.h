#pragma once
// The parameters of one component: named, typed values packed one after the other into a
// growable byte buffer, with an index from each value's first byte to its name and type
// name. Component creators read the values back by position in the order they were
// written; names and types serve the level editor and the XML writer.
//
// The stream has two modes. The first read after writing rewinds to the start; the first
// write after reading starts the stream again at offset 0, so it then holds only what was
// written since. Reads past the data are silent and leave the destination alone.

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/types.h"

class StreamMap {
  public:
    // The name and type name of a value.
    using Entry = std::pair<std::string, std::string>;

    // The type names that give a value bytes, and Other for any other name.
    enum class ValueType : u8 { String, Int, Long, Float, Double, Bool, Vector3, Vector4, Other };
    static ValueType TypeOf(std::string_view typeName);

    // A read cursor of its own over a stream it leaves as it is (cursor and mode too), for
    // going through the values of a const stream where they lie. Reads follow the stream's
    // rules: past the data they fail and leave the destination alone.
    class Reader {
      public:
        explicit Reader(const StreamMap& stream) : m_stream(&stream) {}

        bool Read(void* bytes, u32 n) { return m_stream->ReadAt(m_at, bytes, n); }
        template <class T> bool Read(T& value) { return Read(&value, sizeof value); }
        // The NUL-terminated text at the cursor, seen in the stream's own bytes.
        bool ReadString(std::string_view& value) { return m_stream->ReadStringAt(m_at, value); }

        u32 Offset() const { return m_at; }
        bool AtEnd() const { return m_at >= m_stream->Size(); }
        // The name and type of the value starting at the cursor; null when none starts there.
        const Entry* Current() const { return m_stream->FindEntry(m_at); }

      private:
        const StreamMap* m_stream;
        u32 m_at = 0;
    };

    static constexpr float kGrowth = 1.625f;
    // The capacity every creator starts with, and the one an empty buffer grows to.
    static constexpr u32 kDefaultCapacity = 8;
    static constexpr const char* kInvalid = "INVALID";

    explicit StreamMap(u32 capacity = kDefaultCapacity)
        : m_capacity(capacity), m_data(capacity > 0 ? new (std::nothrow) u8[capacity] : nullptr) {
        if (m_data == nullptr) {
            m_capacity = 0;
        }
    }
    StreamMap(const StreamMap& other);
    StreamMap& operator=(const StreamMap& other);
    StreamMap(StreamMap&& other) noexcept;
    StreamMap& operator=(StreamMap&& other) noexcept;
    ~StreamMap() = default;

    // Records (name, typeName) for the value starting at offset; an offset already
    // recorded keeps its first record.
    void AddValue(const std::string& name, const std::string& typeName, u32 offset);

    // Raw writes at the cursor; false when the buffer could not grow (nothing written).
    bool Write(const void* bytes, u32 n);
    bool WriteString(const std::string& text);
    bool WriteVector3(float x, float y, float z);
    bool WriteVector4(const float* xyzw);

    // A named value: the index entry under the cursor, then its bytes. The type names
    // "int", "long", "float", "double", "bool", "string", "vector3" and "vector4" produce
    // bytes; any other type name records the entry and writes nothing.
    void AddInt(const std::string& name, i32 value);
    void AddLong(const std::string& name, i32 value);
    void AddFloat(const std::string& name, float value);
    void AddDouble(const std::string& name, double value);
    void AddBool(const std::string& name, bool value);
    void AddString(const std::string& name, const std::string& value);
    void AddVector3(const std::string& name, float x, float y, float z);
    void AddVector4(const std::string& name, const float* xyzw);

    // Typed reads at the cursor; false (destination unchanged) past the data.
    bool Read(void* bytes, u32 n);
    bool ReadBool(bool& value);
    bool ReadInt(i32& value);
    bool ReadFloat(float& value);
    bool ReadDouble(double& value);
    // The NUL-terminated text at the cursor; the cursor moves past the NUL. Text that runs
    // to the end of the data without a NUL is no value: the read fails.
    bool ReadString(std::string& value);
    // Component by component, so a stream that ends inside the value fills what it holds.
    bool ReadVector3(float* xyz);
    bool ReadVector4(float* xyzw);
    // Into anything with float members x, y and z (the engine's Vector).
    template <class V> bool ReadVector3(V& v) {
        const bool a = ReadFloat(v.x);
        const bool b = ReadFloat(v.y);
        const bool c = ReadFloat(v.z);
        return a && b && c;
    }

    // Switches to reading from the first value, for a second pass over the stream.
    void BeginRead();

    // The name or type name of the value starting at the cursor (or at offset); "INVALID"
    // when no value starts there.
    const std::string& GetCurrentName() const { return GetName(m_cursor); }
    const std::string& GetCurrentType() const { return GetType(m_cursor); }
    const std::string& GetName(u32 offset) const;
    const std::string& GetType(u32 offset) const;
    // The index entry of the value starting at offset; null when none starts there.
    const Entry* FindEntry(u32 offset) const;

    u32 Capacity() const { return m_capacity; }
    u32 Size() const { return m_size; }
    u32 Cursor() const { return m_cursor; }
    bool IsWriting() const { return m_writing != 0; }
    const u8* Data() const { return m_data.get(); }
    const std::unordered_map<u32, Entry>& Index() const { return m_index; }

  private:
    template <class T> void AddNumber(const std::string& name, const char* type, T value);
    bool Grow(u64 needed);
    void PrepareWrite();
    void PrepareRead();
    // The reads of both cursors: from offset at, which moves past what was read.
    bool ReadAt(u32& at, void* bytes, u32 n) const;
    bool ReadStringAt(u32& at, std::string_view& value) const;

    u32 m_capacity = 0;
    u32 m_size = 0;
    std::unique_ptr<u8[]> m_data;
    u32 m_cursor = 0;
    u8 m_writing = 1;
    std::unordered_map<u32, Entry> m_index;
};
