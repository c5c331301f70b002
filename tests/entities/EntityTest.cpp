#include "EntityTestAssets.h"

#include "Camera.h"
#include "entities/Entity.h"
#include "entities/IControllableEntity.h"
#include "entities/Ship.h"
#include "helpers/ShaderManager.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

using EntityTest::AssetDir;
using EntityTest::expectVec;

void expectMat(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-5f)
{
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(actual[column][row], expected[column][row], tolerance) << "column " << column << " row " << row;
        }
    }
}

TEST(Entity, MatricesFollowPositionAndScaleButIgnoreRotation)
{
    AssetDir assets;
    Orbivane::Entities::Entity entity(glm::vec3(1, 2, 3), glm::vec3(0));
    entity.m_Scale = 2.0f;
    entity.setRotation(glm::vec3(0.3f, 1.0f, 2.0f));

    glm::mat4 expectedModel = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    expectedModel[3] = glm::vec4(1, 2, 3, 1);
    expectMat(entity.getModelMatrix(), expectedModel);

    const glm::mat4 viewProjection = glm::perspective(1.0f, 1.5f, 0.1f, 100.0f);
    entity.update(viewProjection);
    expectMat(entity.m_ModelMatrix, expectedModel);
    glm::mat4 expectedNormal = glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));
    expectedNormal[0][3] = -0.5f;
    expectedNormal[1][3] = -1.0f;
    expectedNormal[2][3] = -1.5f;
    expectMat(entity.m_NormalMatrix, expectedNormal);
    expectMat(entity.m_ModelViewProjectionMatrix, viewProjection * expectedModel);
}

TEST(ControllableEntity, TheHeadingScalesWithTheEntity)
{
    AssetDir assets;
    Orbivane::Entities::IControllableEntity entity;
    entity.m_Direction = glm::vec3(0, 1, 0);
    entity.m_Scale = 2.0f;
    expectVec(entity.getWorldDirection(), {0, 2, 0});
    expectVec(entity.m_WorldDirection, {0, 2, 0});
    entity.resetWorldDirection();
    expectVec(entity.m_WorldDirection, {0, 1, 0});
}

TEST(Camera, DescribesItsFrustumFromTheUnconvertedFieldOfView)
{
    AssetDir assets;
    Orbivane::Camera camera(640, 320);
    // Without a target the camera keeps its start view instead of failing.
    camera.update();
    const Orbivane::FrustumInfo info = camera.getFrustumInfo();
    expectMat(camera.getProjectionMatrix(), glm::perspective(45.0f, 2.0f, 0.1f, 500.0f));
    expectVec(info.m_Position, {0, 0, 20});
    expectVec(info.m_Front, {0, 0, -1});
    EXPECT_FLOAT_EQ(info.m_NearDistance, 0.1f);
    EXPECT_FLOAT_EQ(info.m_FarDistance, 500.0f);
    EXPECT_NEAR(info.m_NearHeight, 0.11158f, 1e-4f);
    EXPECT_NEAR(info.m_NearWidth, 0.22317f, 1e-4f);
    EXPECT_NEAR(info.m_FarHeight, 557.9f, 0.1f);
    EXPECT_NEAR(info.m_FarWidth, 1115.8f, 0.2f);
}

TEST(Camera, FollowsTwentyUnitsBehindTheShipAndRollsWithIt)
{
    AssetDir assets;
    Orbivane::Entities::Ship ship(glm::vec3(3, 18, 0));
    ship.updateModelMatrix();
    Orbivane::Camera camera(640, 320);
    camera.m_Target = &ship;

    camera.update();
    expectVec(camera.m_Eye, {3, 18, -20});
    expectVec(camera.m_Front, {0, 0, 1});
    expectVec(camera.m_Up, {0, 1, 0});
    expectVec(camera.m_Right, {-1, 0, 0});
    expectVec(glm::vec3(camera.getViewMatrix() * glm::vec4(3, 18, 0, 1)), {0, 0, -20});
    const Orbivane::FrustumInfo info = camera.getFrustumInfo();
    expectVec(info.m_Position, {3, 18, -20});
    expectVec(info.m_Front, {0, 0, 1});

    // A quarter roll: the ship's up axis, and with it the camera's, turns to -x.
    ship.setRotationZ(glm::half_pi<float>());
    ship.updateModelMatrix();
    camera.update();
    expectVec(camera.m_Up, {-1, 0, 0});
    expectVec(camera.m_Eye, {3, 18, -20});

    // The heading is not normalised: a ship scaled by 2 is followed from 40 units.
    ship.m_Scale = 2.0f;
    camera.update();
    expectVec(camera.m_Eye, {3, 18, -40}, 1e-4f);
}

}
