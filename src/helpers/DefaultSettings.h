#pragma once

#include <string>
#include <vector>

namespace Orbivane::Helpers {

// Every key of "Orbivane.ini" with its default and what it does; the file
// that shows a player every setting is made from this table.
class DefaultSettings {
public:
    struct Setting {
        const char* key;
        const char* defaultValue;
        const char* meaning;
    };

    static const std::vector<Setting>& settings();
    // Each key commented out at its default, after a line saying what it
    // does: "# Width" is a key no lookup asks for, so the file changes
    // nothing until the player edits a line, and later changes of a default
    // still reach players who never did.
    static std::string fileText();
    // Writes fileText() to `fileName` where nothing is there yet; whatever
    // is there (a file, a link) is never touched. A file that cannot be
    // written is named on the console and leaves nothing half written.
    static void writeIfMissing(const std::string& fileName);
};

}
