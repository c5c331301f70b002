#include "HighScore.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

using Orbivane::HighScore;
using OrbivaneTest::TempWorkDir;

namespace fs = std::filesystem;

namespace {

class HighScoreTest : public ::testing::Test {
protected:
    // Builds the table from the given file (none if absent) and returns what it printed.
    std::string load(const std::string& playerName, const std::optional<std::string>& file = std::nullopt)
    {
        if (file) {
            m_Dir.writeFile("highscores.txt", *file);
        }
        testing::internal::CaptureStdout();
        m_Table = std::make_unique<HighScore>(playerName);
        return testing::internal::GetCapturedStdout();
    }

    std::string save(int score)
    {
        m_Table->m_Score = score;
        testing::internal::CaptureStdout();
        m_Table->save();
        return testing::internal::GetCapturedStdout();
    }

    std::string savedFile() const { return m_Dir.readFile("highscores.txt"); }
    bool temporaryLeft() const { return fs::exists(fs::symlink_status(m_Dir.path() / "highscores.txt.tmp")); }

    TempWorkDir m_Dir;
    std::unique_ptr<HighScore> m_Table;
};

}

TEST_F(HighScoreTest, MissingFileStartsEmptyAndIsCreatedOnSave)
{
    EXPECT_EQ(load("Ann"), "OLD HIGHSCORES:\n");
    EXPECT_TRUE(m_Table->getScores().empty());
    EXPECT_EQ(save(0), "NEW HIGHSCORES:\nAnn|0\n");
    EXPECT_EQ(savedFile(), "Ann|0\n");
    EXPECT_FALSE(temporaryLeft());
}

TEST_F(HighScoreTest, LoadingStopsAtAnEmptyLineKeepsTheFirstLineOfAScoreAndParsesMalformedLines)
{
    struct Case {
        std::string file;
        std::string printed;
        HighScore::Table table;
    };
    const Case cases[] = {
        {"Ann|5\n\nBob|9\n", "OLD HIGHSCORES:\nAnn|5\n", {{5, "Ann"}}},
        {"Ann|5\nBob|5\n", "OLD HIGHSCORES:\nAnn|5\nBob|5\n", {{5, "Ann"}}},
        // The score is echoed as read; only the stored number is converted.
        {"x|y|7\nno bar 3\nCid| 12abc\nDee|many\n", "OLD HIGHSCORES:\ny|7\n|no bar 3\nCid| 12abc\nDee|many\n",
         {{12, "Cid"}, {7, "y"}, {0, ""}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(load("Zed", c.file), c.printed);
        EXPECT_EQ(m_Table->getScores(), c.table);
    }
}

TEST_F(HighScoreTest, SavedTableIsDescendingWhateverTheFileOrder)
{
    load("Eve", "Ann|3\nBob|11\nCid|-2\nDee|7\n");
    EXPECT_EQ(save(5), "NEW HIGHSCORES:\nBob|11\nDee|7\nEve|5\nAnn|3\nCid|-2\n");
    EXPECT_EQ(savedFile(), "Bob|11\nDee|7\nEve|5\nAnn|3\nCid|-2\n");
    EXPECT_EQ(m_Table->getScores().begin()->first, 11);
}

TEST_F(HighScoreTest, SameScoreJoinsNamesOnce)
{
    load("Cid", "Ann|5\n");
    save(5);
    EXPECT_EQ(savedFile(), "Ann, Cid|5\n");
    // Cid now follows ", " and counts as present.
    EXPECT_EQ(save(5), "NEW HIGHSCORES:\nAnn, Cid|5\n");
    EXPECT_EQ(savedFile(), "Ann, Cid|5\n");
}

TEST_F(HighScoreTest, PresenceIsASubstringTestAfterTheSeparator)
{
    struct Case {
        std::string player;
        std::string names;
        std::string written;
    };
    const Case cases[] = {
        {"Ann", "Bob, Ann", "Bob, Ann|5\n"},
        {"Ann", "Ann, Bob", "Ann, Bob, Ann|5\n"},
        {"Bo", "Ann, Bob", "Ann, Bob|5\n"},
        {"Ann", "Ann", "Ann|5\n"},
        // An entry without names blocks the score: the insertion finds it taken.
        {"Ann", "", "|5\n"},
        {"Bob", "Ann", "Ann, Bob|5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.player + " into \"" + c.names + "\"");
        load(c.player, c.names + "|5\n");
        save(5);
        EXPECT_EQ(savedFile(), c.written);
    }
}

// Whatever stands at the temporary's place, the table file ends up either
// untouched or complete, and no temporary of ours is left behind.
TEST_F(HighScoreTest, SavingAroundWhatStandsAtTheTemporarysPlace)
{
    struct Case {
        const char* name;
        std::function<void()> obstacle;
        std::string saved;
        bool staysDirectory;
    };
    const Case cases[] = {
        // Not ours to delete: it stays.
        {"directory", [this] { fs::create_directory(m_Dir.path() / "highscores.txt.tmp"); }, "Ann|5\n", true},
        // Every write to /dev/full fails as on a full disk.
        {"full disk", [this] { fs::create_symlink("/dev/full", m_Dir.path() / "highscores.txt.tmp"); }, "Ann|5\n", false},
        {"stale file", [this] { m_Dir.writeFile("highscores.txt.tmp", "half a tab"); }, "Cid|9\nAnn|5\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_Dir.path() / "highscores.txt.tmp");
        load("Cid", "Ann|5\n");
        c.obstacle();
        EXPECT_EQ(save(9), "NEW HIGHSCORES:\nCid|9\nAnn|5\n");
        EXPECT_EQ(savedFile(), c.saved);
        EXPECT_EQ(fs::is_directory(m_Dir.path() / "highscores.txt.tmp"), c.staysDirectory);
        EXPECT_EQ(temporaryLeft(), c.staysDirectory);
    }
}
