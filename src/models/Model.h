#pragma once

#include "models/Mesh.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct aiMesh;
struct aiNode;
struct aiScene;

namespace Orbivane::Models {

// Geometry of one OBJ file; every model of the same path shares one mesh list.
class Model {
public:
    explicit Model(const std::string& path);

    void draw() const;
    // False when, drawn with this matrix, no part of the model can reach the
    // screen: its bounding sphere lies wholly outside one of the clip planes.
    bool mayReachScreen(const glm::mat4& modelViewProjection) const;
    float boundingRadius() const { return m_BoundingRadius; }

    std::shared_ptr<std::vector<Mesh>> m_Meshes;

private:
    // Around the model's origin, enclosing every vertex of every mesh.
    float m_BoundingRadius = 0.0f;

    void loadModel(const std::string& path);
    void processNode(const aiNode* node, const aiScene* scene);
    static Mesh processMesh(const aiMesh* mesh, const aiScene* scene);

    static std::map<std::string, std::shared_ptr<std::vector<Mesh>>> s_MeshCache;
};

}
