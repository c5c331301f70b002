#include "AllocationCounter.h"
#include "WorldFixture.h"

#include <glm/gtc/constants.hpp>

#include <cmath>
#include <cstdlib>

using Orbivane::Entities::Asteroid;
using Orbivane::Worlds::GameState;
using Orbivane::Worlds::World;

namespace {

// The world's sound player must never need real audio hardware here.
const bool g_SilentAudio = setenv("ALSOFT_DRIVERS", "null", 1) == 0;

class WorldUpdateTest : public OrbivaneTest::WorldFixture {
protected:
    void placeAsteroids(const std::vector<glm::vec3>& positions)
    {
        m_World->m_Asteroids.clear();
        for (const glm::vec3& position : positions) {
            m_World->m_Asteroids.push_back(std::make_shared<Asteroid>(position));
        }
    }

    GameState shootAt(double seconds)
    {
        m_World->m_Ship.m_Shooting = true;
        const GameState state = stepAt(seconds);
        m_World->m_Ship.m_Shooting = false;
        return state;
    }

    // A row of rocks straight ahead of the ship's start position, nearest first.
    std::vector<glm::vec3> rowAhead(int count) const
    {
        std::vector<glm::vec3> row;
        for (int i = 0; i < count; ++i) {
            row.emplace_back(3.0f, 18.0f, 30.0f + 20.0f * static_cast<float>(i));
        }
        return row;
    }
};

}

TEST_F(WorldUpdateTest, IntroFreezesEverythingForOneSecond)
{
    auto& world = makeWorld();
    ASSERT_TRUE(g_SilentAudio);
    const glm::vec3 rock = world.m_Asteroids[0]->getPosition();
    const GameState during = stepAt(0.5);
    EXPECT_TRUE(during.levelIntro);
    EXPECT_EQ(during.levelNumber, 1);
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), rock);
    EXPECT_EQ(world.m_Lights[0]->getPosition(), glm::vec3(20.0f));

    const GameState after = stepAt(1.01);
    EXPECT_FALSE(after.levelIntro);
    EXPECT_TRUE(after.alive);
    // The first full step integrates over the whole intro.
    EXPECT_NE(world.m_Asteroids[0]->getPosition(), rock);
    const glm::vec3 offset = world.m_InnerLights[0]->getPosition() - glm::vec3(20.0f);
    EXPECT_NEAR(glm::length(offset), 50.0f, 1e-3f);
    EXPECT_NEAR(offset.z, 0.0f, 1e-4f);
    EXPECT_NEAR(std::atan2(offset.x, offset.y), 1.01 / 30.0, 1e-4);
    const glm::vec3 outer = world.m_OuterLights[5]->getPosition() - glm::vec3(20.0f);
    EXPECT_NEAR(outer.y, 0.0f, 1e-4f);
    EXPECT_NEAR(std::atan2(outer.x, outer.z), 5.0 * 2.0 * glm::pi<double>() / 20.0 + 1.01 / 30.0, 1e-4);
}

TEST_F(WorldUpdateTest, TouchingTheBlackHoleKillsAtTwelveUnits)
{
    for (const float distance : {12.01f, 11.99f}) {
        auto& world = makeWorld("LevelsEnabled=0\n");
        placeAsteroids({});
        world.m_Ship.setPosition(glm::vec3(20.0f + distance, 20.0f, 20.0f));
        const GameState state = stepAt(0.1);
        EXPECT_EQ(state.alive, distance > 12.0f) << distance;
        EXPECT_EQ(stepAt(0.2).alive, distance > 12.0f) << distance;
    }
    EXPECT_FALSE(stepAt(5.0).alive);
    EXPECT_FALSE(m_World->m_State.alive);
}

TEST_F(WorldUpdateTest, LifeDrainsOverItsTimeAndAHitRefillsIt)
{
    auto& world = makeWorld("LevelsEnabled=0\n");
    placeAsteroids({});
    world.m_DontMoveAsteroids = true;
    EXPECT_NEAR(stepAt(15.0).lifeLeft, 0.5f, 1e-3f);

    placeAsteroids({{3.0f, 18.0f, 40.0f}});
    const GameState hit = shootAt(20.0);
    EXPECT_NEAR(hit.lifeLeft, 1.0f, 1e-3f);
    EXPECT_EQ(world.m_HighScore->m_Score, 1);
    EXPECT_NEAR(stepAt(35.0).lifeLeft, 0.5f, 1e-3f);
    EXPECT_TRUE(stepAt(49.9).alive);
    const GameState empty = stepAt(50.01);
    EXPECT_FALSE(empty.alive);
    EXPECT_EQ(empty.lifeLeft, 0.0f);
}

TEST_F(WorldUpdateTest, InvulnerablePlayersSurviveEverything)
{
    auto& world = makeWorld("LevelsEnabled=0\nInvulnerable=1\nLiveTimeSec=1\n");
    placeAsteroids({});
    world.m_Ship.setPosition(glm::vec3(20.0f));
    for (const double t : {0.5, 2.0, 3.0}) {
        const GameState state = stepAt(t);
        EXPECT_TRUE(state.alive) << t;
    }
    EXPECT_EQ(stepAt(4.0).lifeLeft, 0.0f);
    EXPECT_FALSE(world.m_State.alive);
}

TEST_F(WorldUpdateTest, StillAsteroidsNeitherMoveNorSpinWhileSunsOrbit)
{
    auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\nTestAsteroids=1\n");
    const glm::vec3 rock = world.m_Asteroids[3]->getPosition();
    stepAt(2.5);
    EXPECT_EQ(world.m_Asteroids[3]->getPosition(), rock);
    EXPECT_EQ(world.m_Asteroids[3]->getRotation(), glm::vec3(0.0f));
    EXPECT_NE(world.m_Lights[0]->getPosition(), glm::vec3(20.0f));
}

TEST_F(WorldUpdateTest, AsteroidsSpinWithTheRefillClock)
{
    auto& world = makeWorld("LevelsEnabled=0\n");
    placeAsteroids({{-150.0f, 20.0f, 20.0f}});
    stepAt(1.25);
    EXPECT_NEAR(world.m_Asteroids[0]->getRotation().z, static_cast<float>(glm::pi<double>() / 2.0), 1e-3f);
    stepAt(6.25);
    EXPECT_NEAR(world.m_Asteroids[0]->getRotation().z, static_cast<float>(glm::pi<double>() / 2.0), 1e-3f);
}

TEST_F(WorldUpdateTest, TheNearestRockOnTheLineOfFireIsHitEvenBehindTheShip)
{
    auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\n");
    world.m_Ship.setPosition(glm::vec3(0.0f));
    placeAsteroids({{0.0f, 0.0f, 60.0f}, {0.0f, 0.0f, 40.0f}, {30.0f, 0.0f, 40.0f}});
    shootAt(1.5);
    ASSERT_EQ(world.m_Asteroids.size(), 2u);
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), glm::vec3(0.0f, 0.0f, 60.0f));

    world.m_Asteroids.push_back(std::make_shared<Asteroid>(glm::vec3(0.0f, 0.0f, -10.0f)));
    shootAt(2.3);
    EXPECT_EQ(world.m_Asteroids.size(), 3u) << "a shot inside the lock after a hit";
    shootAt(2.6);
    ASSERT_EQ(world.m_Asteroids.size(), 2u);
    EXPECT_EQ(world.m_Asteroids[1]->getPosition(), glm::vec3(30.0f, 0.0f, 40.0f));
    EXPECT_EQ(world.m_AsteroidsShot, 2);
    EXPECT_EQ(world.m_HighScore->m_Score, 2);

    stepAt(4.0);
    EXPECT_EQ(world.m_Asteroids.size(), 2u) << "no shot without the trigger";
}

TEST_F(WorldUpdateTest, SwallowedAsteroidsAreReplacedOnePerStep)
{
    auto& world = makeWorld("LevelsEnabled=0\n");
    placeAsteroids({{20.0f, 20.0f, 20.0001f}, {20.0001f, 20.0f, 20.0f}, {-150.0f, 20.0f, 20.0f}});
    stepAt(0.1);
    ASSERT_EQ(world.m_Asteroids.size(), 3u);
    EXPECT_TRUE(world.m_Asteroids[0]->m_Destroyed);
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), glm::vec3(20.0f));
    EXPECT_FALSE(world.m_Asteroids[2]->m_Destroyed);
    stepAt(0.2);
    ASSERT_EQ(world.m_Asteroids.size(), 3u);
    for (const auto& asteroid : world.m_Asteroids) {
        EXPECT_FALSE(asteroid->m_Destroyed);
    }
}

TEST_F(WorldUpdateTest, TestAsteroidsAreNotReplaced)
{
    auto& world = makeWorld("LevelsEnabled=0\nTestAsteroids=1\n");
    placeAsteroids({{20.0f, 20.0f, 20.0001f}, {-150.0f, 20.0f, 20.0f}});
    stepAt(0.1);
    ASSERT_EQ(world.m_Asteroids.size(), 1u);
    EXPECT_NEAR(world.m_Asteroids[0]->getPosition().x, -150.0f, 0.1f);
}

TEST_F(WorldUpdateTest, LevelsCompleteInTheRightStepsAndTheGameIsWon)
{
    auto& world = makeWorld("DontMoveAsteroids=1\nLiveTimeSec=100\n");
    placeAsteroids(rowAhead(16));

    EXPECT_EQ(shootAt(1.01).levelNumber, 1);
    EXPECT_EQ(shootAt(2.02).levelNumber, 1);
    const GameState third = shootAt(3.03);
    EXPECT_EQ(third.levelNumber, 1) << "the step that completes a level still shows it";
    EXPECT_FALSE(third.levelComplete);
    EXPECT_EQ(world.m_LevelNumber, 2);
    EXPECT_EQ(world.m_Ship.getPosition(), glm::vec3(3.0f, 18.0f, 0.0f));

    const GameState intro = stepAt(3.5);
    EXPECT_TRUE(intro.levelIntro);
    EXPECT_EQ(intro.levelName, "KOLM passed?");
    EXPECT_EQ(intro.shootTarget, 13);
    EXPECT_EQ(intro.surviveSeconds, 8);

    double t = 4.1;
    for (int hit = 4; hit < 13; ++hit, t += 1.1) {
        EXPECT_EQ(shootAt(t).levelNumber, 2) << "hit " << hit;
    }
    EXPECT_EQ(world.m_AsteroidsShot, 12);
    EXPECT_EQ(world.m_LevelNumber, 2);
    shootAt(t);
    EXPECT_EQ(world.m_AsteroidsShot, 13);
    EXPECT_EQ(world.m_LevelNumber, 3);
    const double levelThreeStart = world.m_LevelStartTime;

    EXPECT_EQ(stepAt(levelThreeStart + 0.5).levelName, "Now you're boasting!");
    stepAt(levelThreeStart + 29.4);
    EXPECT_EQ(world.m_LevelNumber, 3);
    stepAt(levelThreeStart + 29.6);
    EXPECT_EQ(world.m_LevelNumber, 4);
    const GameState won = stepAt(levelThreeStart + 29.7);
    EXPECT_TRUE(won.gameWon);
    EXPECT_TRUE(won.alive);
    EXPECT_TRUE(stepAt(levelThreeStart + 29.8).gameWon);
}

TEST_F(WorldUpdateTest, TheSimulationStepDoesNotAllocate)
{
    auto& world = makeWorld("LevelsEnabled=0\nInvulnerable=1\n");
    std::vector<glm::vec3> ring;
    for (int i = 0; i < 100; ++i) {
        const double angle = i * 2.0 * glm::pi<double>() / 100.0;
        ring.emplace_back(20.0 + 180.0 * std::cos(angle), 20.0 + 180.0 * std::sin(angle), 20.0);
    }
    placeAsteroids(ring);
    world.m_Ship.m_Speed = 3.0f;
    stepAt(0.016);
    const long before = OrbivaneTest::allocationCount();
    for (int step = 2; step <= 100; ++step) {
        stepAt(0.016 * step);
    }
    EXPECT_EQ(OrbivaneTest::allocationCount() - before, 0);
}
