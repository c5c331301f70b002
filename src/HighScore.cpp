#include "HighScore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

namespace Orbivane {

namespace {

struct Entry {
    std::string names;
    std::string scoreText;
};

// The names are whatever stands between the last two bars and the score
// whatever follows the last one; a line without a bar has no name.
Entry parseLine(const std::string& line)
{
    Entry entry;
    std::string accumulator;
    for (const char c : line) {
        if (c == '\n') {
            break;
        }
        if (c == '|') {
            entry.names = accumulator;
            accumulator.clear();
        } else {
            accumulator += c;
        }
    }
    entry.scoreText = accumulator;
    return entry;
}

// Reads the score as atoi does (blanks, sign, digits up to the first other
// character, no number gives 0) but refuses a number an int cannot hold:
// wrapping it would invent a score and could push out a real entry.
std::optional<int> parseScore(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// A bar or a line break in the player's name would split the line it is
// written on, so a later load would find other names or entries.
std::string storableName(std::string name)
{
    for (char& c : name) {
        if (c == '|' || c == '\n') {
            c = ' ';
        }
    }
    return name;
}

bool writeAll(int descriptor, const std::string& contents)
{
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t result = ::write(descriptor, contents.data() + written, contents.size() - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

}

HighScore::HighScore(const std::string& playerName) : m_PlayerName(playerName)
{
    load();
}

void HighScore::load()
{
    std::ifstream file(m_FileName);
    std::cout << "OLD HIGHSCORES:\n";
    std::string line;
    while (std::getline(file, line) && !line.empty()) {
        const Entry entry = parseLine(line);
        std::cout << entry.names << "|" << entry.scoreText << "\n";
        if (const std::optional<int> score = parseScore(entry.scoreText)) {
            m_Scores.emplace(*score, entry.names);
        }
    }
}

void HighScore::save()
{
    std::cout << "NEW HIGHSCORES:\n";
    mergeCurrentScore();
    std::string contents;
    for (const auto& [score, names] : m_Scores) {
        const std::string line = names + "|" + std::to_string(score) + "\n";
        std::cout << line;
        contents += line;
    }
    writeFileAtomically(contents);
}

HighScore::Table HighScore::getScores() const
{
    return m_Scores;
}

// A player counts as present when the whole text is their name or ", name"
// occurs anywhere in it; "Bo" is thus found in "Ann, Bob". Stored tables
// were merged this way, so the test stays as it is.
void HighScore::mergeCurrentScore()
{
    const std::string playerName = storableName(m_PlayerName);
    const auto existing = m_Scores.find(m_Score);
    if (existing != m_Scores.end()) {
        std::string& names = existing->second;
        if (!names.empty() && names.find(", " + playerName) == std::string::npos && names != playerName) {
            names += ", " + playerName;
        }
        return;
    }
    m_Scores.emplace(m_Score, playerName);
}

// The table is written beside the old file and renamed over it, so a crash,
// a kill or a full disk in the middle leaves the previous table whole.
void HighScore::writeFileAtomically(const std::string& contents) const
{
    const std::string temporary = m_FileName + ".tmp";
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return;
    }
    const bool written = writeAll(descriptor, contents) && ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), m_FileName.c_str()) != 0) {
        std::remove(temporary.c_str());
    }
}

}
