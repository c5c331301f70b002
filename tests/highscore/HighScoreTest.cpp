#include "HighScore.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <thread>

using Orbivane::HighScore;
using OrbivaneTest::consoleOf;

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
        return consoleOf([&] { m_Table = std::make_unique<HighScore>(playerName); });
    }

    std::string save(int score)
    {
        m_Table->m_Score = score;
        return consoleOf([&] { m_Table->save(); });
    }

    std::string savedFile() const { return m_Dir.readFile("highscores.txt"); }
    bool temporaryLeft() const { return fs::exists(fs::symlink_status(m_Dir.path() / "highscores.txt.tmp")); }

    OrbivaneTest::TempWorkDir m_Dir;
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

// Scores outside an int are skipped, not wrapped.
TEST_F(HighScoreTest, LoadingStopsAtAnEmptyLineKeepsTheFirstLineOfAScoreAndSkipsWhatItCannotHold)
{
    struct Case {
        std::string file;
        std::string echoed; // after the header; empty for the whole file as read
        HighScore::Table table;
    };
    const Case cases[] = {
        {"Ann|5\n\nBob|9\n", "Ann|5\n", {{5, "Ann"}}},
        {"Ann|5\nBob|5\n", "", {{5, "Ann"}}},
        // The score is echoed as read; only the stored number is converted.
        {"x|y|7\nno bar 3\nCid| 12abc\nDee|many\n", "y|7\n|no bar 3\nCid| 12abc\nDee|many\n",
         {{12, "Cid"}, {7, "y"}, {0, ""}}},
        {"Ann|5\nCid|-2147483649\n", "", {{5, "Ann"}}},
        {"Dan|4294967301\nAnn|5\n", "", {{5, "Ann"}}},
        {"Eve|2147483648\nBob|99999999999999999999999\n", "", {}},
        {"Max|2147483647\nMin|-2147483648\n", "", {{INT_MAX, "Max"}, {INT_MIN, "Min"}}},
        {"Ann|  +12 points\nBob|-0\n", "", {{12, "Ann"}, {0, "Bob"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(load("Zed", c.file), "OLD HIGHSCORES:\n" + (c.echoed.empty() ? c.file : c.echoed));
        EXPECT_EQ(m_Table->getScores(), c.table);
    }
}

TEST_F(HighScoreTest, SavedTableIsDescendingWhateverTheFileOrder)
{
    load("Eve", "Ann|3\nBob|11\nCid|-2\nDee|7\n");
    EXPECT_EQ(save(5), "NEW HIGHSCORES:\nBob|11\nDee|7\nEve|5\nAnn|3\nCid|-2\n");
    EXPECT_EQ(savedFile(), "Bob|11\nDee|7\nEve|5\nAnn|3\nCid|-2\n");
}

// A name joins a taken score once, found as a substring after the separator;
// a second save of the same game changes nothing. A name cannot split its line.
TEST_F(HighScoreTest, NamesJoinATakenScoreOnceAndCannotSplitTheirLine)
{
    struct Case {
        std::string player;
        std::string names;
        std::string written;
    };
    const Case cases[] = {
        {"Bob", "Ann", "Ann, Bob|5\n"},
        {"Ann", "Bob, Ann", "Bob, Ann|5\n"},
        {"Ann", "Ann, Bob", "Ann, Bob, Ann|5\n"},
        {"Bo", "Ann, Bob", "Ann, Bob|5\n"},
        {"Ann", "Ann", "Ann|5\n"},
        // An entry without names blocks the score: the insertion finds it taken.
        {"Ann", "", "|5\n"},
        {"Ann|999", "Bob", "Bob, Ann 999|5\n"},
        {"Ann\n|7", "Bob", "Bob, Ann  7|5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.player + " into \"" + c.names + "\"");
        load(c.player, c.names + "|5\n");
        for (int saves = 0; saves < 2; ++saves) {
            save(5);
            EXPECT_EQ(savedFile(), c.written);
        }
        const HighScore::Table saved = m_Table->getScores();
        load("Zed");
        EXPECT_EQ(m_Table->getScores(), saved);
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
        {"full disk", [this] { fs::create_symlink("/dev/full", m_Dir.path() / "highscores.txt.tmp"); }, "Ann|5\n",
         false},
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

// A save killed at any moment leaves the old table or the new one, and a
// later start loads it and saves cleanly over whatever the kill left.
TEST_F(HighScoreTest, KilledSaveLeavesTheOldOrTheNewTable)
{
    std::string oldTable;
    for (int score = 12000; score > 0; --score) {
        oldTable += "Pilot number " + std::to_string(score) + ", wing old|" + std::to_string(score) + "\n";
    }
    const std::string newTable = "Newcomer|12001\n" + oldTable;
    // Runs a save in a child, once its table is loaded, and kills it after the given delay, if any.
    const auto saveInChild = [&](std::optional<std::chrono::microseconds> killAfter) {
        m_Dir.writeFile("highscores.txt", oldTable);
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
            HighScore table("Newcomer");
            table.m_Score = 12001;
            (void)!::write(ready[1], "g", 1);
            table.save();
            _exit(0);
        }
        char go = 0;
        EXPECT_EQ(::read(ready[0], &go, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        const auto started = std::chrono::steady_clock::now();
        if (killAfter) {
            std::this_thread::sleep_for(*killAfter);
            kill(child, SIGKILL);
        }
        waitpid(child, nullptr, 0);
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    };
    // The slowest of three whole saves, so that a busy machine still spreads the kills over the whole save.
    std::chrono::microseconds saveTime{0};
    for (int run = 0; run < 3; ++run) {
        saveTime = std::max(saveTime, saveInChild(std::nullopt));
        ASSERT_EQ(savedFile(), newTable);
    }
    std::mt19937 random(20261206);
    std::uniform_int_distribution<long> delay(0, saveTime.count() * 3 / 2);
    int seen[2] = {0, 0};
    for (int run = 0; run < 50; ++run) {
        saveInChild(std::chrono::microseconds(delay(random)));
        const std::string file = savedFile();
        ASSERT_TRUE(file == oldTable || file == newTable) << "run " << run << ": " << file.size() << " bytes";
        ++seen[file == newTable];
        load("Later");
        ASSERT_EQ(m_Table->getScores().size(), file == oldTable ? 12000u : 12001u);
        save(-1);
        EXPECT_EQ(savedFile(), file + "Later|-1\n");
        EXPECT_FALSE(temporaryLeft()) << "run " << run;
    }
    // Kills landed on both sides of the rename, so the middle was covered.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}
