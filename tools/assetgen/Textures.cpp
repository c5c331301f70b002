#include "Generators.h"

#include "BodyTextures.h"
#include "ShipTextures.h"
#include "TrueTypeFont.h"

namespace AssetGen {

void writeTextures(const std::filesystem::path& texturesDir)
{
    const TrueTypeFont font(ORBIVANE_FONT_PATH);
    paintShipHull(font).writePng(texturesDir / "Ship.png");
    paintShipEngine().writePng(texturesDir / "ShipEngine.png");
    paintAsteroid().writePng(texturesDir / "asteroid.png");
    paintSun().writePng(texturesDir / "Sun.png");
    paintBlackHole().writePng(texturesDir / "BlackHole.png");
}

}
