#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/parser_process.h"
#include "support/scoped_temp_home.h"

namespace {

class Highscores : public ::testing::Test {
  protected:
    void WriteScores(const std::vector<std::pair<std::string, std::string>>& scores) {
        std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Highscores>";
        for (const auto& [name, value] : scores) {
            body += "<Score name=\"" + name + "\"" +
                    (value.empty() ? "" : " value=\"" + value + "\"") + "/>";
        }
        home.WriteFile(home.SaveFolder() + "highscores.xml", body + "</Highscores>");
    }
    HighscoreTable* Load(bool useCache = false) {
        ::testing::internal::CaptureStdout();
        HighscoreTable* table = ParserProcess::LoadHighscores(&parser, useCache);
        log = ::testing::internal::GetCapturedStdout();
        return table;
    }

    ScopedTempHome home;
    ParserProcess parser;
    std::string log;
};

const std::vector<f64> kDefaultValues = {20000000, 10000000, 5000000, 2500000, 1250000,
                                         625000,   312500,   156250,  78125,   39062.5};

void ExpectDefaultNames(const std::vector<std::string>& names, std::size_t from) {
    for (std::size_t i = from; i < names.size(); ++i) {
        ASSERT_EQ(names[i].size(), 3u) << names[i];
        for (const char c : names[i]) {
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << names[i];
        }
    }
}

} // namespace

TEST_F(Highscores, AMissingFileGivesExactlyTheTenDefaults) {
    const HighscoreTable* table = Load();
    EXPECT_EQ(table->m_values, kDefaultValues);
    EXPECT_EQ(table->m_names.size(), 10u);
    ExpectDefaultNames(table->m_names, 0);
    EXPECT_NE(log.find("highscores.xml"), std::string::npos) << log;
}

TEST_F(Highscores, AtMostTenEntriesAreRead) {
    std::vector<std::pair<std::string, std::string>> scores;
    for (int i = 12; i > 0; --i) {
        scores.emplace_back("P" + std::to_string(i), std::to_string(i * 100));
    }
    WriteScores(scores);
    const HighscoreTable* table = Load();
    ASSERT_EQ(table->m_values.size(), 10u);
    EXPECT_EQ(table->m_names.front(), "P12");
    EXPECT_EQ(table->m_values.back(), 300.0);
    EXPECT_TRUE(log.empty()) << log;
}

TEST_F(Highscores, ABrokenEntryAppendsTheDefaultsAfterThoseReadAndOnlyTenAreSaved) {
    WriteScores({{"ONE", "900"}, {"TWO", "2e+07"}, {"BAD", ""}, {"FOU", "100"}});
    HighscoreTable* table = Load();
    ASSERT_EQ(table->m_values.size(), 12u);
    EXPECT_EQ(table->m_names[0], "ONE");
    EXPECT_EQ(table->m_values[1], 20000000.0);
    EXPECT_EQ(std::vector<f64>(table->m_values.begin() + 2, table->m_values.end()), kDefaultValues);
    EXPECT_NE(log.find("'value'"), std::string::npos) << log;

    ASSERT_TRUE(ParserProcess::SaveHighscores(&parser));
    const HighscoreTable* saved = Load();
    ASSERT_EQ(saved->m_values.size(), 10u);
    EXPECT_EQ(saved->m_names[0], "ONE");
    EXPECT_EQ(saved->m_values[9], kDefaultValues[7]);
}

TEST_F(Highscores, ANewScoreGoesAfterEqualScoresAndMustBeatTheTenth) {
    const std::string fifth = Load()->m_names[4];
    EXPECT_EQ(ParserProcess::AddHighscore(&parser, "EQL", 1250000), 5);
    EXPECT_EQ(parser.m_highscores.m_names[4], fifth);
    EXPECT_EQ(parser.m_highscores.m_names[5], "EQL");
    EXPECT_EQ(parser.m_highscores.m_values.size(), 10u);
    // The tenth entry is now 78125.
    EXPECT_EQ(ParserProcess::AddHighscore(&parser, "LOW", 78125), -1);
    EXPECT_EQ(ParserProcess::AddHighscore(&parser, "TOP", 1e9), 0);
    EXPECT_EQ(ParserProcess::AddHighscore(&parser, "LONGNAME", 1234567), 7);
    EXPECT_EQ(parser.m_highscores.m_names[7], "BLK");

    // Saved with every digit: 1,234,567 does not come back as 1,234,570.
    const HighscoreTable* reread = Load();
    EXPECT_EQ(reread->m_names[0], "TOP");
    EXPECT_EQ(reread->m_names[6], "EQL");
    EXPECT_EQ(reread->m_values[7], 1234567.0);
    EXPECT_EQ(reread->m_values.size(), 10u);
}

TEST_F(Highscores, AShortTableTakesAnyScore) {
    WriteScores({{"ONE", "500"}, {"TWO", "400"}});
    Load();
    EXPECT_EQ(ParserProcess::AddHighscore(&parser, "NEW", 1), 2);
    EXPECT_EQ(Load()->m_values, (std::vector<f64>{500, 400, 1}));
}

TEST_F(Highscores, CachedTableIsServedUntilAReReadIsAskedFor) {
    WriteScores({{"ONE", "500"}});
    HighscoreTable* first = Load(true);
    WriteScores({{"TWO", "400"}});
    EXPECT_EQ(Load(true), first);
    EXPECT_EQ(first->m_names, std::vector<std::string>{"ONE"});
    EXPECT_EQ(Load(false)->m_names, std::vector<std::string>{"TWO"});
}
