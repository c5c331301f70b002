#include "ScratchDir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace OrbivaneFuzz {

namespace {

std::filesystem::path& scratchDir()
{
    static std::filesystem::path dir;
    return dir;
}

void removeScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchDir(), ignored);
}

}

void enterScratchDir()
{
    const bool inMemory = std::filesystem::is_directory("/dev/shm");
    std::string pattern = std::string(inMemory ? "/dev/shm" : "/tmp") + "/orbivane-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        fail("cannot make a scratch directory");
    }
    scratchDir() = pattern;
    std::filesystem::current_path(scratchDir());
    std::atexit(removeScratchDir);
}

void silenceStdout()
{
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        fail("cannot silence stdout");
    }
}

void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeFile(const std::string& name, const std::string& contents)
{
    writeFile(name, reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size());
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

}
