#include "rendering/ScreenQuad.h"

namespace Orbivane::Rendering {

std::vector<float> makeScreenQuad()
{
    return {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, -1.0f};
}

}
