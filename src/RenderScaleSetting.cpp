#include "RenderScaleSetting.h"

#include "SceneScaleController.h"
#include "helpers/IniSettings.h"

namespace Orbivane {

using Helpers::IniSettings;

namespace {

const char* const kAutomatic = "auto";

}

RenderScaleSetting RenderScaleSetting::read()
{
    RenderScaleSetting setting;
    setting.targetFrameRate = IniSettings::getIntInRange("TargetFrameRate", 30, 1, 1000);
    const std::string text = IniSettings::getString("RenderScale", kAutomatic);
    if (text == kAutomatic) {
        return setting;
    }
    const std::optional<double> scale = IniSettings::decimal(text);
    if (scale && *scale >= SceneScaleController::kLowestScale && *scale <= 1.0) {
        setting.fixedScale = static_cast<float>(*scale);
    } else {
        IniSettings::reportUnusable("RenderScale", "auto or a number from 0.25 to 1", kAutomatic);
    }
    return setting;
}

}
