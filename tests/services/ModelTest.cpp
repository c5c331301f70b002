#include "models/DetailLevels.h"
#include "models/Model.h"
#include "services/FailureOf.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/cexport.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>

using Orbivane::Models::Model;
using OrbivaneTest::failureOf;

namespace {

const char* kTexturedQuad = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                            "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
const char* kBareTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
const std::string kFailure = "Failed to load model. ASSIMP-ERROR: ";

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { OrbivaneTest::ensureGLContext(); }
    OrbivaneTest::TempWorkDir m_Dir;
};

}

TEST_F(ModelTest, OnePathSharesOneImportOtherSpellingsImportAgainAndFailuresAreNotCachedButReported)
{
    m_Dir.writeFile("res/models/Quad.obj", kTexturedQuad);
    const Model first("res\\models\\Quad.obj");
    const Model slashed("res/models/Quad.obj");
    std::filesystem::remove(m_Dir.path() / "res/models/Quad.obj");
    const Model second("res\\models\\Quad.obj");
    ASSERT_EQ(first.m_Meshes->size(), 1u);
    EXPECT_EQ(first.m_Meshes, second.m_Meshes);
    EXPECT_NE(first.m_Meshes->front().m_VAO, slashed.m_Meshes->front().m_VAO);

    EXPECT_EQ(failureOf([] { Model("res\\models\\Later.obj"); }).substr(0, kFailure.size()), kFailure);
    m_Dir.writeFile("res/models/Later.obj", kBareTriangle);
    EXPECT_EQ(failureOf([] { Model("res\\models\\Later.obj"); }), "no exception");
    // A face that points past the vertices never reaches the GPU: the reader refuses the file.
    m_Dir.writeFile("Lying.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
    EXPECT_EQ(failureOf([] { Model("Lying.obj"); }), kFailure + "OBJ: vertex index out of range");

    // A scene whose flags say the importer could not finish it, with another flag beside that one.
    Assimp::Importer importer;
    aiScene* copy = nullptr;
    aiCopyScene(importer.ReadFile("res/models/Later.obj", 0), &copy);
    copy->mFlags = AI_SCENE_FLAGS_INCOMPLETE | AI_SCENE_FLAGS_TERRAIN;
    ASSERT_EQ(Assimp::Exporter().Export(copy, "assbin", "Incomplete.assbin"), AI_SUCCESS);
    aiFreeScene(copy);
    EXPECT_EQ(failureOf([] { Model("Incomplete.assbin"); }).substr(0, kFailure.size()), kFailure);
}

TEST_F(ModelTest, PolygonsAreTriangulatedWithTheirAttributesAndLinesAndPointsSkipped)
{
    m_Dir.writeFile("Quad2.obj", kTexturedQuad);
    const auto& quad = Model("Quad2.obj").m_Meshes->front();
    EXPECT_EQ(quad.m_Indices.size(), 6u);
    for (const auto& vertex : quad.m_Vertices) {
        EXPECT_EQ(vertex.normal, glm::vec4(0.0f, 0.0f, 1.0f, 0.0f));
        EXPECT_EQ(vertex.texCoords, (glm::vec2(vertex.position) + 1.0f) * 0.5f);
    }
    // Without normals in the file: generated unit normals, one per face, so a
    // fold keeps its edge: corners shared by both faces are not merged.
    m_Dir.writeFile("Fold.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 4 2\n");
    const auto& fold = Model("Fold.obj").m_Meshes->front();
    ASSERT_EQ(fold.m_Indices.size(), 6u);
    for (std::size_t corner = 0; corner < 6; ++corner) {
        const glm::vec4 normal = fold.m_Vertices.at(fold.m_Indices[corner]).normal;
        EXPECT_EQ(normal, corner < 3 ? glm::vec4(0, 0, 1, 0) : glm::vec4(0, 1, 0, 0)) << corner;
    }
    m_Dir.writeFile("Mixed.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nl 1 4\np 2\nf 2 4 3\n");
    const Model mixed("Mixed.obj");
    ASSERT_EQ(mixed.m_Meshes->size(), 1u);
    std::vector<glm::vec2> corners;
    for (const unsigned int index : mixed.m_Meshes->front().m_Indices) {
        corners.emplace_back(mixed.m_Meshes->front().m_Vertices.at(index).position);
    }
    EXPECT_EQ(corners, (std::vector<glm::vec2>{{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}}));
}

// A coarser level whose geometric error is missing or unreadable is never
// drawn, however far away the body is; a readable one is, once far enough.
TEST_F(ModelTest, DetailLevelsTakeACoarserMeshOnlyWithItsGeometricError)
{
    m_Dir.writeFile("Rock.obj", kBareTriangle);
    m_Dir.writeFile("Rock_lod1.obj", std::string("# Rock_lod1.obj\n# geometric error: 0.5\n") + kBareTriangle);
    const glm::mat4 farAway = glm::perspective(1.0f, 2.0f, 0.1f, 5000.0f) *
        glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -2000.0f));
    for (const char* header : {"# geometric error: 0.5\n", "", "# geometric error: 0.5x\n", "# geometric error: -1\n"}) {
        m_Dir.writeFile("Rock_lod2.obj", std::string("# Rock_lod2.obj\n") + header + kBareTriangle);
        const Orbivane::Models::DetailLevels levels("Rock.obj", 2);
        const Model* expected = levels.m_Levels[header == std::string("# geometric error: 0.5\n") ? 2 : 1].model.get();
        EXPECT_EQ(levels.forScene(farAway, 640, 320).get(), expected) << header;
        EXPECT_EQ(levels.forScene(glm::perspective(1.0f, 2.0f, 0.1f, 50.0f), 640, 320).get(),
                  levels.m_Levels[0].model.get());
    }
}
