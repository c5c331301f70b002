#include "helpers/ExceptionWithMsg.h"
#include "models/Model.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using Orbivane::Helpers::ExceptionWithMsg;
using Orbivane::Models::Model;

namespace {

const char* kTexturedQuad = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                            "vn 0 0 1\n"
                            "f 1/1/1 2/2/1 3/3/1 4/4/1\n";

const char* kBareTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { OrbivaneTest::ensureGLContext(); }

    static std::string failureOf(const std::string& path)
    {
        try {
            Model model(path);
        } catch (const ExceptionWithMsg& e) {
            return e.m_Message;
        }
        return "no exception";
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

}

TEST_F(ModelTest, ModelsOfOnePathShareOneImportAndOtherSpellingsImportAgain)
{
    m_Dir.writeFile("res/models/Quad.obj", kTexturedQuad);
    const Model first("res\\models\\Quad.obj");
    const Model slashed("res/models/Quad.obj");
    std::filesystem::remove(m_Dir.path() / "res/models/Quad.obj");
    const Model second("res\\models\\Quad.obj");

    ASSERT_EQ(first.m_Meshes->size(), 1u);
    EXPECT_EQ(first.m_Meshes, second.m_Meshes);
    EXPECT_NE(first.m_Meshes, slashed.m_Meshes);
    EXPECT_NE(first.m_Meshes->front().m_VAO, slashed.m_Meshes->front().m_VAO);
}

TEST_F(ModelTest, QuadsAreTriangulatedAndKeepTheirAttributes)
{
    m_Dir.writeFile("res/models/Quad2.obj", kTexturedQuad);
    m_Dir.writeFile("res/models/Bare.obj", kBareTriangle);
    const auto& quad = Model("res\\models\\Quad2.obj").m_Meshes->front();
    EXPECT_EQ(quad.m_Indices.size(), 6u);
    ASSERT_EQ(quad.m_Vertices.size(), 4u);
    for (const auto& vertex : quad.m_Vertices) {
        EXPECT_EQ(vertex.position.w, 1.0f);
        EXPECT_EQ(vertex.normal, glm::vec4(0.0f, 0.0f, 1.0f, 0.0f));
        // Texture coordinates follow the corner: (-1,-1) maps to (0,0), (1,1) to (1,1).
        EXPECT_EQ(vertex.texCoords, (glm::vec2(vertex.position) + 1.0f) * 0.5f);
    }
    // Without coordinates in the file: zeroes, and generated unit normals.
    for (const auto& vertex : Model("res\\models\\Bare.obj").m_Meshes->front().m_Vertices) {
        EXPECT_EQ(vertex.texCoords, glm::vec2(0.0f, 0.0f));
        EXPECT_NEAR(glm::length(glm::vec3(vertex.normal)), 1.0f, 1e-5f);
    }
}

TEST_F(ModelTest, FailedImportIsReportedAndNotCached)
{
    const std::string message = failureOf("res\\models\\Later.obj");
    EXPECT_EQ(message.rfind("Failed to load model. ASSIMP-ERROR: ", 0), 0u) << message;
    EXPECT_GT(message.size(), std::string("Failed to load model. ASSIMP-ERROR: ").size());
    // A face that points past the vertices never reaches the GPU: the reader refuses the file.
    m_Dir.writeFile("res/models/Lying.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
    EXPECT_EQ(failureOf("res\\models\\Lying.obj"), "Failed to load model. ASSIMP-ERROR: OBJ: vertex index out of range");

    m_Dir.writeFile("res/models/Later.obj", kBareTriangle);
    EXPECT_NO_THROW(Model("res\\models\\Later.obj"));
}
