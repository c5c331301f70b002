#pragma once

#include <string>

namespace Orbivane::Helpers {

// Asset paths are written with backslashes and used verbatim as cache keys;
// only the path handed to the operating system uses the native separator.
std::string nativePath(const std::string& path);

}
