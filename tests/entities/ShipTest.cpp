#include "EntityTestAssets.h"

#include "Camera.h"
#include "entities/Ship.h"
#include "entities/ShipEngine.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <utility>

namespace {

using namespace EntityTest;
using Orbivane::Entities::Ship;
using Orbivane::Entities::ShipEngine;

constexpr float QuarterTurn = glm::half_pi<float>();

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

TEST(Ship, CameraFollowsTwentyUnitsBehindAndRollsWithIt)
{
    AssetDir assets;
    Ship ship(glm::vec3(3, 18, 0));
    ship.updateModelMatrix();
    Orbivane::Camera camera(640, 320);
    camera.m_Target = &ship;
    camera.update();
    expectVec(camera.m_Eye, {3, 18, -20});
    expectVec(camera.m_Up, {0, 1, 0});
    expectVec(glm::vec3(camera.getViewMatrix() * glm::vec4(3, 18, 0, 1)), {0, 0, -20});
    expectVec(camera.getFrustumInfo().m_Position, {3, 18, -20});
    // A quarter roll: the ship's up axis, and with it the camera's, turns to -x.
    ship.setRotationZ(QuarterTurn);
    ship.updateModelMatrix();
    camera.update();
    expectVec(camera.m_Up, {-1, 0, 0});
    // The heading is not normalised: a ship scaled by 2 is followed from 40 units.
    ship.m_Scale = 2.0f;
    camera.update();
    expectVec(camera.m_Eye, {3, 18, -40}, 1e-4f);
}

// The clock runs on between the test setting it and the engine reading it,
// for as long as a loaded machine keeps the test waiting: each call's reading
// is bounded by the clock set before the call and read after it.
TEST(ShipEngine, SpinsOneRadianPerSecondPerFiveUnitsOfSpeed)
{
    AssetDir assets;
    Ship ship(glm::vec3(0));
    glfwSetTime(10.0);
    ShipEngine engine(&ship, 0);
    auto last = std::pair(10.0, glfwGetTime());
    const auto getModelMatrixAt = [&engine, &last](double seconds) {
        glfwSetTime(seconds);
        const glm::mat4 matrix = engine.getModelMatrix();
        last = std::pair(seconds, glfwGetTime());
        return matrix;
    };
    getModelMatrixAt(12.0);
    EXPECT_EQ(engine.m_SpinAngle, 0.0f) << "a ship at rest does not spin its engines";
    ship.setVelocity(3, 4, 0);
    for (const double seconds : {14.0, 14.5}) {
        const float before = engine.m_SpinAngle;
        const auto previous = last;
        const glm::mat4 spun = getModelMatrixAt(seconds);
        EXPECT_GE(engine.m_SpinAngle - before, static_cast<float>(last.first - previous.second) - 1e-4f);
        EXPECT_LE(engine.m_SpinAngle - before, static_cast<float>(last.second - previous.first) + 1e-4f);
        expectVec(glm::vec3(spun[0]), {std::cos(engine.m_SpinAngle), std::sin(engine.m_SpinAngle), 0}, 1e-4f);
    }
}

}
