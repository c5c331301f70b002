#include "HighScore.h"
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
#include <optional>
#include <random>
#include <thread>

using Orbivane::HighScore;
using OrbivaneTest::TempWorkDir;

namespace fs = std::filesystem;

namespace {

HighScore::Table loadQuietly(const std::string& playerName)
{
    testing::internal::CaptureStdout();
    HighScore table(playerName);
    testing::internal::GetCapturedStdout();
    return table.getScores();
}

std::string saveQuietly(HighScore& table, int score)
{
    table.m_Score = score;
    testing::internal::CaptureStdout();
    table.save();
    return testing::internal::GetCapturedStdout();
}

std::string largeTable(const std::string& tag)
{
    std::string text;
    for (int score = 12000; score > 0; --score) {
        text += "Pilot " + tag + " number " + std::to_string(score) + ", wing " + tag + "|" + std::to_string(score) + "\n";
    }
    return text;
}

}

TEST(HighScoreRobustness, ScoresOutsideAnIntAreSkippedNotWrapped)
{
    struct Case {
        std::string file;
        HighScore::Table loaded;
    };
    const Case cases[] = {
        {"Ann|5\nCid|-2147483649\n", {{5, "Ann"}}},
        {"Dan|4294967301\nAnn|5\n", {{5, "Ann"}}},
        {"Eve|2147483648\nBob|99999999999999999999999\n", {}},
        {"Max|2147483647\nMin|-2147483648\n", {{INT_MAX, "Max"}, {INT_MIN, "Min"}}},
        {"Ann|  +12 points\nBob|-0\n", {{12, "Ann"}, {0, "Bob"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempWorkDir dir;
        dir.writeFile("highscores.txt", c.file);
        EXPECT_EQ(loadQuietly("Zed"), c.loaded);
    }
}

TEST(HighScoreRobustness, PlayerNameCannotSplitItsLine)
{
    struct Case {
        std::string player;
        std::string written;
    };
    const Case cases[] = {
        {"Ann|999", "Bob, Ann 999|5\n"},
        {"Ann\n|7", "Bob, Ann  7|5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.player);
        TempWorkDir dir;
        dir.writeFile("highscores.txt", "Bob|5\n");
        testing::internal::CaptureStdout();
        HighScore table(c.player);
        testing::internal::GetCapturedStdout();
        saveQuietly(table, 5);
        EXPECT_EQ(dir.readFile("highscores.txt"), c.written);
        EXPECT_EQ(loadQuietly("Zed"), table.getScores());
    }
}

// A save killed at any moment leaves the old table or the new one, and a
// later start loads it and saves cleanly over whatever the kill left.
TEST(HighScoreRobustness, KilledSaveLeavesTheOldOrTheNewTable)
{
    TempWorkDir dir;
    const std::string oldTable = largeTable("old");
    const std::string newTable = "Newcomer|12001\n" + oldTable;

    // Runs a save in a child and kills it after the given delay, if any.
    const auto saveInChild = [&](std::optional<std::chrono::microseconds> killAfter) {
        dir.writeFile("highscores.txt", oldTable);
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const int quiet = ::open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            HighScore table("Newcomer");
            table.m_Score = 12001;
            const char go = 'g';
            (void)!::write(ready[1], &go, 1);
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
        int status = 0;
        waitpid(child, &status, 0);
        return std::chrono::steady_clock::now() - started;
    };

    // The slowest of three whole saves, so that a busy machine still spreads
    // the kills over the whole save.
    std::chrono::microseconds saveTime{0};
    for (int run = 0; run < 3; ++run) {
        saveTime = std::max(saveTime, std::chrono::duration_cast<std::chrono::microseconds>(saveInChild(std::nullopt)));
        ASSERT_EQ(dir.readFile("highscores.txt"), newTable);
    }

    std::mt19937 random(20261206);
    std::uniform_int_distribution<long> delay(0, saveTime.count() * 3 / 2);
    int oldSeen = 0;
    int newSeen = 0;
    for (int run = 0; run < 50; ++run) {
        saveInChild(std::chrono::microseconds(delay(random)));
        const std::string file = dir.readFile("highscores.txt");
        ASSERT_TRUE(file == oldTable || file == newTable) << "run " << run << ": " << file.size() << " bytes";
        (file == oldTable ? oldSeen : newSeen)++;

        testing::internal::CaptureStdout();
        HighScore later("Later");
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(later.getScores().size(), file == oldTable ? 12000u : 12001u);
        saveQuietly(later, -1);
        EXPECT_EQ(dir.readFile("highscores.txt"), file + "Later|-1\n");
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "highscores.txt.tmp"))) << "run " << run;
    }
    // Kills landed on both sides of the rename, so the middle was covered.
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}
