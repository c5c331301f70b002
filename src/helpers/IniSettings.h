#pragma once

#include <map>
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

    // Forgets what was read so that the next lookup reads the file again:
    // for tools and tests that change the working directory between runs.
    static void reload();

private:
    static std::map<std::string, std::string>& storage();
    static bool& loaded();
};

}
