#include "EntityTestAssets.h"

#include "entities/Ship.h"
#include "entities/ShipEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

using EntityTest::AssetDir;
using EntityTest::expectVec;
using Orbivane::Entities::Ship;
using Orbivane::Entities::ShipEngine;

constexpr float QuarterTurn = glm::half_pi<float>();

glm::vec3 column(const glm::mat4& matrix, int index)
{
    return glm::vec3(matrix[index]);
}

TEST(Ship, PendingRotationIsAppliedOnceInTheShipsOwnFrame)
{
    AssetDir assets;
    Ship ship(glm::vec3(0));

    ship.setRotationY(QuarterTurn);
    expectVec(ship.getWorldDirection(), {1, 0, 0});
    EXPECT_EQ(ship.m_RotationY, 0.0f);
    const glm::quat afterYaw = ship.m_Orientation;
    ship.getModelMatrix();
    EXPECT_EQ(ship.m_Orientation, afterYaw);
    expectVec(ship.getWorldDirection(), {1, 0, 0});

    // After the yaw the ship's own x axis points along world -z, so a pitch
    // turns the nose downwards, not about the world x axis.
    ship.setRotationX(QuarterTurn);
    expectVec(ship.getWorldDirection(), {0, -1, 0});
}

TEST(Ship, UpdateUsesTheStoredMatrixAndLeavesInputPending)
{
    AssetDir assets;
    Ship ship(glm::vec3(1, 2, 3));
    ship.updateModelMatrix();
    const glm::mat4 stored = ship.m_ModelMatrix;

    ship.setRotationZ(0.5f);
    ship.setPosition(glm::vec3(100, 0, 0));
    const glm::mat4 viewProjection = glm::perspective(0.8f, 1.0f, 0.1f, 50.0f);
    ship.update(viewProjection);

    EXPECT_EQ(ship.m_ModelMatrix, stored);
    EXPECT_EQ(ship.m_RotationZ, 0.5f);
    EXPECT_EQ(ship.m_ModelViewProjectionMatrix, viewProjection * stored);
    EXPECT_EQ(ship.m_NormalMatrix, glm::transpose(glm::inverse(stored)));
}

TEST(ShipEngine, SpinsOneRadianPerSecondPerFiveUnitsOfSpeed)
{
    AssetDir assets;
    Ship ship(glm::vec3(0));
    glfwSetTime(10.0);
    ShipEngine engine(&ship, 0);
    EXPECT_NEAR(engine.m_LastTime, 10.0, 0.1);

    glfwSetTime(12.0);
    engine.getModelMatrix();
    EXPECT_EQ(engine.m_SpinAngle, 0.0f) << "a ship at rest does not spin its engines";

    ship.setVelocity(3, 4, 0);
    glfwSetTime(14.0);
    const glm::mat4 spun = engine.getModelMatrix();
    EXPECT_NEAR(engine.m_SpinAngle, 2.0f, 1e-4f);
    expectVec(column(spun, 0), {std::cos(2.0f), std::sin(2.0f), 0}, 1e-4f);

    glfwSetTime(14.5);
    engine.getModelMatrix();
    EXPECT_NEAR(engine.m_SpinAngle, 2.5f, 1e-4f);
}

}
