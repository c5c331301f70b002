#pragma once

#include "MeshBuilder.h"

#include <glm/vec2.hpp>

#include <vector>

namespace AssetGen {

// The black hole: a body of radius 5 (drawn at scale 2, so its collision
// radius of 10 matches what the player sees), circled by a tilted accretion
// disk of two thin rings. The body is mapped like SphereShape; the disk
// has u around it and v across the texture's equatorial band.
class BlackHoleShape {
public:
    static MeshBuilder build();

private:
    static MeshBuilder ring(float inner, float outer, float halfThickness);
};

}
