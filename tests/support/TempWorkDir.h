#pragma once

#include <filesystem>
#include <string>

namespace OrbivaneTest {

// Makes a fresh temporary directory the working directory for its lifetime
// and returns to the previous one afterwards. The game resolves every asset,
// settings and high-score path against the working directory.
class TempWorkDir {
public:
    TempWorkDir();
    // A game folder: the built game's shader/ and res/ linked in and `settings`
    // as its Orbivane.ini, in use from here on.
    explicit TempWorkDir(const std::string& settings);
    // Also reads the settings afresh, so that no test sees another's.
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& path() const { return m_Path; }

    // Links the built game's shader/ and res/ folders in, so the world can load.
    void linkGameAssets() const;
    // Writes Orbivane.ini and makes the next settings lookup read it.
    void useSettings(const std::string& settings) const;
    void writeFile(const std::string& relativePath, const std::string& contents) const;
    // At most `limit` bytes, so that a file that turned into an endless
    // device (a link to /dev/full, say) fails a test instead of filling memory.
    std::string readFile(const std::string& relativePath, std::size_t limit = 1 << 20) const;

private:
    std::filesystem::path m_Previous;
    std::filesystem::path m_Path;
};

inline std::filesystem::path gameDir() { return ORBIVANE_GAME_DIR; }

}
