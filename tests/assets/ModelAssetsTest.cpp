#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A model as the game sees it: every mesh of the file, imported with the
// game's own flags, its vertices gathered into one list.
struct ImportedModel {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::array<unsigned, 3>> triangles;
    unsigned incompleteMeshes = 0;  // not triangles, or without normals or texture coordinates
};

ImportedModel importModel(const std::string& name)
{
    const std::string path = std::string(ORBIVANE_GAME_DIR) + "/res/models/" + name;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_GenNormals);
    ImportedModel model;
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || !scene->mRootNode) {
        ADD_FAILURE() << path << ": " << importer.GetErrorString();
        return model;
    }
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        const auto base = static_cast<unsigned>(model.positions.size());
        model.incompleteMeshes += mesh->HasNormals() && mesh->HasTextureCoords(0) &&
                                  !mesh->HasTextureCoords(1) && mesh->mPrimitiveTypes == aiPrimitiveType_TRIANGLE ? 0 : 1;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            model.positions.emplace_back(p.x, p.y, p.z);
            const aiVector3D n = mesh->HasNormals() ? mesh->mNormals[v] : aiVector3D();
            model.normals.emplace_back(n.x, n.y, n.z);
            const aiVector3D uv = mesh->HasTextureCoords(0) ? mesh->mTextureCoords[0][v] : aiVector3D();
            model.uvs.emplace_back(uv.x, uv.y);
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 3) {
                model.triangles.push_back({base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
            }
        }
    }
    return model;
}

glm::vec3 faceNormal(const ImportedModel& model, const std::array<unsigned, 3>& t)
{
    const glm::vec3& a = model.positions[t[0]];
    return glm::cross(model.positions[t[1]] - a, model.positions[t[2]] - a);
}

// Every edge between two places must be walked once in each direction: the
// surface is closed and all its triangles agree on which side is out.
unsigned unmatchedEdges(const ImportedModel& model)
{
    using Point = std::tuple<float, float, float>;
    std::map<std::pair<Point, Point>, int> balance;
    const auto point = [&model](unsigned i) { return Point(model.positions[i].x, model.positions[i].y, model.positions[i].z); };
    for (const auto& t : model.triangles) {
        for (int k = 0; k < 3; ++k) {
            const Point from = point(t[k]);
            const Point to = point(t[(k + 1) % 3]);
            from < to ? ++balance[{from, to}] : --balance[{to, from}];
        }
    }
    return static_cast<unsigned>(
        std::count_if(balance.begin(), balance.end(), [](const auto& entry) { return entry.second != 0; }));
}

}

// Back faces are culled and textures are clamped to their edges, so a hole, an
// inverted face or a coordinate outside [0, 1] would show on screen.
TEST(ModelAssets, EveryModelIsAClosedOutwardTexturedTriangleMesh)
{
    for (const char* name : {"Ship.obj", "ShipEngine.obj", "Asteroid.obj", "BlackHole.obj", "GenericSphere.obj"}) {
        SCOPED_TRACE(name);
        const ImportedModel model = importModel(name);
        EXPECT_GT(model.triangles.size(), 0u);
        EXPECT_EQ(model.incompleteMeshes, 0u);
        EXPECT_EQ(unmatchedEdges(model), 0u);
        float volume = 0.0f;
        unsigned faults = 0;
        for (const auto& t : model.triangles) {
            const glm::vec3& a = model.positions[t[0]];
            volume += glm::dot(a, glm::cross(model.positions[t[1]], model.positions[t[2]])) / 6.0f;
            const glm::vec3 stored = model.normals[t[0]] + model.normals[t[1]] + model.normals[t[2]];
            faults += glm::dot(faceNormal(model, t), stored) > 0.0f ? 0 : 1;
            for (const unsigned i : t) {
                faults += std::fabs(glm::length(model.normals[i]) - 1.0f) < 1e-3f ? 0 : 1;
                faults += model.uvs[i].x < 0.0f || model.uvs[i].x > 1.0f || model.uvs[i].y < 0.0f || model.uvs[i].y > 1.0f;
            }
        }
        EXPECT_GT(volume, 0.0f);
        EXPECT_EQ(faults, 0u);
    }
}

// The simulation collides by radius (asteroid 5, black hole 10 at scale 2) and
// lights with the unit sphere as the light volume, so the shapes must match.
TEST(ModelAssets, RoundBodiesHaveTheRadiiTheSimulationUses)
{
    struct Body {
        const char* name;
        float minRadius;
        float maxRadius;
    };
    for (const Body& body : {Body{"GenericSphere.obj", 0.99f, 1.02f}, Body{"Asteroid.obj", 3.0f, 6.5f},
                             Body{"BlackHole.obj", 4.75f, 11.0f}}) {
        SCOPED_TRACE(body.name);
        const ImportedModel model = importModel(body.name);
        std::vector<float> radii;
        for (const glm::vec3& p : model.positions) {
            radii.push_back(glm::length(p));
        }
        ASSERT_FALSE(radii.empty());
        EXPECT_GE(*std::min_element(radii.begin(), radii.end()), body.minRadius);
        EXPECT_LE(*std::max_element(radii.begin(), radii.end()), body.maxRadius);
    }
    // The light volume's flat faces must not cut into the unit sphere.
    const ImportedModel sphere = importModel("GenericSphere.obj");
    for (const auto& t : sphere.triangles) {
        ASSERT_GE(glm::dot(glm::normalize(faceNormal(sphere, t)), sphere.positions[t[0]]), 0.99f);
    }
    // The rock is bumpy around a mean of 5, the black hole's body (inside its disk) a ball of 5.
    const ImportedModel rock = importModel("Asteroid.obj");
    float mean = 0.0f;
    float square = 0.0f;
    for (const glm::vec3& p : rock.positions) {
        mean += glm::length(p) / static_cast<float>(rock.positions.size());
        square += glm::dot(p, p) / static_cast<float>(rock.positions.size());
    }
    EXPECT_NEAR(mean, 5.0f, 0.5f);
    EXPECT_GT(std::sqrt(square - mean * mean), 0.2f);
    glm::vec3 low(0.0f);
    glm::vec3 high(0.0f);
    for (const glm::vec3& p : importModel("BlackHole.obj").positions) {
        if (glm::length(p) < 6.0f) {
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(low[axis], -5.0f, 0.25f);
        EXPECT_NEAR(high[axis], 5.0f, 0.25f);
    }
}

TEST(ModelAssets, ShipFitsItsCollisionRadiusAndCarriesEnginesThatShowTheirSpin)
{
    const ImportedModel ship = importModel("Ship.obj");
    float nose = 0.0f;
    for (const glm::vec3& p : ship.positions) {
        nose = std::max(nose, p.z);
        // Only the pylons leave the collision sphere, backwards and up towards the engines.
        if (glm::length(p) > 2.0f) {
            EXPECT_TRUE(p.z < -1.5f && p.y > -0.5f && std::fabs(p.x) < 1.3f) << p.x << ", " << p.y << ", " << p.z;
        }
    }
    EXPECT_GT(nose, 1.8f) << "the nose points along +z, the ship's heading";
    for (const glm::vec3 mount : {glm::vec3(1.0f, 2.5f, -6.0f), glm::vec3(-1.0f, 2.5f, -6.0f)}) {
        EXPECT_TRUE(std::any_of(ship.positions.begin(), ship.positions.end(),
                                [&mount](const glm::vec3& p) { return glm::distance(p, mount) < 0.5f; }))
            << "mount at x = " << mount.x;
    }

    // The engines hang 2 apart and spin in step; each must stay inside its
    // half, and fins at a few angles only make the spin visible.
    const ImportedModel engine = importModel("ShipEngine.obj");
    float widest = 0.0f;
    std::vector<float> finAngles;
    for (const glm::vec3& p : engine.positions) {
        const float radial = std::hypot(p.x, p.y);
        widest = std::max(widest, radial);
        if (radial > 0.75f) {
            finAngles.push_back(std::atan2(p.y, p.x));
        }
    }
    EXPECT_GE(widest, 0.6f);
    EXPECT_LT(widest, 1.0f);
    ASSERT_FALSE(finAngles.empty());
    std::sort(finAngles.begin(), finAngles.end());
    float widestGap = finAngles.front() + 2.0f * 3.14159265f - finAngles.back();
    for (std::size_t i = 1; i < finAngles.size(); ++i) {
        widestGap = std::max(widestGap, finAngles[i] - finAngles[i - 1]);
    }
    EXPECT_GT(widestGap, 1.0f);
}
