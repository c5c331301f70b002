#include "EntityTestAssets.h"

#include "entities/Asteroid.h"
#include "entities/BlackHole.h"
#include "entities/SpotLight.h"
#include "entities/Sun.h"

#include <functional>

namespace {

using namespace EntityTest;
using namespace Orbivane::Entities;

GLuint primitivesDrawnBy(const std::function<void()>& draw)
{
    GLuint query = 0, primitives = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    return primitives;
}

TEST(Bodies, AsteroidSpinsAboutItsDiagonalAfterScalingAndTheBlackHoleIsTwiceItsModel)
{
    AssetDir assets;
    Asteroid asteroid(glm::vec3(10, 0, 0));
    expectVec(glm::vec3(asteroid.getModelMatrix()[0]), {1, 0, 0});
    // A third of a turn about (1, 1, 1) carries x to y, y to z and z to x.
    asteroid.setRotation(glm::vec3(0, 0, 2.0f * glm::pi<float>() / 3.0f));
    asteroid.m_Scale = 2.0f;
    const glm::mat4 spun = asteroid.getModelMatrix();
    expectVec(glm::vec3(spun * glm::vec4(1, 0, 0, 0)), {0, 2, 0});
    expectVec(glm::vec3(spun * glm::vec4(0, 1, 0, 0)), {0, 0, 2});
    expectVec(glm::vec3(spun[3]), {10, 0, 0});

    BlackHole blackHole(glm::vec3(20, 20, 20));
    blackHole.update(glm::mat4(1.0f));
    EXPECT_EQ(blackHole.m_ModelMatrix, glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(20)), glm::vec3(2.0f)));
}

TEST(Bodies, SunsLightVolumeSurroundsItWhileItsSphereKeepsItsSize)
{
    AssetDir assets;
    Sun sun(glm::vec3(4, 5, 6), glm::vec3(0, 1, 0));
    sun.m_Scale = 3.0f;
    const glm::mat4 viewProjection = glm::perspective(1.0f, 1.0f, 0.1f, 500.0f);
    sun.update(viewProjection);
    EXPECT_EQ(sun.m_ModelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(4, 5, 6)));
    expectVec(glm::vec3(sun.m_LightModelMatrix[0][0], sun.m_LightModelMatrix[1][1], sun.m_LightModelMatrix[2][2]),
              glm::vec3(65.23148f), 1e-4f);
    expectVec(glm::vec3(sun.m_LightModelMatrix[3]), {4, 5, 6});
    EXPECT_EQ(sun.m_LightWVP, viewProjection * sun.m_LightModelMatrix);
}

TEST(Bodies, SpotLightDrawsNothingInTheSceneAndSixVerticesAsALight)
{
    AssetDir assets;
    SpotLight light;
    const glm::mat4 shipMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(3, 18, 0));
    light.setModelMatrix(shipMatrix);
    light.update(glm::mat4(1.0f));
    EXPECT_EQ(light.m_ModelMatrix, shipMatrix);
    EXPECT_EQ(primitivesDrawnBy([&] { light.draw(); }), 0u);
    EXPECT_EQ(primitivesDrawnBy([&] { light.drawLight(); }), 2u);
    EXPECT_EQ(OrbivaneTest::integerState(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(OrbivaneTest::integerState(GL_VERTEX_ARRAY_BINDING), 0);
    GLfloat angle = 0.0f;
    glGetUniformfv(light.m_LightProgram, light.m_AngleLocation, &angle);
    EXPECT_EQ(angle, 2.0f);
}

}
