#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/message.h"
#include "core/message_trace.h"

namespace {

TEST(MessageTraceTest, NamesSelectTheirTypesAndUnknownNamesAreIgnored) {
    const MessageTrace trace("MSG_PLAYER_XP,MSG_BUILDING_COUNT NOT_A_MESSAGE,,MSG_PLAYER_X");
    EXPECT_TRUE(trace.Any());
    EXPECT_TRUE(trace.Traces(MSG_PLAYER_XP));
    EXPECT_TRUE(trace.Traces(MSG_BUILDING_COUNT));
    EXPECT_FALSE(trace.Traces(MSG_BUILDING_DESTRUCTION));
    EXPECT_FALSE(trace.Traces(kMessageTypeCount + 3));
    EXPECT_FALSE(MessageTrace("").Any());
    EXPECT_FALSE(MessageTrace("MSG_PLAYER_XPX").Any());
}

TEST(MessageTraceTest, LinesCarryNameReceiverAndThePlainPayloads) {
    struct Case {
        std::string line;
        std::string expected;
    };
    const Case cases[] = {
        {MessageTrace::Line(Message<std::string>(MSG_BUILDING_COUNT, "$2,000.00"), 10),
         "MSG_BUILDING_COUNT to 10: $2,000.00"},
        {MessageTrace::Line(Message<double>(MSG_PLAYER_XP, 10000.0), 11),
         "MSG_PLAYER_XP to 11: 10000"},
        {MessageTrace::Line(Message<bool>(MSG_ENDLESS_MODE_ON, true), 12),
         "MSG_ENDLESS_MODE_ON to 12: true"},
        {MessageTrace::Line(Message<float>(MSG_GRAPHICS_FADE_OUT, 2.5f), 1),
         "MSG_GRAPHICS_FADE_OUT to 1: 2.5"},
        {MessageTrace::Line(Message<std::pair<std::string, bool>>(MSG_BUILDING_DESTRUCTION,
                                                                  {"BuildingKiosk", false}),
                            16),
         "MSG_BUILDING_DESTRUCTION to 16: {BuildingKiosk, false}"},
        {MessageTrace::Line(BaseMessage(MSG_TRIGGERS_ACTIVATE), 21), "MSG_TRIGGERS_ACTIVATE to 21"},
        {MessageTrace::Line(Message<int>(MSG_PLAYER_XP, 3), 11), "MSG_PLAYER_XP to 11"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.line, c.expected);
    }
}

} // namespace
