#include "support/TempWorkDir.h"

#include "helpers/IniSettings.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace OrbivaneTest {

namespace fs = std::filesystem;

TempWorkDir::TempWorkDir() : m_Previous(fs::current_path())
{
    std::string pattern = (fs::temp_directory_path() / "orbivane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    m_Path = pattern;
    fs::current_path(m_Path);
}

TempWorkDir::TempWorkDir(const std::string& settings) : TempWorkDir()
{
    linkGameAssets();
    useSettings(settings);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ignored;
    fs::current_path(m_Previous, ignored);
    fs::remove_all(m_Path, ignored);
    Orbivane::Helpers::IniSettings::reload();
}

void TempWorkDir::linkGameAssets() const
{
    fs::create_directory_symlink(gameDir() / "shader", m_Path / "shader");
    fs::create_directory_symlink(gameDir() / "res", m_Path / "res");
}

void TempWorkDir::useSettings(const std::string& settings) const
{
    writeFile("Orbivane.ini", settings);
    Orbivane::Helpers::IniSettings::reload();
}

void TempWorkDir::writeFile(const std::string& relativePath, const std::string& contents) const
{
    const fs::path file = m_Path / relativePath;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
}

std::string TempWorkDir::readFile(const std::string& relativePath, std::size_t limit) const
{
    std::ifstream in(m_Path / relativePath, std::ios::binary);
    std::string contents(limit, '\0');
    in.read(contents.data(), static_cast<std::streamsize>(limit));
    contents.resize(static_cast<std::size_t>(in.gcount()));
    return contents;
}

}
