#include "Steering.h"

#include "helpers/IniSettings.h"

namespace Orbivane {

using Helpers::IniSettings;

Steering Steering::fromSettings()
{
    Steering steering;
    steering.mouseSensitivity =
        static_cast<float>(IniSettings::getDecimalInRange("MouseSensitivity", 1.0, 0.1, 10.0));
    steering.invertPitch = IniSettings::getIntInRange("InvertMouseY", 0, 0, 1) == 1;
    return steering;
}

}
