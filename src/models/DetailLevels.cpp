#include "models/DetailLevels.h"

#include "helpers/FilePath.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <map>

namespace Orbivane::Models {

namespace {

constexpr float kLargestErrorPixels = 0.25f;
const std::string kErrorLine = "# geometric error: ";

}

DetailLevels::DetailLevels(const std::string& finestPath, int coarserLevels)
{
    m_Levels.push_back({std::make_shared<Model>(finestPath), 0.0f});
    const std::string stem = finestPath.substr(0, finestPath.rfind(".obj"));
    for (int level = 1; level <= coarserLevels; ++level) {
        const std::string path = stem + "_lod" + std::to_string(level) + ".obj";
        m_Levels.push_back({std::make_shared<Model>(path), geometricErrorOf(path)});
    }
}

std::shared_ptr<DetailLevels> DetailLevels::of(const std::string& finestPath, int coarserLevels)
{
    // Weak, so that the meshes go with the last body, while the context lives.
    static std::map<std::string, std::weak_ptr<DetailLevels>> shapes;
    std::weak_ptr<DetailLevels>& shape = shapes[finestPath];
    std::shared_ptr<DetailLevels> levels = shape.lock();
    if (!levels) {
        levels = std::make_shared<DetailLevels>(finestPath, coarserLevels);
        shape = levels;
    }
    return levels;
}

float DetailLevels::geometricErrorOf(const std::string& path)
{
    std::ifstream file(Helpers::nativePath(path));
    std::string line;
    for (int lineNumber = 0; lineNumber < 2 && std::getline(file, line); ++lineNumber) {
        if (line.rfind(kErrorLine, 0) != 0) {
            continue;
        }
        // Read as the generator wrote it, whatever the locale.
        float error = 0.0f;
        const char* end = line.data() + line.size();
        const auto [stop, status] = std::from_chars(line.data() + kErrorLine.size(), end, error);
        if (status == std::errc() && stop == end && error >= 0.0f) {
            return error;
        }
    }
    return std::numeric_limits<float>::infinity();
}

const std::shared_ptr<Model>& DetailLevels::forScene(const glm::mat4& modelViewProjection, unsigned sceneWidth,
                                                      unsigned sceneHeight) const
{
    // The rows of the matrix: x and y give the clip units per model unit
    // across the screen, w the distance along the view and its growth per
    // model unit. Scene pixels per model unit are largest at the point of the
    // body nearest to the camera.
    const glm::mat4 rows = glm::transpose(modelViewProjection);
    const float nearest = rows[3].w - glm::length(glm::vec3(rows[3])) * m_Levels.front().model->boundingRadius();
    if (nearest <= 0.0f) {
        return m_Levels.front().model;
    }
    const float pixelsPerUnit = 0.5f *
        std::max(glm::length(glm::vec3(rows[0])) * static_cast<float>(sceneWidth),
                 glm::length(glm::vec3(rows[1])) * static_cast<float>(sceneHeight)) / nearest;
    for (auto level = m_Levels.rbegin(); level != m_Levels.rend(); ++level) {
        if (level->geometricError * pixelsPerUnit < kLargestErrorPixels) {
            return level->model;
        }
    }
    return m_Levels.front().model;
}

}
