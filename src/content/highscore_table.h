#pragma once
// The high-score table: names and scores paired by index, highest first, as highscores.xml
// in the save folder holds them.
#include <string>
#include <vector>

#include "core/types.h"

struct HighscoreTable {
    static constexpr std::size_t kMaxEntries = 10;
    static constexpr std::size_t kMaxNameLength = 3;

    // Appends the ten default entries (20000000 halving down to 39062.5).
    void AppendDefaults();

    // Adds a finished game's score: a name longer than three characters becomes "BLK". The
    // score goes in after every entry with an equal or higher score when it beats the tenth
    // entry (any score does while the table has free places), and the table keeps ten
    // entries. Returns the new entry's place, or -1 when the score did not make the table.
    int Insert(const std::string& name, f64 score);

    std::vector<std::string> m_names;
    std::vector<f64> m_values;
};

// Empties the table and reads up to ten entries from the file. An XML failure is reported
// and appends the default entries after those read before it; returns false then.
bool ReadHighscores(const std::string& path, HighscoreTable& table);
// Writes at most the first ten entries; a failure is reported and leaves the old file.
bool WriteHighscores(const std::string& path, const HighscoreTable& table);
