#include "content/highscore_table.h"

#include <algorithm>

#include "content/ticpp.h"
#include "content/xml_failure.h"

void HighscoreTable::AppendDefaults() {
    static const char* const kNames[kMaxEntries] = {"VAN", "GRV", "TRL", "MCH", "BOT",
                                                    "RKT", "LSR", "ZAP", "UFO", "AAA"};
    f64 score = 20000000.0;
    for (const char* name : kNames) {
        m_names.emplace_back(name);
        m_values.push_back(score);
        score /= 2.0;
    }
}

int HighscoreTable::Insert(const std::string& name, f64 score) {
    const std::size_t count = std::min(m_names.size(), m_values.size());
    if (count >= kMaxEntries && !(score > m_values[kMaxEntries - 1])) {
        return -1;
    }
    const auto place = static_cast<std::size_t>(
        std::find_if(m_values.begin(), m_values.begin() + static_cast<std::ptrdiff_t>(count),
                     [score](f64 value) { return value < score; }) -
        m_values.begin());
    m_names.insert(m_names.begin() + static_cast<std::ptrdiff_t>(place),
                   name.size() > kMaxNameLength ? std::string("BLK") : name);
    m_values.insert(m_values.begin() + static_cast<std::ptrdiff_t>(place), score);
    if (m_names.size() > kMaxEntries) {
        m_names.resize(kMaxEntries);
    }
    if (m_values.size() > kMaxEntries) {
        m_values.resize(kMaxEntries);
    }
    return static_cast<int>(place);
}

bool ReadHighscores(const std::string& path, HighscoreTable& table) {
    table.m_names.clear();
    table.m_values.clear();
    try {
        ticpp::Document document;
        document.LoadFile(path);
        const ticpp::Element root = document.FirstChildElement("Highscores");
        ticpp::Element score = root.FirstChildElement("Score");
        for (std::size_t n = 0; score && n < HighscoreTable::kMaxEntries; ++n) {
            std::string name;
            f64 value = 0.0;
            score.GetAttribute("name", &name);
            score.GetAttribute("value", &value);
            table.m_names.push_back(name);
            table.m_values.push_back(value);
            score = score.NextSiblingElement("Score", false);
        }
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        table.AppendDefaults();
        return false;
    }
}

bool WriteHighscores(const std::string& path, const HighscoreTable& table) {
    try {
        ticpp::Document document;
        ticpp::Element root = document.Create("Highscores");
        const std::size_t count =
            std::min({table.m_names.size(), table.m_values.size(), HighscoreTable::kMaxEntries});
        for (std::size_t i = 0; i < count; ++i) {
            ticpp::Element score = root.InsertEndChild("Score");
            score.SetAttribute("name", table.m_names[i]);
            score.SetAttribute("value", table.m_values[i]);
        }
        document.SaveFile(path);
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        return false;
    }
}
