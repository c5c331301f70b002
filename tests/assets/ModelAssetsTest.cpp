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

const char* const kModelNames[] = {"Ship.obj", "ShipEngine.obj", "Asteroid.obj", "BlackHole.obj", "GenericSphere.obj"};

// A model as the game sees it: every mesh of the file, imported with the
// game's own flags, its vertices gathered into one list.
struct ImportedModel {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::array<unsigned, 3>> triangles;
    unsigned nonTriangles = 0;
    unsigned meshesWithoutNormals = 0;
    unsigned meshesWithoutUVs = 0;
    unsigned meshesWithExtraUVSets = 0;
};

ImportedModel importModel(const std::string& name)
{
    const std::string path = std::string(ORBIVANE_GAME_DIR) + "/res/models/" + name;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_GenNormals);
    ImportedModel model;
    EXPECT_TRUE(scene && scene->mFlags != AI_SCENE_FLAGS_INCOMPLETE && scene->mRootNode)
        << path << ": " << importer.GetErrorString();
    if (!scene) {
        return model;
    }
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        const auto base = static_cast<unsigned>(model.positions.size());
        model.meshesWithoutNormals += mesh->HasNormals() ? 0 : 1;
        model.meshesWithoutUVs += mesh->HasTextureCoords(0) ? 0 : 1;
        model.meshesWithExtraUVSets += mesh->HasTextureCoords(1) ? 1 : 0;
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
            if (face.mNumIndices != 3) {
                ++model.nonTriangles;
                continue;
            }
            model.triangles.push_back({base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
        }
    }
    return model;
}

glm::vec3 faceNormal(const ImportedModel& model, const std::array<unsigned, 3>& t)
{
    const glm::vec3& a = model.positions[t[0]];
    return glm::cross(model.positions[t[1]] - a, model.positions[t[2]] - a);
}

glm::vec3 centroid(const ImportedModel& model, const std::array<unsigned, 3>& t)
{
    return (model.positions[t[0]] + model.positions[t[1]] + model.positions[t[2]]) / 3.0f;
}

// Every edge between two places must be walked once in each direction: the
// surface is closed and all its triangles agree on which side is out.
unsigned unmatchedEdges(const ImportedModel& model)
{
    using Point = std::tuple<float, float, float>;
    std::map<std::pair<Point, Point>, int> balance;
    const auto point = [&model](unsigned i) {
        const glm::vec3& p = model.positions[i];
        return Point(p.x, p.y, p.z);
    };
    for (const auto& t : model.triangles) {
        for (int k = 0; k < 3; ++k) {
            const Point from = point(t[k]);
            const Point to = point(t[(k + 1) % 3]);
            if (from < to) {
                ++balance[{from, to}];
            } else {
                --balance[{to, from}];
            }
        }
    }
    return static_cast<unsigned>(
        std::count_if(balance.begin(), balance.end(), [](const auto& entry) { return entry.second != 0; }));
}

float signedVolume(const ImportedModel& model)
{
    float volume = 0.0f;
    for (const auto& t : model.triangles) {
        volume += glm::dot(model.positions[t[0]], glm::cross(model.positions[t[1]], model.positions[t[2]])) / 6.0f;
    }
    return volume;
}

std::vector<float> radii(const ImportedModel& model)
{
    std::vector<float> result;
    for (const glm::vec3& p : model.positions) {
        result.push_back(glm::length(p));
    }
    return result;
}

TEST(ModelAssets, EveryModelImportsAsTexturedTriangles)
{
    for (const char* name : kModelNames) {
        SCOPED_TRACE(name);
        const ImportedModel model = importModel(name);
        EXPECT_GT(model.triangles.size(), 0u);
        EXPECT_EQ(model.nonTriangles, 0u);
        EXPECT_EQ(model.meshesWithoutNormals, 0u);
        EXPECT_EQ(model.meshesWithoutUVs, 0u);
        EXPECT_EQ(model.meshesWithExtraUVSets, 0u);
        // Textures are clamped to their edges, so coordinates outside [0, 1] would smear.
        const auto outside = std::count_if(model.uvs.begin(), model.uvs.end(), [](const glm::vec2& uv) {
            return uv.x < 0.0f || uv.x > 1.0f || uv.y < 0.0f || uv.y > 1.0f;
        });
        EXPECT_EQ(outside, 0);
    }
}

TEST(ModelAssets, EveryModelIsClosedWithOutwardCounterClockwiseFaces)
{
    for (const char* name : kModelNames) {
        SCOPED_TRACE(name);
        const ImportedModel model = importModel(name);
        EXPECT_EQ(unmatchedEdges(model), 0u);
        EXPECT_GT(signedVolume(model), 0.0f);
        unsigned disagreeing = 0;
        unsigned notUnit = 0;
        for (const auto& t : model.triangles) {
            const glm::vec3 stored = model.normals[t[0]] + model.normals[t[1]] + model.normals[t[2]];
            disagreeing += glm::dot(faceNormal(model, t), stored) > 0.0f ? 0 : 1;
            for (const unsigned i : t) {
                notUnit += std::fabs(glm::length(model.normals[i]) - 1.0f) < 1e-3f ? 0 : 1;
            }
        }
        EXPECT_EQ(disagreeing, 0u);
        EXPECT_EQ(notUnit, 0u);
    }
}

// The sun, rock and black-hole textures are latitude-longitude maps: v must
// follow the polar angle from +y, and no triangle may reach across the seam.
TEST(ModelAssets, RoundBodiesUseLatitudeLongitudeMapping)
{
    for (const char* name : {"GenericSphere.obj", "Asteroid.obj", "BlackHole.obj"}) {
        SCOPED_TRACE(name);
        const ImportedModel model = importModel(name);
        unsigned offLatitude = 0;
        unsigned acrossSeam = 0;
        for (const auto& t : model.triangles) {
            float uLow = 1.0f;
            float uHigh = 0.0f;
            for (const unsigned i : t) {
                const glm::vec3& p = model.positions[i];
                // Only the black hole's body; its disk is mapped around itself.
                if (glm::length(p) > 6.0f) {
                    continue;
                }
                const float polar = std::acos(std::clamp(p.y / glm::length(p), -1.0f, 1.0f)) / 3.14159265f;
                offLatitude += std::fabs(model.uvs[i].y - polar) < 0.01f ? 0 : 1;
                uLow = std::min(uLow, model.uvs[i].x);
                uHigh = std::max(uHigh, model.uvs[i].x);
            }
            acrossSeam += uHigh - uLow < 0.25f ? 0 : 1;
        }
        EXPECT_EQ(offLatitude, 0u);
        EXPECT_EQ(acrossSeam, 0u);
    }
}

TEST(ModelAssets, SphereContainsTheUnitSphereAsALightVolume)
{
    const ImportedModel sphere = importModel("GenericSphere.obj");
    EXPECT_GE(sphere.triangles.size(), 200u);
    float nearestPlane = 2.0f;
    unsigned inward = 0;
    for (const auto& t : sphere.triangles) {
        const glm::vec3 normal = glm::normalize(faceNormal(sphere, t));
        nearestPlane = std::min(nearestPlane, glm::dot(normal, sphere.positions[t[0]]));
        inward += glm::dot(sphere.normals[t[0]], centroid(sphere, t)) > 0.0f ? 0 : 1;
    }
    EXPECT_GE(nearestPlane, 0.99f);
    EXPECT_EQ(inward, 0u);
    const std::vector<float> r = radii(sphere);
    EXPECT_LE(*std::max_element(r.begin(), r.end()), 1.02f);
}

TEST(ModelAssets, AsteroidIsAnIrregularRockOfRadiusFive)
{
    const ImportedModel rock = importModel("Asteroid.obj");
    EXPECT_GE(rock.triangles.size(), 200u);
    const std::vector<float> r = radii(rock);
    float mean = 0.0f;
    for (const float value : r) {
        mean += value / static_cast<float>(r.size());
    }
    float variance = 0.0f;
    for (const float value : r) {
        variance += (value - mean) * (value - mean) / static_cast<float>(r.size());
    }
    EXPECT_NEAR(mean, 5.0f, 0.5f);
    EXPECT_GT(*std::min_element(r.begin(), r.end()), 3.0f);
    EXPECT_LT(*std::max_element(r.begin(), r.end()), 6.5f);
    // Bumps and craters, not a ball.
    EXPECT_GT(std::sqrt(variance), 0.2f);
}

TEST(ModelAssets, BlackHoleBodyHasRadiusFiveInsideItsDisk)
{
    const ImportedModel blackHole = importModel("BlackHole.obj");
    glm::vec3 low(0.0f);
    glm::vec3 high(0.0f);
    float farthest = 0.0f;
    for (const glm::vec3& p : blackHole.positions) {
        farthest = std::max(farthest, glm::length(p));
        if (glm::length(p) < 6.0f) {
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(low[axis], -5.0f, 0.25f);
        EXPECT_NEAR(high[axis], 5.0f, 0.25f);
    }
    EXPECT_LE(farthest, 11.0f);
}

TEST(ModelAssets, ShipFitsItsCollisionRadiusPointsAlongZAndCarriesTheEngineMounts)
{
    const ImportedModel ship = importModel("Ship.obj");
    glm::vec3 nose(0.0f);
    for (const glm::vec3& p : ship.positions) {
        if (p.z > nose.z) {
            nose = p;
        }
        // Only the pylons leave the collision sphere, backwards and up towards the engines.
        if (glm::length(p) > 2.0f) {
            EXPECT_TRUE(p.z < -1.5f && p.y > -0.5f && std::fabs(p.x) < 1.3f)
                << p.x << ", " << p.y << ", " << p.z;
        }
    }
    EXPECT_GT(nose.z, 1.8f);
    EXPECT_LT(std::fabs(nose.x), 0.05f);
    for (const glm::vec3 mount : {glm::vec3(1.0f, 2.5f, -6.0f), glm::vec3(-1.0f, 2.5f, -6.0f)}) {
        const bool reached = std::any_of(ship.positions.begin(), ship.positions.end(),
                                         [&mount](const glm::vec3& p) { return glm::distance(p, mount) < 0.5f; });
        EXPECT_TRUE(reached) << "mount at x = " << mount.x;
    }
}

TEST(ModelAssets, EngineFitsBetweenTheMountsAndShowsItsSpin)
{
    const ImportedModel engine = importModel("ShipEngine.obj");
    float widest = 0.0f;
    float front = -10.0f;
    float back = 10.0f;
    std::vector<float> outerAngles;
    for (const glm::vec3& p : engine.positions) {
        const float radial = std::hypot(p.x, p.y);
        widest = std::max(widest, radial);
        front = std::max(front, p.z);
        back = std::min(back, p.z);
        if (radial > 0.75f) {
            outerAngles.push_back(std::atan2(p.y, p.x));
        }
    }
    // The two engines hang 2 apart and spin in step; each must stay inside its half.
    EXPECT_GE(widest, 0.6f);
    EXPECT_LT(widest, 1.0f);
    EXPECT_GE(front - back, 2.0f);
    EXPECT_LE(front - back, 3.0f);
    EXPECT_TRUE(back < 0.0f && front > 0.0f);
    // Fins stand out at a few angles only; a body of revolution would not show its spin.
    ASSERT_FALSE(outerAngles.empty());
    std::sort(outerAngles.begin(), outerAngles.end());
    float widestGap = outerAngles.front() + 2.0f * 3.14159265f - outerAngles.back();
    for (std::size_t i = 1; i < outerAngles.size(); ++i) {
        widestGap = std::max(widestGap, outerAngles[i] - outerAngles[i - 1]);
    }
    EXPECT_GT(widestGap, 1.0f);
}

}
