#include "helpers/ExceptionWithMsg.h"
#include "models/Model.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/cexport.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

using Orbivane::Helpers::ExceptionWithMsg;
using Orbivane::Models::Model;

namespace {

const char* kTrianglesWithLineAndPoint = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                                         "f 1 2 3\nl 1 4\np 2\nf 2 4 3\n";

std::vector<glm::vec2> cornersOf(const Orbivane::Models::Mesh& mesh)
{
    std::vector<glm::vec2> corners;
    for (const unsigned int index : mesh.m_Indices) {
        corners.emplace_back(mesh.m_Vertices.at(index).position);
    }
    return corners;
}

// A scene file whose flags say the importer could not finish it, with
// another flag set beside that one.
void writeIncompleteScene(const std::string& source, const std::string& target)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(source, 0);
    ASSERT_NE(scene, nullptr);
    aiScene* copy = nullptr;
    aiCopyScene(scene, &copy);
    copy->mFlags = AI_SCENE_FLAGS_INCOMPLETE | AI_SCENE_FLAGS_TERRAIN;
    Assimp::Exporter exporter;
    ASSERT_EQ(exporter.Export(copy, "assbin", target), AI_SUCCESS);
    aiFreeScene(copy);
}

}

TEST(ModelRobustness, LinesAndPointsBesideTrianglesAreSkipped)
{
    OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir dir;
    dir.writeFile("Mixed.obj", kTrianglesWithLineAndPoint);
    const Model model("Mixed.obj");
    ASSERT_EQ(model.m_Meshes->size(), 1u);
    const std::vector<glm::vec2> expected = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_EQ(cornersOf(model.m_Meshes->front()), expected);
}

TEST(ModelRobustness, IncompleteSceneIsRefusedWhateverElseItsFlagsSay)
{
    OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir dir;
    dir.writeFile("Triangle.obj", kTrianglesWithLineAndPoint);
    writeIncompleteScene("Triangle.obj", "Incomplete.assbin");
    try {
        Model model("Incomplete.assbin");
        ADD_FAILURE() << "an incomplete scene was accepted";
    } catch (const ExceptionWithMsg& e) {
        EXPECT_EQ(e.m_Message.rfind("Failed to load model. ASSIMP-ERROR: ", 0), 0u) << e.m_Message;
    }
}
