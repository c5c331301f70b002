#pragma once

#include <functional>
#include <map>
#include <string>

namespace Orbivane {

// The running game's score and the best scores of earlier runs, kept in
// "highscores.txt" as lines of "names|score", highest score first.
class HighScore {
public:
    using Table = std::map<int, std::string, std::greater<int>>;

    explicit HighScore(const std::string& playerName);

    // Records this game's score under the player's name in the table as the
    // file holds it now (another game may have saved meanwhile), prints that
    // table and rewrites the file; a failure is reported after the table.
    void save();
    Table getScores() const;

    // The world raises the score directly, one point per asteroid shot.
    int m_Score = 0;
    std::string m_PlayerName;
    std::string m_FileName = "highscores.txt";
    Table m_Scores;

private:
    void load();
    void mergeCurrentScore();
    // Returns why the table could not be written, or nothing.
    std::string writeTable(const std::string& contents, bool tableExists, unsigned tableMode) const;
};

}
