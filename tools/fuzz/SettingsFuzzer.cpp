// Any bytes as Orbivane.ini: reading never crashes, what was read survives
// being written back as a settings file, and every number lookup either
// gives a number or fails with the message players see.
#include "ScratchDir.h"

#include "helpers/IniSettings.h"

#include <map>
#include <stdexcept>

using Orbivane::Helpers::IniSettings;
using OrbivaneFuzz::fail;

namespace {

std::map<std::string, std::string> readSettings(const std::string& contents)
{
    OrbivaneFuzz::writeFile("Orbivane.ini", contents);
    IniSettings::reload();
    return IniSettings::values();
}

// One "key=value" line per setting. CR LF endings, because the reader drops
// one carriage return at the end of a line and a value may end in another.
std::string asSettingsFile(const std::map<std::string, std::string>& settings)
{
    std::string contents;
    for (const auto& [key, value] : settings) {
        contents += key + "=" + value + "\r\n";
    }
    return contents;
}

void checkNumber(const std::string& key, const std::string& value)
{
    try {
        const int number = IniSettings::getInt(key, 0);
        if (std::stoi(value) != number) {
            fail("number of " + key + " differs from its text");
        }
        if (IniSettings::getFlag(key, false) != (number == 1)) {
            fail("flag of " + key + " disagrees with its number");
        }
    } catch (const std::invalid_argument& e) {
        if (std::string(e.what()) != "invalid stoi argument") {
            fail("unexpected message: " + std::string(e.what()));
        }
    } catch (const std::out_of_range& e) {
        if (std::string(e.what()) != "stoi argument out of range") {
            fail("unexpected message: " + std::string(e.what()));
        }
    }
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OrbivaneFuzz::enterScratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto settings = readSettings(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& [key, value] : settings) {
        if (IniSettings::getString(key, "\x01" "default") != value) {
            fail("lookup of " + key + " differs from what was read");
        }
        checkNumber(key, value);
    }
    if (readSettings(asSettingsFile(settings)) != settings) {
        fail("settings written back read differently");
    }
    return 0;
}
