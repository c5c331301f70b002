#include "helpers/IniSettings.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
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

// The whole text, but for blanks around it, as one number of type T; the
// conversion ignores the locale, so "0.5" reads the same everywhere.
template <typename T>
std::optional<T> wholeNumber(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') {
        ++begin;
    }
    T value{};
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::string shortest(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

template <typename T>
T numberInRange(const std::string& key, T defaultValue, T lowest, T highest, const std::string& kind)
{
    const auto& settings = IniSettings::values();
    const auto it = settings.find(key);
    if (it == settings.end()) {
        return defaultValue;
    }
    const std::optional<T> value = wholeNumber<T>(it->second);
    if (value && *value >= lowest && *value <= highest) {
        return *value;
    }
    IniSettings::reportUnusable(key, kind + " from " + shortest(lowest) + " to " + shortest(highest),
                                shortest(defaultValue));
    return defaultValue;
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

int IniSettings::getIntInRange(const std::string& key, int defaultValue, int lowest, int highest)
{
    return numberInRange(key, defaultValue, lowest, highest, "a whole number");
}

double IniSettings::getDecimalInRange(const std::string& key, double defaultValue, double lowest, double highest)
{
    return numberInRange(key, defaultValue, lowest, highest, "a number");
}

std::optional<double> IniSettings::decimal(const std::string& text)
{
    return wholeNumber<double>(text);
}

void IniSettings::reportUnusable(const std::string& key, const std::string& expected, const std::string& defaultText)
{
    std::cout << "Orbivane.ini: " << key << "=" << getString(key, "") << " is not " << expected << "; using "
              << defaultText << "\n";
}

}
