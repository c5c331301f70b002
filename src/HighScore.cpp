#include "HighScore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

namespace Orbivane {

namespace {

namespace fs = std::filesystem;

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

// Writes `contents` at `offset`, reporting a short write as an error too, so
// that errno always says why.
bool writeAll(int descriptor, const std::string& contents, off_t offset = 0)
{
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t result = ::pwrite(descriptor, contents.data() + written, contents.size() - written,
                                        offset + static_cast<off_t>(written));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            errno = result == 0 ? EIO : errno;
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

// Owns one open file descriptor.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_Descriptor(descriptor) {}
    ~Descriptor()
    {
        if (m_Descriptor >= 0) {
            ::close(m_Descriptor);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_Descriptor; }
    // Closing may report a late write error, so a writer closes explicitly.
    bool close()
    {
        const bool closed = ::close(m_Descriptor) == 0;
        m_Descriptor = -1;
        return closed;
    }

private:
    int m_Descriptor;
};

std::string folderOf(const std::string& file)
{
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() ? "." : folder.string();
}

// The file whose lock every game saving into one folder takes: the lock file
// beside the table, made by the first save. Where it is not there and cannot
// be made, the folder takes no new file, so the table is written in place,
// and the table itself is locked: every game in that folder then finds the
// same file to lock.
int openLockFile(const std::string& table, short lockType)
{
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const std::string lockFile = table + ".lock";
    const int descriptor = lockType == F_WRLCK ? ::open(lockFile.c_str(), O_RDWR | O_CREAT | flags, 0666)
                                               : ::open(lockFile.c_str(), O_RDONLY | flags);
    return descriptor >= 0 ? descriptor : ::open(table.c_str(), (lockType == F_WRLCK ? O_RDWR : O_RDONLY) | flags);
}

// One save reads, merges and replaces the table while other games wait. A
// record lock (fcntl) holds on network file systems too, where a lock on the
// folder does not. It belongs to this open file, not to the process, so that
// no other descriptor of the same file that closes can release it. The lock
// file stays: were it removed, a later game could lock a new file of that
// name while another still held the old one.
class TableLock {
public:
    TableLock(const std::string& table, short lockType) : m_File(openLockFile(table, lockType))
    {
        struct flock whole {};
        whole.l_type = lockType;
        whole.l_whence = SEEK_SET;
        // A file that cannot be locked is saved into unlocked: the score is
        // kept, only a save at the very same moment could then win over it.
        while (m_File.get() >= 0 && ::fcntl(m_File.get(), F_OFD_SETLKW, &whole) != 0 && errno == EINTR) {
        }
    }

private:
    Descriptor m_File; // closing it releases the lock
};

// Makes a rename inside the folder survive a power cut.
void syncFolder(const std::string& folder)
{
    const Descriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() >= 0) {
        ::fsync(handle.get());
    }
}

std::string reasonFor(const std::string& path, int error)
{
    return error == ELOOP ? path + " is a symbolic link" : std::strerror(error);
}

struct TableFile {
    std::string text;
    bool exists = false;
    unsigned mode = 0;
    std::string failure; // why it could not be read; empty when it could, or when there is none
};

// A link at the table's name is not followed: it could carry other files'
// lines into the table, or a later write into another file. Nor is anything
// but a plain file read, which could block or never end.
TableFile readTable(const std::string& path)
{
    TableFile table;
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    table.exists = file.get() >= 0 || errno != ENOENT;
    if (file.get() < 0) {
        table.failure = table.exists ? reasonFor(path, errno) : "";
        return table;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        table.failure = path + " is not a plain file";
        return table;
    }
    table.mode = status.st_mode & 0777;
    char buffer[4096];
    for (ssize_t got; (got = ::read(file.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR) {
            table.failure = std::strerror(errno);
            break;
        }
        table.text.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
    return table;
}

// The lines up to the first empty one.
std::vector<Entry> parseEntries(const std::string& text)
{
    std::vector<Entry> entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && !line.empty()) {
        entries.push_back(parseLine(line));
    }
    return entries;
}

void addEntry(HighScore::Table& table, const Entry& entry)
{
    if (const std::optional<int> score = parseScore(entry.scoreText)) {
        table.emplace(*score, entry.names);
    }
}

// Temporaries that a killed save left before its rename; the lock ensures
// that no running save owns them. Only plain files were ours: a link or a
// folder at such a name stays.
void removeStaleTemporaries(const std::string& table)
{
    const std::string prefix = fs::path(table).filename().string() + ".tmp";
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(table), error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if ((name == prefix || name.rfind(prefix + "-", 0) == 0) &&
            entry->symlink_status(error).type() == fs::file_type::regular) {
            fs::remove(entry->path(), error);
        }
    }
}

// A new file of this save beside the table, never one that exists or a link,
// so that two saves never write into one file.
int createTemporary(const std::string& table, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = table + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

// For a folder where no file can be made. A link or a second hard link at
// the table's name is not written through, since the write would land in a
// file that is not only this table. The file first grows to the new size
// with line breaks, which a load takes as the table's end, so that a disk too
// full for the new table leaves the old one whole; a kill while the table is
// rewritten can still cut it short.
std::string writeInPlace(const std::string& table, const std::string& contents)
{
    Descriptor file(::open(table.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        return reasonFor(table, errno);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        return table + " is not a plain file";
    }
    const auto oldSize = static_cast<std::size_t>(status.st_size);
    if (contents.size() > oldSize &&
        (!writeAll(file.get(), std::string(contents.size() - oldSize, '\n'), status.st_size) ||
         ::fsync(file.get()) != 0)) {
        const std::string reason = std::strerror(errno);
        (void)!::ftruncate(file.get(), status.st_size);
        return reason;
    }
    if (!writeAll(file.get(), contents) || ::ftruncate(file.get(), static_cast<off_t>(contents.size())) != 0 ||
        ::fsync(file.get()) != 0 || !file.close()) {
        return std::strerror(errno);
    }
    return {};
}

}

HighScore::HighScore(const std::string& playerName) : m_PlayerName(playerName)
{
    load();
}

void HighScore::load()
{
    std::cout << "OLD HIGHSCORES:\n";
    // Waits while another game writes the table in place.
    const TableLock lock(m_FileName, F_RDLCK);
    for (const Entry& entry : parseEntries(readTable(m_FileName).text)) {
        std::cout << entry.names << "|" << entry.scoreText << "\n";
        addEntry(m_Scores, entry);
    }
}

// Merges into the table as it is on disk now, so that another game's save
// since this one started is kept. A table that is there but cannot be read
// is not replaced: the entries it holds would be lost.
void HighScore::save()
{
    std::cout << "NEW HIGHSCORES:\n";
    const TableLock lock(m_FileName, F_WRLCK);
    const TableFile onDisk = readTable(m_FileName);
    if (onDisk.failure.empty()) {
        m_Scores.clear();
        for (const Entry& entry : parseEntries(onDisk.text)) {
            addEntry(m_Scores, entry);
        }
    }
    mergeCurrentScore();
    std::string contents;
    for (const auto& [score, names] : m_Scores) {
        const std::string line = names + "|" + std::to_string(score) + "\n";
        std::cout << line;
        contents += line;
    }
    const std::string failure =
        onDisk.failure.empty() ? writeTable(contents, onDisk.exists, onDisk.mode) : onDisk.failure;
    if (!failure.empty()) {
        std::cout << "Could not save high scores: " << failure << "\n";
    }
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
// a kill or a full disk in the middle leaves the previous table whole. A
// table that the player may not write was made read-only to stay as it is.
std::string HighScore::writeTable(const std::string& contents, bool tableExists, unsigned tableMode) const
{
    if (tableExists && ::faccessat(AT_FDCWD, m_FileName.c_str(), W_OK, AT_EACCESS) != 0) {
        return std::strerror(errno);
    }
    removeStaleTemporaries(m_FileName);
    std::string temporary;
    Descriptor file(createTemporary(m_FileName, temporary));
    if (file.get() < 0) {
        // Only a folder the player may not write in is worked around; on a
        // full disk, say, writing in place would cut the table short.
        const int error = errno;
        const bool folderClosed = error == EACCES || error == EPERM;
        return tableExists && folderClosed ? writeInPlace(m_FileName, contents) : std::strerror(error);
    }
    if (tableExists) {
        // Whoever may read the table now may read the new one.
        ::fchmod(file.get(), tableMode);
    }
    const bool written = writeAll(file.get(), contents) && ::fsync(file.get()) == 0;
    const bool closed = file.close();
    if (written && closed && std::rename(temporary.c_str(), m_FileName.c_str()) == 0) {
        syncFolder(folderOf(m_FileName));
        return {};
    }
    const std::string reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    return reason;
}

}
