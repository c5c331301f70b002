#include "EntityTestAssets.h"

#include "entities/Asteroid.h"
#include "entities/BlackHole.h"
#include "entities/SpotLight.h"
#include "entities/Sun.h"
#include "rendering/ScreenQuad.h"

#include <gtest/gtest.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <functional>

namespace {

using EntityTest::AssetDir;
using EntityTest::expectVec;
using namespace Orbivane::Entities;

GLuint primitivesDrawnBy(const std::function<void()>& draw)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    return primitives;
}

TEST(Asteroid, SpinsAboutItsDiagonalAfterScaling)
{
    AssetDir assets;
    Asteroid asteroid(glm::vec3(10, 0, 0));

    glm::mat4 still = asteroid.getModelMatrix();
    expectVec(glm::vec3(still[3]), {10, 0, 0});
    expectVec(glm::vec3(still[0]), {1, 0, 0});

    // A third of a turn about (1, 1, 1) carries x to y, y to z and z to x.
    asteroid.setRotation(glm::vec3(0, 0, 2.0f * glm::pi<float>() / 3.0f));
    asteroid.m_Scale = 2.0f;
    const glm::mat4 spun = asteroid.getModelMatrix();
    expectVec(glm::vec3(spun * glm::vec4(1, 0, 0, 0)), {0, 2, 0});
    expectVec(glm::vec3(spun * glm::vec4(0, 1, 0, 0)), {0, 0, 2});
    expectVec(glm::vec3(spun[3]), {10, 0, 0});
}

TEST(BlackHole, IsDrawnAtTwiceItsModelsSize)
{
    AssetDir assets;
    BlackHole blackHole(glm::vec3(20, 20, 20));
    blackHole.update(glm::mat4(1.0f));
    glm::mat4 expected = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    expected[3] = glm::vec4(20, 20, 20, 1);
    EXPECT_EQ(blackHole.m_ModelMatrix, expected);
}

TEST(Sun, LightVolumeSurroundsTheSunWhileItsSphereKeepsItsSize)
{
    AssetDir assets;
    Sun sun(glm::vec3(4, 5, 6), glm::vec3(0, 1, 0));
    sun.m_Scale = 3.0f;
    const glm::mat4 viewProjection = glm::perspective(1.0f, 1.0f, 0.1f, 500.0f);
    sun.update(viewProjection);

    EXPECT_EQ(sun.m_ModelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(4, 5, 6)));
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(sun.m_LightModelMatrix[axis][axis], 65.23148f, 1e-4f);
    }
    expectVec(glm::vec3(sun.m_LightModelMatrix[3]), {4, 5, 6});
    EXPECT_EQ(sun.m_LightWVP, viewProjection * sun.m_LightModelMatrix);
    EXPECT_EQ(sun.m_ModelViewProjectionMatrix, viewProjection * sun.m_ModelMatrix);
}

TEST(SpotLight, DrawsNothingInTheSceneAndSixVerticesAsALight)
{
    AssetDir assets;
    SpotLight light;
    const glm::mat4 shipMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(3, 18, 0));
    light.setModelMatrix(shipMatrix);
    light.update(glm::mat4(1.0f));
    EXPECT_EQ(light.m_ModelMatrix, shipMatrix);
    EXPECT_EQ(light.m_QuadVertices, Orbivane::Rendering::makeScreenQuad());

    EXPECT_EQ(primitivesDrawnBy([&] { light.draw(); }), 0u);
    EXPECT_EQ(primitivesDrawnBy([&] { light.drawLight(); }), 2u);

    GLint program = -1;
    GLint vertexArray = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);
    GLfloat angle = 0.0f;
    glGetUniformfv(light.m_LightProgram, light.m_AngleLocation, &angle);
    EXPECT_EQ(angle, 2.0f);
}

}
