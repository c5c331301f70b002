#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>

// Models are imported with the game's flags. Back faces are culled, textures are
// clamped to their edges and bodies collide by radius, so a hole, an inverted
// face, a coordinate outside [0, 1] or a body of the wrong size would show.
// The coarser levels of the rock and the sun are held to the same.
TEST(ModelAssets, EveryModelIsAClosedOutwardTexturedTriangleMeshOfItsSize)
{
    constexpr float kAny = std::numeric_limits<float>::max();
    const struct {
        const char* name;
        float minRadius;
        float maxRadius;
        bool lightVolume;  // its flat faces must not cut into the unit sphere it stands for
    } models[] = {{"Ship.obj", 0.0f, kAny, false}, {"ShipEngine.obj", 0.0f, kAny, false},
                  {"Asteroid.obj", 3.0f, 6.5f, false}, {"BlackHole.obj", 4.75f, 11.0f, false},
                  {"GenericSphere.obj", 0.99f, 1.02f, true}, {"LightVolume.obj", 0.99f, 1.06f, true},
                  {"Asteroid_lod1.obj", 3.0f, 6.5f, false}, {"Asteroid_lod2.obj", 3.0f, 6.5f, false},
                  {"GenericSphere_lod1.obj", 0.99f, 1.02f, true}, {"GenericSphere_lod2.obj", 0.99f, 1.07f, true}};
    for (const auto& model : models) {
        SCOPED_TRACE(model.name);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(std::string(ORBIVANE_GAME_DIR) + "/res/models/" + model.name,
                                                 aiProcess_Triangulate | aiProcess_GenNormals);
        ASSERT_TRUE(scene && scene->mRootNode && scene->mNumMeshes > 0 && (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) == 0)
            << importer.GetErrorString();
        std::map<std::pair<aiVector3D, aiVector3D>, int> edgeBalance;
        float volume = 0.0f;
        unsigned faults = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            ASSERT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0) && !mesh->HasTextureCoords(1));
            ASSERT_EQ(mesh->mPrimitiveTypes, aiPrimitiveType_TRIANGLE);
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const float radius = mesh->mVertices[v].Length();
                const aiVector3D& uv = mesh->mTextureCoords[0][v];
                faults += radius < model.minRadius || radius > model.maxRadius ? 1 : 0;
                faults += std::fabs(mesh->mNormals[v].Length() - 1.0f) < 1e-3f ? 0 : 1;
                faults += uv.x < 0.0f || uv.x > 1.0f || uv.y < 0.0f || uv.y > 1.0f ? 1 : 0;
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const unsigned* i = mesh->mFaces[f].mIndices;
                const aiVector3D* p = mesh->mVertices;
                const aiVector3D normal = (p[i[1]] - p[i[0]]) ^ (p[i[2]] - p[i[0]]);
                volume += p[i[0]] * normal / 6.0f;
                const aiVector3D stored = mesh->mNormals[i[0]] + mesh->mNormals[i[1]] + mesh->mNormals[i[2]];
                faults += normal * stored > 0.0f ? 0 : 1;
                faults += model.lightVolume && p[i[0]] * normal < 0.99f * normal.Length() ? 1 : 0;
                // Closed, and all triangles agree on which side is out: every edge is walked once each way.
                for (int k = 0; k < 3; ++k) {
                    const aiVector3D& from = p[i[k]];
                    const aiVector3D& to = p[i[(k + 1) % 3]];
                    from < to ? ++edgeBalance[{from, to}] : --edgeBalance[{to, from}];
                }
            }
        }
        EXPECT_GT(volume, 0.0f);
        EXPECT_EQ(faults, 0u);
        EXPECT_EQ(std::count_if(edgeBalance.begin(), edgeBalance.end(), [](const auto& e) { return e.second != 0; }), 0);
    }
}
