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

TEST_F(ModelTest, DrawIssuesTheIndexedTrianglesWithTheSharedLayout)
{
    m_Dir.writeFile("res/models/Screen.obj", kTexturedQuad);
    const Model model("res\\models\\Screen.obj");

    const char* sources[2] = {"#version 330 core\nlayout(location = 0) in vec4 position;\n"
                              "layout(location = 2) in vec2 uv;\nout vec2 vUv;\n"
                              "void main() { vUv = uv; gl_Position = position; }\n",
                              "#version 330 core\nin vec2 vUv;\nout vec4 color;\n"
                              "void main() { color = vec4(vUv, 1.0, 1.0); }\n"};
    const GLuint program = glCreateProgram();
    for (int stage = 0; stage < 2; ++stage) {
        const GLuint shader = glCreateShader(stage == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
        glShaderSource(shader, 1, &sources[stage], nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glLinkProgram(program);

    GLuint target = 0;
    GLuint framebuffer = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, 8, 8);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    model.draw();

    unsigned char corners[2][4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corners[0]);
    glReadPixels(7, 7, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corners[1]);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    EXPECT_LT(corners[0][0], 20);
    EXPECT_EQ(corners[0][2], 255);
    EXPECT_GT(corners[1][0], 230);
    EXPECT_GT(corners[1][1], 230);
    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0);
}
