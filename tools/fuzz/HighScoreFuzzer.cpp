// Any bytes as highscores.txt, with a player name taken from the input:
// saving never gains or loses an entry beyond the player's own score, and
// the saved file loads back to exactly the table that was saved.
#include "ScratchDir.h"

#include "HighScore.h"

#include <filesystem>
#include <iterator>

using Orbivane::HighScore;
using OrbivaneFuzz::fail;

namespace {

bool sameExceptPlayerScore(const HighScore::Table& before, const HighScore::Table& after, int score)
{
    for (const auto& [entryScore, names] : before) {
        const auto found = after.find(entryScore);
        if (found == after.end() || (entryScore != score && found->second != names)) {
            return false;
        }
    }
    for (const auto& entry : after) {
        if (entry.first != score && before.count(entry.first) == 0) {
            return false;
        }
    }
    return after.count(score) == 1;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OrbivaneFuzz::enterScratchDir();
    OrbivaneFuzz::silenceStdout();
    return 0;
}

// The first line is the player's name, the rest the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string playerName = input.substr(0, lineEnd == std::string::npos ? 0 : lineEnd);
    const std::string file = lineEnd == std::string::npos ? input : input.substr(lineEnd + 1);
    OrbivaneFuzz::writeFile("highscores.txt", file);

    HighScore table(playerName);
    const HighScore::Table loaded = table.getScores();
    table.m_Score = static_cast<int>(size % 11) - 2;
    table.save();
    if (!sameExceptPlayerScore(loaded, table.getScores(), table.m_Score)) {
        fail("saving changed entries other than the player's score");
    }
    // The scratch folder holds the table and the lock file alone: the save
    // renames its temporary over the table.
    const std::filesystem::directory_iterator files(".");
    if (std::distance(begin(files), end(files)) != 2) {
        fail("a temporary file was left behind");
    }
    if (HighScore("reader").getScores() != table.getScores()) {
        fail("the saved file loads to another table");
    }
    return 0;
}
