#pragma once

namespace Orbivane {

// The automatic scene scale that a game ended with, kept in the game folder
// ("renderscale.txt"), so that the next start in the same folder begins
// there instead of at full size and settles sooner.
class RememberedSceneScale {
public:
    // The kept scale; 1 where none was kept or the file holds no scale from 0.25 to 1.
    static float load();
    // Keeps `scale`, replacing the file as a whole (never writing through a
    // link); where nothing can be written, nothing is kept.
    static void save(float scale);
};

}
