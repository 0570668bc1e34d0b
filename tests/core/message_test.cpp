#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/component_type.h"
#include "core/message.h"
#include "core/message_types.h"

namespace {

TEST(MessageTypes, NamesAtTheEndsOfTheTable) {
    EXPECT_EQ(kMessageTypeCount, 211u);
    EXPECT_STREQ(MessageTypeName(0), "MSG_NULL");
    EXPECT_STREQ(MessageTypeName(MSG_BUILDING_DESTRUCTION), "MSG_BUILDING_DESTRUCTION");
    EXPECT_EQ(static_cast<u32>(MSG_BUILDING_DESTRUCTION), 20u);
    EXPECT_EQ(static_cast<u32>(MSG_UNPAUSE_COMPONENT_UPDATE), 75u);
    EXPECT_EQ(static_cast<u32>(MSG_PHYSICS_GET_OCTREE), 160u);
    EXPECT_STREQ(MessageTypeName(208), "MSG_ANIMATION_REINITIALIZE");
    EXPECT_STREQ(MessageTypeName(209), "MSG_PHYSICS_PIECE_BODY");
    EXPECT_STREQ(MessageTypeName(210), "MSG_GRAPHICS_TOGGLE_BLOOM");
    EXPECT_STREQ(MessageTypeName(211), "Invalid");
    EXPECT_STREQ(MessageTypeName(0xFFFFFFFFu), "Invalid");
}

TEST(ComponentTypes, FromNameIsExactAndCaseSensitive) {
    EXPECT_EQ(ComponentType::FromName("Graphic"), ComponentType::Graphic);
    EXPECT_EQ(ComponentType::FromName("AnimationController"), ComponentType::AnimationController);
    EXPECT_EQ(static_cast<u32>(ComponentType::FromName("Trigger")), 22u);
    for (const char* name : {"graphic", "Graphic ", "", "Invalid", "UI"}) {
        EXPECT_EQ(ComponentType::FromName(name), ComponentType::Invalid) << name;
    }
    for (u32 i = 0; i < ComponentType::kCount; ++i) {
        EXPECT_EQ(static_cast<u32>(ComponentType::FromName(ComponentType::Name(i))),
                  i == ComponentType::Invalid ? u32{ComponentType::Invalid} : i);
    }
    EXPECT_STREQ(ComponentType::Name(99), "Invalid");
    EXPECT_EQ(ComponentType(99u), ComponentType::Invalid);
}

TEST(Message, CloneDeepCopiesValuesAndSharesPointers) {
    Message<std::string> text(MSG_LOAD_SOUND, "sounds/punch.wav");
    std::vector<float> exposure = {1.0f, 2.0f};
    Message<std::vector<float>> list(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE, exposure);
    int target = 7;
    Message<int*> pointer(MSG_GRAPHICS_GET_THREE_DEE_SETTING, &target);

    BaseMessage* const textCopy = text.Clone();
    BaseMessage* const listCopy = list.Clone();
    BaseMessage* const pointerCopy = pointer.Clone();
    text.value = "changed";
    list.value.clear();

    EXPECT_EQ(textCopy->type, static_cast<u32>(MSG_LOAD_SOUND));
    EXPECT_EQ(*textCopy->Payload<std::string>(), "sounds/punch.wav");
    EXPECT_EQ(listCopy->Payload<std::vector<float>>()->size(), 2u);
    EXPECT_EQ(*pointerCopy->Payload<int*>(), &target);
    delete textCopy;
    delete listCopy;
    delete pointerCopy;
}

TEST(Message, ClonesComeFromThePoolOfTheirSize) {
    MemoryPool* const pool = Allocator<Message<std::string>>::Pool();
    Message<std::string> text(MSG_GAME_SWITCH_STATE, "Menu");
    const u32 before = pool->LiveCount();
    BaseMessage* const copy = text.Clone();
    EXPECT_EQ(pool->LiveCount(), before + 1);
    delete copy;
    EXPECT_EQ(pool->LiveCount(), before);

    BaseMessage plain(MSG_GAME_QUIT);
    BaseMessage* const plainCopy = plain.Clone();
    EXPECT_EQ(plainCopy->type, static_cast<u32>(MSG_GAME_QUIT));
    EXPECT_EQ(plainCopy->Tag(), nullptr);
    delete plainCopy;
}

TEST(Message, CheckedAccessorConvertsNumbersAndFallsBackOtherwise) {
    // MSG_PLAYER_XP arrives as float from some senders and as double from others.
    const Message<double> xpDouble(MSG_PLAYER_XP, 12.5);
    const Message<float> xpFloat(MSG_PLAYER_XP, 3.25f);
    EXPECT_FLOAT_EQ(xpDouble.ValueOr<float>(0.0f), 12.5f);
    EXPECT_DOUBLE_EQ(xpFloat.ValueOr<double>(0.0), 3.25);
    EXPECT_EQ(xpDouble.Payload<float>(), nullptr);
    ASSERT_NE(xpDouble.Payload<double>(), nullptr);

    // MSG_PAUSE_TRIGGER arrives with and without a bool.
    const BaseMessage bare(MSG_PAUSE_TRIGGER);
    const Message<bool> flagged(MSG_PAUSE_TRIGGER, true);
    EXPECT_FALSE(bare.ValueOr<bool>(false));
    EXPECT_TRUE(bare.ValueOr<bool>(true));
    EXPECT_TRUE(flagged.ValueOr<bool>(false));

    // Records and strings are never reinterpreted as numbers, nor the reverse.
    const Message<std::string> text(MSG_LEVEL_CREATE_OBJECT, "Tank");
    EXPECT_EQ(text.ValueOr<int>(-1), -1);
    EXPECT_EQ(xpFloat.ValueOr<std::string>("none"), "none");
    EXPECT_EQ(text.Payload<std::vector<std::string>>(), nullptr);

    // Integers saturate and NaN becomes zero instead of undefined conversions.
    struct Case {
        double value;
        int asInt;
        unsigned asUnsigned;
        bool asBool;
    };
    const Case cases[] = {
        {1e12, 2147483647, 4294967295u, true},
        {-5.0, -5, 0u, true},
        {0.0, 0, 0u, false},
        {2.9, 2, 2u, true},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0u, true},
    };
    for (const Case& c : cases) {
        const Message<double> m(MSG_PLAYER_XP, c.value);
        EXPECT_EQ(m.ValueOr<int>(99), c.asInt) << c.value;
        EXPECT_EQ(m.ValueOr<unsigned>(99u), c.asUnsigned) << c.value;
        EXPECT_EQ(m.ValueOr<bool>(false), c.asBool) << c.value;
    }
    const Message<unsigned> three(MSG_GRAPHICS_SET_THREE_DEE_SETTING, 1u);
    EXPECT_EQ(three.ValueOr<int>(0), 1);
}

} // namespace
