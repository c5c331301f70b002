#pragma once

#include <map>
#include <optional>
#include <string>

namespace Orbivane::Helpers {

// The settings of "Orbivane.ini", read once on the first lookup.
class IniSettings {
public:
    static const std::map<std::string, std::string>& values();
    static void load();

    static int getInt(const std::string& key, int defaultValue);
    static bool getFlag(const std::string& key, bool defaultOn);
    static std::string getString(const std::string& key, const std::string& defaultValue);

    // Lookups for settings whose bad value must not end the game: a value
    // that is not a number, or lies outside [lowest, highest], gives the
    // default and one console line naming the key. Blanks around the number
    // are allowed; nothing else may follow it.
    static int getIntInRange(const std::string& key, int defaultValue, int lowest, int highest);
    static double getDecimalInRange(const std::string& key, double defaultValue, double lowest, double highest);
    // The whole of `text` as a decimal number, read as the lookups above read
    // it; nothing when it is not one. For keys that also take a word.
    static std::optional<double> decimal(const std::string& text);
    // The console line for a value of `key` that cannot be used, where
    // `expected` says what would be right ("a number from 0 to 100").
    static void reportUnusable(const std::string& key, const std::string& expected, const std::string& defaultText);

    // Forgets what was read so that the next lookup reads the file again:
    // for tools and tests that change the working directory between runs.
    static void reload();

private:
    static std::map<std::string, std::string>& storage();
    static bool& loaded();
};

}
