#pragma once

#include "Image.h"

namespace AssetGen {

class TrueTypeFont;

// Tiling hull plating: riveted panels with seams, hatches, vents, livery
// panels, hazard stripes and a registration marking, weathered with grime
// and scratches.
Image paintShipHull(const TrueTypeFont& font);

// Engine metal, u around the nacelle and v along it: cooling fins, a
// brushed body, a ribbed section and a nozzle that shows temper colours
// and soot towards its hot end at the bottom of the image.
Image paintShipEngine();

}
