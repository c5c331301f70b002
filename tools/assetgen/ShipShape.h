#pragma once

#include "MeshBuilder.h"

#include <glm/vec3.hpp>

namespace AssetGen {

// The player's fighter, nose along +z and up along +y. Fuselage, canopy,
// wings, wing-tip guns and a ventral fin stay inside the collision radius
// of 2; two curved pylons, braced by a stabiliser, rise from the back of the
// hull to the engine mounts at (+-1, 2.5, -6), where the game hangs the
// spinning nacelles.
class ShipShape {
public:
    static MeshBuilder build();

    static constexpr glm::vec3 kEngineMount{1.0f, 2.5f, -6.0f};

private:
    static MeshBuilder fuselage();
    static MeshBuilder canopy();
    static MeshBuilder wing();
    static MeshBuilder gun();
    static MeshBuilder ventralFin();
    static MeshBuilder pylon();
    static MeshBuilder stabiliser();
};

}
