#include "models/Model.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/FilePath.h"

#include <algorithm>
#include <array>
#include <map>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

namespace Orbivane::Models {

namespace {

// Rounding in the plane arithmetic must never drop a model that just reaches the screen.
constexpr float BoundSafety = 1.001f;

// The importer gives every face corner a vertex of its own. Corners that
// agree in every attribute are merged, so that a draw transforms each
// distinct vertex once instead of once per face that uses it; the
// triangles and what they show stay exactly the same.
void shareIdenticalCorners(std::vector<Vertex>& vertices, std::vector<unsigned int>& indices)
{
    using Key = std::array<float, 10>;
    const auto keyOf = [](const Vertex& v) {
        return Key{v.position.x, v.position.y, v.position.z, v.position.w, v.normal.x,
                   v.normal.y,   v.normal.z,   v.normal.w,   v.texCoords.x, v.texCoords.y};
    };
    std::map<Key, unsigned int> firstIndex;
    std::vector<Vertex> shared;
    std::vector<unsigned int> remap(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const auto inserted = firstIndex.emplace(keyOf(vertices[i]), static_cast<unsigned int>(shared.size()));
        if (inserted.second) {
            shared.push_back(vertices[i]);
        }
        remap[i] = inserted.first->second;
    }
    for (unsigned int& index : indices) {
        index = remap[index];
    }
    vertices = std::move(shared);
}

}

std::map<std::string, std::shared_ptr<std::vector<Mesh>>> Model::s_MeshCache;

Model::Model(const std::string& path)
{
    const auto cached = s_MeshCache.find(path);
    if (cached != s_MeshCache.end()) {
        m_Meshes = cached->second;
    } else {
        loadModel(path);
        s_MeshCache[path] = m_Meshes;
    }
    for (const Mesh& mesh : *m_Meshes) {
        for (const Vertex& vertex : mesh.m_Vertices) {
            m_BoundingRadius = std::max(m_BoundingRadius, glm::length(glm::vec3(vertex.position)));
        }
    }
}

void Model::draw() const
{
    for (const Mesh& mesh : *m_Meshes) {
        mesh.draw();
    }
}

bool Model::mayReachScreen(const glm::mat4& modelViewProjection) const
{
    // The clip planes in the model's own space, from the rows of the matrix:
    // a point p is inside plane (n, w) when dot(n, p) + w >= 0. The model's
    // origin is p = 0, so the test needs w and the length of n only.
    const glm::mat4 rows = glm::transpose(modelViewProjection);
    for (int axis = 0; axis < 3; ++axis) {
        for (const float side : {1.0f, -1.0f}) {
            const glm::vec4 plane = rows[3] + side * rows[axis];
            if (plane.w < -BoundSafety * m_BoundingRadius * glm::length(glm::vec3(plane))) {
                return false;
            }
        }
    }
    return true;
}

void Model::loadModel(const std::string& path)
{
    m_Meshes = std::make_shared<std::vector<Mesh>>();
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Helpers::nativePath(path), aiProcess_Triangulate | aiProcess_GenNormals);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr) {
        throw Helpers::ExceptionWithMsg(std::string("Failed to load model. ASSIMP-ERROR: ") + importer.GetErrorString());
    }
    processNode(scene->mRootNode, scene);
}

void Model::processNode(const aiNode* node, const aiScene* scene)
{
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        m_Meshes->push_back(processMesh(scene->mMeshes[node->mMeshes[i]], scene));
    }
    for (unsigned int i = 0; i < node->mNumChildren; ++i) {
        processNode(node->mChildren[i], scene);
    }
}

Mesh Model::processMesh(const aiMesh* mesh, const aiScene*)
{
    std::vector<Vertex> vertices;
    vertices.reserve(mesh->mNumVertices);
    const bool hasTexCoords = mesh->HasTextureCoords(0);
    for (unsigned int i = 0; i < mesh->mNumVertices; ++i) {
        const aiVector3D& p = mesh->mVertices[i];
        const aiVector3D n = mesh->HasNormals() ? mesh->mNormals[i] : aiVector3D(0.0f, 0.0f, 0.0f);
        Vertex vertex{};
        vertex.position = glm::vec4(p.x, p.y, p.z, 1.0f);
        vertex.normal = glm::vec4(n.x, n.y, n.z, 0.0f);
        vertex.texCoords = hasTexCoords ? glm::vec2(mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y)
                                        : glm::vec2(0.0f, 0.0f);
        vertices.push_back(vertex);
    }
    std::vector<unsigned int> indices;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        // Lines and points beside the triangles would shift every later
        // triangle's corners; the game draws triangles only.
        if (face.mNumIndices != 3) {
            continue;
        }
        indices.insert(indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
    }
    shareIdenticalCorners(vertices, indices);
    return Mesh(std::move(vertices), std::move(indices));
}

}
