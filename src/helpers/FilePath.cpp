#include "helpers/FilePath.h"

#include <algorithm>

namespace Orbivane::Helpers {

std::string nativePath(const std::string& path)
{
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

}
