#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/stream_map.h"

namespace {

std::vector<u8> Bytes(const StreamMap& s) {
    return {s.Data(), s.Data() + s.Size()};
}

StreamMap ExampleStream() {
    StreamMap s(8);
    s.AddInt("a", 5);
    s.AddBool("b", true);
    s.AddString("c", "xy");
    return s;
}

TEST(StreamMap, PacksValuesWithoutGapsAndIndexesTheirOffsets) {
    const StreamMap s = ExampleStream();
    EXPECT_EQ(Bytes(s), (std::vector<u8>{0x05, 0x00, 0x00, 0x00, 0x01, 0x78, 0x79, 0x00}));
    EXPECT_EQ(s.Index().size(), 3u);
    EXPECT_EQ(s.GetName(0), "a");
    EXPECT_EQ(s.GetType(0), "int");
    EXPECT_EQ(s.GetName(4), "b");
    EXPECT_EQ(s.GetType(4), "bool");
    EXPECT_EQ(s.GetName(5), "c");
    EXPECT_EQ(s.GetType(5), "string");
    EXPECT_EQ(s.GetName(1), "INVALID");
    EXPECT_EQ(s.GetType(8), "INVALID");
}

TEST(StreamMap, ReadsRewindAfterWritingAndStopAtTheEnd) {
    StreamMap s = ExampleStream();
    i32 a = 0;
    bool b = false;
    std::string c;
    ASSERT_TRUE(s.ReadInt(a));
    EXPECT_EQ(s.GetCurrentName(), "b");
    EXPECT_EQ(s.GetCurrentType(), "bool");
    ASSERT_TRUE(s.ReadBool(b));
    ASSERT_TRUE(s.ReadString(c));
    EXPECT_EQ(a, 5);
    EXPECT_TRUE(b);
    EXPECT_EQ(c, "xy");
    EXPECT_EQ(s.GetCurrentName(), "INVALID");

    i32 untouched = 77;
    EXPECT_FALSE(s.ReadInt(untouched));
    EXPECT_EQ(untouched, 77);
    EXPECT_EQ(s.Cursor(), 8u);
    std::string text = "kept";
    EXPECT_FALSE(s.ReadString(text));
    EXPECT_EQ(text, "kept");
}

TEST(StreamMap, CurrentNameRightAfterConstructionIsInvalid) {
    const StreamMap s(8);
    EXPECT_EQ(s.GetCurrentName(), "INVALID");
    EXPECT_EQ(s.GetCurrentType(), "INVALID");
    EXPECT_TRUE(s.IsWriting());
}

TEST(StreamMap, AWriteAfterReadingRestartsTheStream) {
    StreamMap s = ExampleStream();
    i32 a = 0;
    s.ReadInt(a);
    s.AddFloat("d", 2.5f);
    EXPECT_TRUE(s.IsWriting());
    EXPECT_EQ(s.Size(), 4u);
    // The index keeps the first record of an offset: offset 0 still names "a".
    EXPECT_EQ(s.GetName(0), "a");
    float d = 0.0f;
    ASSERT_TRUE(s.ReadFloat(d));
    EXPECT_EQ(d, 2.5f);
    bool b = false;
    EXPECT_FALSE(s.ReadBool(b));
}

TEST(StreamMap, EveryValueTypeRoundTrips) {
    StreamMap s(8);
    const float quad[4] = {1.0f, -2.0f, 3.5f, 4.25f};
    s.AddInt("i", -123456);
    s.AddLong("l", 2147483647);
    s.AddFloat("f", 0.1f);
    s.AddDouble("d", 1.0 / 3.0);
    s.AddBool("b", false);
    s.AddString("s", "");
    s.AddVector3("v3", 1.0f, 2.0f, 3.0f);
    s.AddVector4("v4", quad);
    EXPECT_EQ(s.Size(), 4u + 4u + 4u + 8u + 1u + 1u + 12u + 16u);
    EXPECT_EQ(s.GetType(12), "double");
    EXPECT_EQ(s.GetType(22), "vector3");
    EXPECT_EQ(s.GetType(34), "vector4");

    i32 i = 0, l = 0;
    float f = 0.0f;
    double d = 0.0;
    bool b = true;
    std::string str = "not empty";
    struct {
        float x, y, z;
    } v3{};
    float v4[4] = {};
    EXPECT_TRUE(s.ReadInt(i) && s.ReadInt(l) && s.ReadFloat(f) && s.ReadDouble(d) &&
                s.ReadBool(b) && s.ReadString(str) && s.ReadVector3(v3) && s.ReadVector4(v4));
    EXPECT_EQ(i, -123456);
    EXPECT_EQ(l, 2147483647);
    EXPECT_EQ(f, 0.1f);
    EXPECT_EQ(d, 1.0 / 3.0);
    EXPECT_FALSE(b);
    EXPECT_EQ(str, "");
    EXPECT_EQ(v3.z, 3.0f);
    EXPECT_EQ(std::memcmp(v4, quad, sizeof(quad)), 0);
}

TEST(StreamMap, VectorReadsFillTheComponentsThatAreThere) {
    StreamMap s(8);
    s.AddFloat("x", 1.0f);
    s.AddFloat("y", 2.0f);
    float xyz[3] = {9.0f, 9.0f, 9.0f};
    EXPECT_FALSE(s.ReadVector3(xyz));
    EXPECT_EQ(xyz[0], 1.0f);
    EXPECT_EQ(xyz[1], 2.0f);
    EXPECT_EQ(xyz[2], 9.0f);
}

TEST(StreamMap, AStringWithoutItsNulIsNoValue) {
    StreamMap s(8);
    s.Write("abc", 3);
    std::string text = "kept";
    EXPECT_FALSE(s.ReadString(text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(s.Cursor(), 0u);
}

TEST(StreamMap, GrowsByFiveEighthsFromItsCapacity) {
    StreamMap s(8);
    std::vector<u8> hundred(100, 0xAB);
    ASSERT_TRUE(s.Write(hundred.data(), 100));
    EXPECT_EQ(s.Capacity(), 144u);
    EXPECT_EQ(Bytes(s), hundred);

    // One byte at a time walks the whole sequence.
    StreamMap steps(8);
    std::vector<u32> capacities;
    for (int i = 0; i < 381; ++i) {
        const u8 byte = static_cast<u8>(i);
        steps.Write(&byte, 1);
        if (capacities.empty() || capacities.back() != steps.Capacity()) {
            capacities.push_back(steps.Capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<u32>{8, 13, 21, 34, 55, 89, 144, 234, 380, 617}));
    EXPECT_EQ(steps.Data()[200], 200);
}

TEST(StreamMap, SmallStartingCapacitiesStillGrow) {
    for (u32 start : {0u, 1u, 2u}) {
        StreamMap s(start);
        s.AddInt("a", 1);
        s.AddString("b", "hello");
        EXPECT_EQ(s.Size(), 10u) << start;
        EXPECT_GE(s.Capacity(), 10u) << start;
    }
    StreamMap empty(0);
    EXPECT_EQ(empty.Data(), nullptr);
    empty.AddBool("b", true);
    EXPECT_EQ(empty.Capacity(), 8u);
}

TEST(StreamMap, UnknownTypeNamesIndexWithoutBytes) {
    StreamMap s(8);
    s.AddValue("mystery", "quaternion", 0);
    s.AddValue("again", "int", 0);
    s.AddInt("n", 4);
    EXPECT_EQ(s.GetName(0), "mystery");
    EXPECT_EQ(s.GetType(0), "quaternion");
    EXPECT_EQ(s.Size(), 4u);
}

TEST(StreamMap, CopiesAreDeepAndIndependent) {
    StreamMap original = ExampleStream();
    StreamMap copy = original;
    original.AddInt("z", 9);
    i32 a = 0;
    ASSERT_TRUE(copy.ReadInt(a));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(copy.Size(), 8u);
    EXPECT_EQ(copy.GetName(5), "c");

    StreamMap assigned(8);
    assigned = copy;
    std::string c;
    bool b = false;
    EXPECT_TRUE(assigned.ReadBool(b) && assigned.ReadString(c));
    EXPECT_EQ(c, "xy");

    StreamMap moved = std::move(assigned);
    moved.BeginRead();
    ASSERT_TRUE(moved.ReadInt(a));
    EXPECT_EQ(a, 5);
}

TEST(StreamMap, BeginReadStartsASecondPass) {
    StreamMap s = ExampleStream();
    i32 first = 0, second = 0;
    ASSERT_TRUE(s.ReadInt(first));
    s.BeginRead();
    ASSERT_TRUE(s.ReadInt(second));
    EXPECT_EQ(second, 5);
    EXPECT_EQ(s.Size(), 8u);
}

// A reader walks a const stream on a cursor of its own: the stream's cursor and mode stay.
TEST(StreamMap, AReaderGoesThroughTheValuesAndLeavesTheStreamAsItWas) {
    StreamMap s = ExampleStream();
    i32 first = 0;
    ASSERT_TRUE(s.ReadInt(first)); // the stream itself is reading, one value in

    StreamMap::Reader reader(s);
    ASSERT_NE(reader.Current(), nullptr);
    EXPECT_EQ(*reader.Current(), StreamMap::Entry("a", "int"));
    i32 a = 0;
    u8 b = 0;
    std::string_view c;
    ASSERT_TRUE(reader.Read(a));
    ASSERT_TRUE(reader.Read(b));
    EXPECT_EQ(reader.Current()->first, "c");
    ASSERT_TRUE(reader.ReadString(c));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, "xy");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.Current(), nullptr);
    // Past the end: false, destination unchanged.
    EXPECT_FALSE(reader.Read(a));
    EXPECT_FALSE(reader.ReadString(c));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(c, "xy");

    EXPECT_EQ(s.Cursor(), 4u);
    EXPECT_FALSE(s.IsWriting());
    u8 second = 0;
    ASSERT_TRUE(s.Read(&second, 1));
    EXPECT_EQ(second, 1);
}

TEST(StreamMap, AReaderStopsAtAStringWithoutItsNulAndAtAValueCutShort) {
    StreamMap s(8);
    s.AddInt("n", 7);
    s.Write("ab", 2); // text with no NUL: the data ends inside it
    StreamMap::Reader reader(s);
    u64 tooLong = 9;
    EXPECT_FALSE(reader.Read(tooLong)) << "eight bytes of six";
    EXPECT_EQ(tooLong, 9u);
    i32 n = 0;
    ASSERT_TRUE(reader.Read(n));
    std::string_view text = "kept";
    EXPECT_FALSE(reader.ReadString(text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(reader.Offset(), 4u);
}

TEST(StreamMap, TypeNamesGiveTheirValueTypes) {
    using Type = StreamMap::ValueType;
    const std::pair<const char*, Type> cases[] = {
        {"string", Type::String},   {"int", Type::Int},         {"long", Type::Long},
        {"float", Type::Float},     {"double", Type::Double},   {"bool", Type::Bool},
        {"vector3", Type::Vector3}, {"vector4", Type::Vector4}, {"", Type::Other},
        {"Int", Type::Other},       {"vector", Type::Other},    {"strings", Type::Other},
    };
    for (const auto& [name, type] : cases) {
        EXPECT_EQ(StreamMap::TypeOf(name), type) << name;
    }
}

} // namespace
