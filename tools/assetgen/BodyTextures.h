#pragma once

#include "Image.h"

namespace AssetGen {

// Grey-brown rock with pits, cracks and mineral flecks for a rock whose six
// cube-sphere faces each show the whole texture. All four edges carry the
// same strip, so neighbouring faces join without a seam in any orientation.
Image paintAsteroid();

// The sun and the black hole are spheres with u around the pole and v from
// the north pole at the top to the south pole at the bottom. Their maps are
// computed from 3D positions on the sphere, so they have no seam where u
// wraps and no pinching at the poles.

// A bright, turbulent, mostly white-yellow photosphere with granulation;
// the game tints it per sun.
Image paintSun();

// A near-black body with faint violet swirls gathering at the equator.
Image paintBlackHole();

}
