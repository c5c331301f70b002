#include "HighScore.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <set>
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
    bool temporaryLeft() const
    {
        const auto isTemporary = [](const fs::directory_entry& entry) {
            return entry.path().filename().string().rfind("highscores.txt.tmp", 0) == 0;
        };
        return std::any_of(fs::directory_iterator(m_Dir.path()), fs::directory_iterator(), isTemporary);
    }

    // A game in a forked child: it loads the table as `player`, runs
    // `beforeSave` (which may wait, or drop privileges or limits), then saves
    // `score` `saves` times, printing into `console`.
    static pid_t forkGame(const std::string& player, int score, int console, const std::function<void()>& beforeSave,
                          int saves = 1)
    {
        const pid_t child = fork();
        if (child == 0) {
            dup2(console, STDOUT_FILENO);
            HighScore table(player);
            table.m_Score = score;
            beforeSave();
            for (int save = 0; save < saves; ++save) {
                table.save();
            }
            std::cout.flush();
            _exit(0);
        }
        return child;
    }

    // What one such game's save printed.
    static std::string saveInChild(const std::string& player, int score, const std::function<void()>& beforeSave)
    {
        int console[2];
        EXPECT_EQ(pipe(console), 0);
        const pid_t child = forkGame(player, score, console[1], beforeSave);
        ::close(console[1]);
        std::string printed;
        for (char c = 0; ::read(console[0], &c, 1) == 1;) {
            printed += c;
        }
        ::close(console[0]);
        waitpid(child, nullptr, 0);
        return printed.substr(std::min(printed.size(), printed.find("NEW HIGHSCORES:")));
    }

    OrbivaneTest::TempWorkDir m_Dir;
    std::unique_ptr<HighScore> m_Table;
};

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

// Since this game started from no table or from one, another game shared
// its score and saved, and an entry was removed from the file: the save joins
// the other game's names, leaves the entry out, writes the highest score
// first whatever the file's order, and gives the table its old mode.
TEST_F(HighScoreTest, SaveJoinsAnotherGamesSharedScoreKeepsRemovalsAndTheMode)
{
    for (const auto& [atStart, mode] : {std::pair("", fs::perms(0600)), {"Ann|5\nDee|3\n", fs::perms(0644)}}) {
        fs::remove(m_Dir.path() / "highscores.txt");
        EXPECT_EQ(load("Bob", *atStart ? std::optional<std::string>(atStart) : std::nullopt),
                  std::string("OLD HIGHSCORES:\n") + atStart);
        m_Dir.writeFile("highscores.txt", "Cid|-2\nAnn, Cid|5\nEve|11\n");
        fs::permissions(m_Dir.path() / "highscores.txt", mode);
        EXPECT_EQ(save(5), "NEW HIGHSCORES:\nEve|11\nAnn, Cid, Bob|5\nCid|-2\n");
        EXPECT_EQ(savedFile(), "Eve|11\nAnn, Cid, Bob|5\nCid|-2\n");
        EXPECT_EQ(fs::status(m_Dir.path() / "highscores.txt").permissions(), mode);
        EXPECT_FALSE(temporaryLeft());
    }
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

// Whatever stands at a name the save uses, nothing is written through a
// link, the table file ends up untouched or complete, and no temporary of
// ours is left behind.
TEST_F(HighScoreTest, SavingAroundWhatStandsAtTheNamesItUses)
{
    enum class Kind { Folder, File, Link };
    struct Case {
        Kind kind;
        std::string name, failure;
        bool stays;
    };
    const Case cases[] = {
        // Not ours to delete.
        {Kind::Folder, "highscores.txt.tmp", "", true},
        // Left by killed saves, of an older game and of this one.
        {Kind::File, "highscores.txt.tmp", "", false},
        {Kind::File, "highscores.txt.tmp-1-0", "", false},
        {Kind::Link, "highscores.txt.tmp-" + std::to_string(getpid()) + "-0", "", true},
        {Kind::Link, "highscores.txt", "Could not save high scores: highscores.txt is a symbolic link\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_Dir.writeFile("elsewhere.txt", "Ann|5\n");
        load("Cid", "Ann|5\n");
        const fs::path at = m_Dir.path() / c.name;
        fs::remove(at);
        if (c.kind == Kind::Folder) {
            fs::create_directory(at);
        } else if (c.kind == Kind::File) {
            m_Dir.writeFile(c.name, "half a tab");
        } else {
            fs::create_symlink("elsewhere.txt", at);
        }
        EXPECT_EQ(save(9), "NEW HIGHSCORES:\nCid|9\nAnn|5\n" + c.failure);
        EXPECT_EQ(savedFile(), c.failure.empty() ? "Cid|9\nAnn|5\n" : "Ann|5\n");
        EXPECT_EQ(m_Dir.readFile("elsewhere.txt"), "Ann|5\n");
        EXPECT_EQ(fs::exists(fs::symlink_status(at)), c.stays);
        EXPECT_EQ(temporaryLeft(), c.stays && c.name != "highscores.txt");
        fs::remove_all(at);
    }
}

// As an unprivileged user (root ignores file modes), on a disk of its own (a
// small tmpfs over the test's folder, mounted in a mount namespace of this
// process's own, so that nothing else sees it and it goes with the process;
// mounting needs root, as CI has): a folder where nothing can be made still
// gets the score if the table is writable; a read-only table stays; a disk
// out of inodes or space keeps the old table whole, written in place or not.
TEST_F(HighScoreTest, ReadOnlyFolderWritesInPlaceFullDiskAndReadOnlyTableSayWhy)
{
    enum class Disk { Roomy, NoInodes, NoSpace };
    struct Case {
        mode_t folder, table; // no table for 0
        Disk disk;
        std::string failure;
        bool saved, hardLinked = false; // a second name, which a write in place would change too
    };
    const std::string space = "No space left on device";
    const Case cases[] = {
        {0555, 0666, Disk::Roomy, "", true},
        {0555, 0444, Disk::Roomy, "Permission denied", false},
        {0555, 0, Disk::Roomy, "Permission denied", false},
        {0555, 0666, Disk::Roomy, "highscores.txt is not a plain file", false, true},
        {0777, 0444, Disk::Roomy, "Permission denied", false},
        {0777, 0666, Disk::NoInodes, space, false},
        {0777, 0666, Disk::NoSpace, space, false},
        {0555, 0666, Disk::NoSpace, space, false},
    };
    const std::string folder = m_Dir.path().string(), table = folder + "/highscores.txt";
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,nr_inodes=16,mode=0777") != 0) {
        GTEST_SKIP() << "mounting a small disk needs root";
    }
    fs::current_path(folder);
    // One page long, so that the new table needs a second.
    const std::string oldTable = std::string(4088, 'A') + "|5\n", newTable = "Cid|9\n" + oldTable, page(4096, 'x');
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.table << " in " << c.folder << ": " << c.failure);
        ::chmod(folder.c_str(), 0777);
        for (const auto& entry : fs::directory_iterator(folder)) {
            fs::remove(entry.path());
        }
        if (c.table != 0) {
            m_Dir.writeFile("highscores.txt", oldTable);
            ::chmod(table.c_str(), c.table);
        }
        if (c.hardLinked) {
            fs::create_hard_link(table, folder + "/second-name.txt");
        }
        // Files that take every free inode, or one that takes every free page.
        for (int file = 0, full = c.disk == Disk::Roomy; !full; ++file) {
            const int filler = ::open(("filler-" + std::to_string(file)).c_str(), O_WRONLY | O_CREAT, 0644);
            while (c.disk == Disk::NoSpace && ::write(filler, page.data(), page.size()) > 0) {
            }
            full = filler < 0 || c.disk == Disk::NoSpace;
            ::close(filler);
        }
        ::chmod(folder.c_str(), c.folder);
        const std::string printed = saveInChild("Cid", 9, [] {
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(1);
            }
        });
        ::chmod(folder.c_str(), 0777);
        EXPECT_EQ(printed, "NEW HIGHSCORES:\nCid|9\n" + std::string(c.table != 0 ? oldTable : "") +
                               (c.failure.empty() ? "" : "Could not save high scores: " + c.failure + "\n"));
        EXPECT_EQ(savedFile(), c.saved ? newTable : c.table != 0 ? oldTable : "");
        EXPECT_FALSE(temporaryLeft());
    }
    fs::current_path("/");
    umount2(folder.c_str(), MNT_DETACH);
}

// A game holding the lock, a record lock on the lock file that network file
// systems honour too, makes a save wait: the table that game writes
// meanwhile is merged, not overwritten. The lock file stays.
TEST_F(HighScoreTest, SaveWaitsWhileAnotherGameHoldsTheLock)
{
    load("Cid", "Ann|5\n");
    int held[2];
    ASSERT_EQ(pipe(held), 0);
    if (fork() == 0) {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        if (fcntl(::open("highscores.txt.lock", O_RDWR | O_CREAT, 0666), F_SETLKW, &whole) == 0) {
            (void)!::write(held[1], "h", 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            m_Dir.writeFile("highscores.txt", "Bob|10\nAnn|5\n");
        }
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(::read(held[0], &go, 1), 1);
    EXPECT_EQ(save(11), "NEW HIGHSCORES:\nCid|11\nBob|10\nAnn|5\n");
    EXPECT_EQ(savedFile(), "Cid|11\nBob|10\nAnn|5\n");
    EXPECT_TRUE(fs::exists(m_Dir.path() / "highscores.txt.lock"));
    wait(nullptr);
}

// Two games that loaded the same table quit together, again and again, each
// saving a few times as a held Escape does: both entries stay, in a whole file.
TEST_F(HighScoreTest, TwoGamesQuittingTogetherKeepBothEntries)
{
    const std::set<std::string> whole = {"Ann|5\n", "Bob|10\nAnn|5\n", "Cidalee|11\nAnn|5\n",
                                         "Cidalee|11\nBob|10\nAnn|5\n"};
    const int runs = 200;
    int mixed = 0, lost = 0;
    for (int run = 0; run < runs; ++run) {
        m_Dir.writeFile("highscores.txt", "Ann|5\n");
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        const int quiet = ::open("/dev/null", O_WRONLY);
        const auto waitForStart = [&start] { char go = 0; (void)!::read(start[0], &go, 1); };
        const pid_t players[] = {forkGame("Bob", 10, quiet, waitForStart, 3),
                                 forkGame("Cidalee", 11, quiet, waitForStart, 3)};
        ::close(quiet);
        (void)!::write(start[1], "gg", 2);
        ::close(start[0]);
        ::close(start[1]);
        for (const pid_t player : players) {
            waitpid(player, nullptr, 0);
        }
        const std::string file = savedFile();
        if (whole.count(file) == 0) {
            ++mixed;
        } else {
            lost += (file.find("Bob|") == std::string::npos) + (file.find("Cidalee|") == std::string::npos);
        }
    }
    std::cout << runs << " runs, " << mixed << " mixed files, " << lost << " lost entries\n";
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_FALSE(temporaryLeft());
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
        const int quiet = ::open("/dev/null", O_WRONLY);
        const pid_t child = forkGame("Newcomer", 12001, quiet, [&ready] { (void)!::write(ready[1], "g", 1); });
        ::close(quiet);
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
