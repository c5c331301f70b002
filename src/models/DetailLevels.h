#pragma once

#include "models/Model.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

namespace Orbivane::Models {

// One shape as meshes of falling detail: "<name>.obj", then "<name>_lod1.obj"
// and so on. Each coarser file names its geometric error on its second line
// ("# geometric error: 0.366490"): the largest distance between its surface
// and the finest mesh's, in model units. A level without it is never drawn.
class DetailLevels {
public:
    DetailLevels(const std::string& finestPath, int coarserLevels);

    // The levels of one shape, shared by every body alive of that shape, so
    // that a rock made in the frame of a hit reads no file.
    static std::shared_ptr<DetailLevels> of(const std::string& finestPath, int coarserLevels);

    // The coarsest mesh whose geometric error, seen at the body's nearest
    // point in a scene of this size, stays under a quarter of a pixel: closer, the
    // finer mesh takes over before the difference could show.
    const std::shared_ptr<Model>& forScene(const glm::mat4& modelViewProjection, unsigned sceneWidth,
                                           unsigned sceneHeight) const;

    struct Level {
        std::shared_ptr<Model> model;
        float geometricError;
    };
    std::vector<Level> m_Levels;

private:
    static float geometricErrorOf(const std::string& path);
};

}
