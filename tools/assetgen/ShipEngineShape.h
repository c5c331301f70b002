#pragma once

#include "MeshBuilder.h"

namespace AssetGen {

// The engine nacelle that the game spins about its z axis: a turbine pod
// with a spinner at the intake, three swept fins and a fan of twisted blades
// in the nozzle, so the spin shows from every side and from behind. The
// origin is the mount point on the ship's pylon.
class ShipEngineShape {
public:
    static MeshBuilder build();

private:
    static MeshBuilder nacelle();
    static MeshBuilder fin();
    static MeshBuilder blade();
};

}
