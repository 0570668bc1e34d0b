// The end of a game as a player meets it on the shipped screens: the score comes in, the
// name is typed, the table on disk holds both and the game is sent back to the menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/message.h"
#include "platform/input/keys.h"
#include "shipped_ui_fixture.h"

namespace {

using ui_fixture::ShippedUIFixture;

class PlayerSession : public ShippedUIFixture {};

TEST_F(PlayerSession, TheNameTypedAfterALevelIsSavedWithTheScoreAndTheGameReturnsToTheMenu) {
    // A table with room: the shipped defaults are ten scores of 39062.5 and more, which a
    // score of 12345.67 would not enter.
    HighscoreTable* before = ParserProcess::LoadHighscores(&parser, true);
    before->m_names = {"ONE", "TWO"};
    before->m_values = {20000.0, 100.0};
    ParserProcess::SaveHighscores(&parser);
    Start("Level");
    Message<f64> xp(MSG_PLAYER_XP, 12345.67);
    logic.SendMessage(&xp, UIProcess::kHandlerId);
    Frame();
    ASSERT_EQ(ui->CurrentScreen(), "Highscore");
    EXPECT_EQ(Text("HighscoreText"), "$12,345.67");
    for (const u8 key : {input::key::A, input::key::B, input::key::C, input::key::Enter}) {
        Tap(key);
    }
    EXPECT_EQ(Text("HighscoreInput"), "ABC");

    const std::string file = home.ReadFile(home.SaveFolder() + "highscores.xml");
    EXPECT_NE(file.find("ABC"), std::string::npos) << file;
    EXPECT_NE(file.find("12345.67"), std::string::npos) << file;
    // Read back as the next start reads it: the name and its score form one entry.
    ParserProcess nextStart;
    const HighscoreTable* table = ParserProcess::LoadHighscores(&nextStart, true);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->m_names, (std::vector<std::string>{"ONE", "ABC", "TWO"})) << file;
    EXPECT_EQ(table->m_values, (std::vector<f64>{20000.0, 12345.67, 100.0})) << file;

    // The last thing the game is asked is to switch to the menu, once.
    int switches = 0;
    std::string target;
    for (const auto& r : game.received) {
        if (r.message->type == MSG_GAME_SWITCH_STATE) {
            ++switches;
            target = *r.message->Payload<std::string>();
        }
    }
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(target, "Menu");
    EXPECT_EQ(game.Types().back(), MSG_GAME_SWITCH_STATE);
}

} // namespace
