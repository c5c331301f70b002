#pragma once

#include <string>

namespace Orbivane::Rendering {

// Writes the current read buffer's lower-left width x height pixels as a
// 32-bit bottom-up BMP. A diagnostic aid: any failure writes nothing and is
// not reported.
void saveFramebufferBMP(int width, int height, std::string fileName);

}
