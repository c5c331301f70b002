#include "helpers/IniSettings.h"

#include <fstream>
#include <stdexcept>

namespace Orbivane::Helpers {

namespace {

// The C++ library reports only "stoi"; players see these texts instead.
int toInt(const std::string& text)
{
    try {
        return std::stoi(text);
    } catch (const std::invalid_argument&) {
        throw std::invalid_argument("invalid stoi argument");
    } catch (const std::out_of_range&) {
        throw std::out_of_range("stoi argument out of range");
    }
}

}

std::map<std::string, std::string>& IniSettings::storage()
{
    static std::map<std::string, std::string> settings;
    return settings;
}

bool& IniSettings::loaded()
{
    static bool isLoaded = false;
    return isLoaded;
}

const std::map<std::string, std::string>& IniSettings::values()
{
    if (!loaded()) {
        load();
        loaded() = true;
    }
    return storage();
}

void IniSettings::load()
{
    std::ifstream file("Orbivane.ini");
    if (!file.is_open()) {
        return;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        std::string key;
        std::string pending;
        for (const char c : line) {
            if (c == '=') {
                key = pending;
                pending.clear();
            } else {
                pending += c;
            }
        }
        storage().insert({key, pending});
    }
}

void IniSettings::reload()
{
    storage().clear();
    loaded() = false;
}

int IniSettings::getInt(const std::string& key, int defaultValue)
{
    const auto& settings = values();
    const auto it = settings.find(key);
    return it == settings.end() ? defaultValue : toInt(it->second);
}

bool IniSettings::getFlag(const std::string& key, bool defaultOn)
{
    if (values().count(key) == 0) {
        return defaultOn;
    }
    return getInt(key, 0) == 1;
}

std::string IniSettings::getString(const std::string& key, const std::string& defaultValue)
{
    const auto& settings = values();
    const auto it = settings.find(key);
    return it == settings.end() ? defaultValue : it->second;
}

}
