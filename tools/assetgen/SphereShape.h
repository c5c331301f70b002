#pragma once

#include "MeshBuilder.h"

namespace AssetGen {

// Latitude-longitude spheres: poles on the y axis, u running once around
// (eastwards seen from outside), v from the top pole (0) to the bottom (1),
// so an equirectangular texture appears upright and unmirrored.
class SphereShape {
public:
    static MeshBuilder build(float radius, int segments, int rings);
    // The sun and the point light's volume. The volume is drawn scaled to
    // the light's radius and must cover every pixel the light can reach, so
    // every flat face lies at least at distance 1 from the centre.
    static MeshBuilder buildEnclosingUnitSphere(int segments, int rings);
    // Smallest distance from the origin to the plane of any triangle.
    static float nearestFacePlane(const MeshBuilder& mesh);
};

}
