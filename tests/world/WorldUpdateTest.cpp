#include "WorldFixture.h"

#include "helpers/PlaySound.h"
#include "helpers/ScreenshotWriter.h"

#include <glm/gtc/constants.hpp>
#include <stb_image.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>

using Orbivane::Entities::Asteroid;
using Orbivane::Worlds::DeathCause;
using Orbivane::Entities::Entity;
using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;
using Orbivane::Worlds::GameState;
using Orbivane::Worlds::World;

namespace {

// The world's sound player must never need real audio hardware here.
const bool g_SilentAudio = setenv("ALSOFT_DRIVERS", "null", 1) == 0;
const char* const kLaser = "res\\sounds\\laser_shooting_sfx.wav";
const glm::vec3 kStart(3.0f, 18.0f, 0.0f);

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f)
{
    EXPECT_LT(glm::length(actual - expected), tolerance) << actual.x << ", " << actual.y << ", " << actual.z;
}

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

    static double laserPlayedAt() { return PlaySound::instance().sounds().at(kLaser).lastPlayTime; }
};

}

// The world stands still through the introduction, three seconds or until a
// flight key ends it, and moves from the end of it on: not over it at once.
TEST_F(WorldUpdateTest, IntroFreezesEverythingForThreeSecondsOrUntilAFlightKey)
{
    for (const bool flightKey : {false, true}) {
        auto& world = makeWorld();
        ASSERT_TRUE(g_SilentAudio);
        world.m_Ship.m_Speed = 5.0f;
        const glm::vec3 rock = world.m_Asteroids[0]->getPosition();
        const GameState during = stepAt(0.5);
        EXPECT_TRUE(during.levelIntro);
        EXPECT_EQ(during.levelNumber, 1);
        EXPECT_EQ(world.m_Asteroids[0]->getPosition(), rock);
        EXPECT_EQ(world.m_Lights[0]->getPosition(), glm::vec3(20.0f));
        EXPECT_EQ(world.m_Ship.getPosition(), kStart);
        const double end = flightKey ? 0.6 : 3.01;
        if (flightKey) {
            glfwSetTime(end);
            world.endIntro();
        } else {
            EXPECT_TRUE(stepAt(2.99).levelIntro);
        }
        const GameState after = stepAt(end);
        EXPECT_FALSE(after.levelIntro);
        EXPECT_TRUE(after.alive);
        // The clock runs on while a step is read: a few milliseconds' motion at most.
        EXPECT_LT(glm::distance(world.m_Asteroids[0]->getPosition(), rock), 1e-3f);
        EXPECT_LT(glm::distance(world.m_Ship.getPosition(), kStart), 1e-3f);
        const glm::vec3 offset = world.m_InnerLights[0]->getPosition() - glm::vec3(20.0f);
        EXPECT_NEAR(glm::length(offset), 50.0f, 1e-3f);
        EXPECT_NEAR(offset.z, 0.0f, 1e-4f);
        EXPECT_NEAR(std::atan2(offset.x, offset.y), end / 30.0, 1e-4);
        const glm::vec3 outer = world.m_OuterLights[5]->getPosition() - glm::vec3(20.0f);
        EXPECT_NEAR(glm::length(outer), 75.0f, 1e-3f);
        EXPECT_NEAR(outer.y, 0.0f, 1e-4f);
        EXPECT_NEAR(std::atan2(outer.x, outer.z), 5.0 * 2.0 * glm::pi<double>() / 20.0 + end / 30.0, 1e-4);

        stepAt(end + 0.5);
        EXPECT_NE(world.m_Asteroids[0]->getPosition(), rock);
        EXPECT_NEAR(world.m_Ship.getPosition().z, 0.5f * 5.0f * 0.25f, 0.05f);
    }
}

// For StartGrace seconds after a level's play begins, touching a body does
// not destroy the ship; a value that cannot be used keeps the 2 seconds.
TEST_F(WorldUpdateTest, CollisionsCannotHurtTheShipDuringTheStartGrace)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"", 2.0, ""}, {"StartGrace=0.5\n", 0.5, ""}, {"StartGrace=0\n", 0.0, ""},
        {"StartGrace=-1\n", 2.0, "Orbivane.ini: StartGrace=-1 is not a number from 0 to 60; using 2\n"}};
    for (const auto& [settings, grace, console] : cases) {
        SCOPED_TRACE(settings);
        auto& world = makeWorld(std::string("DontMoveAsteroids=1\n") + settings);
        EXPECT_NE(m_Console.find(console), std::string::npos);
        placeAsteroids({});
        world.m_Ship.setPosition(glm::vec3(20.0f, 20.0f, 31.0f));
        EXPECT_TRUE(stepAt(1.0).alive) << "in the introduction";
        glfwSetTime(1.5);
        world.endIntro();
        if (grace > 0.0) {
            const GameState graced = stepAt(1.49 + grace);
            EXPECT_TRUE(graced.alive);
            EXPECT_NEAR(graced.graceLeft, 0.01f, 1e-3f);
        }
        const GameState hit = stepAt(1.5 + grace);
        EXPECT_FALSE(hit.alive);
        EXPECT_EQ(hit.cause, DeathCause::BlackHole);
        EXPECT_EQ(hit.graceLeft, 0.0f);
    }
}

TEST_F(WorldUpdateTest, ShipMovesFromRestEachStepAndCarriesItsLightAndEngines)
{
    auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\n");
    placeAsteroids({});
    world.m_Ship.m_Speed = 4.0f;
    stepAt(0.5);
    // Half the acceleration times dt squared, along the heading (0, 0, 1).
    expectNear(world.m_Ship.getPosition(), kStart + glm::vec3(0.0f, 0.0f, 0.5f));
    expectNear(world.m_Ship.getVelocity(), glm::vec3(0.0f, 0.0f, 2.0f));
    // No momentum: the second step starts from rest again.
    stepAt(1.0);
    expectNear(world.m_Ship.getPosition(), kStart + glm::vec3(0.0f, 0.0f, 1.0f));

    // A quarter yaw turns the heading to +x before the ship moves.
    world.m_Ship.setRotationY(glm::half_pi<float>());
    stepAt(1.5);
    const glm::vec3 turned = kStart + glm::vec3(0.5f, 0.0f, 1.0f);
    expectNear(world.m_Ship.getPosition(), turned);
    expectNear(glm::vec3(world.m_Ship.m_ModelMatrix[3]), turned);
    expectNear(glm::vec3(world.m_Ship.m_ModelMatrix * glm::vec4(0, 0, 1, 0)), glm::vec3(1, 0, 0));

    // The head light rides on the ship and shines along its base heading.
    expectNear(world.m_SpotLight.getPosition(), turned);
    EXPECT_EQ(world.m_SpotLight.getModelMatrix(), world.m_Ship.m_ModelMatrix);
    EXPECT_EQ(world.m_SpotLight.m_Direction, glm::vec3(0.0f, 0.0f, 1.0f));
    // The engines hang at (+-1, 2.5, -6) in the ship's frame.
    expectNear(glm::vec3(world.m_LeftEngine->getModelMatrix()[3]), turned + glm::vec3(-6.0f, 2.5f, -1.0f));
    expectNear(glm::vec3(world.m_RightEngine->getModelMatrix()[3]), turned + glm::vec3(-6.0f, 2.5f, 1.0f));

    world.m_Ship.m_Speed = 0.0f;
    stepAt(2.0);
    expectNear(world.m_Ship.getPosition(), turned);
    EXPECT_EQ(world.m_Ship.getVelocity(), glm::vec3(0.0f));
}

TEST_F(WorldUpdateTest, TouchingAnyBodyKillsExactlyAtTheSumOfTheRadii)
{
    struct Body {
        const char* name;
        std::function<Entity&(World&)> find;
        float radius;
        glm::vec3 away;  // a direction from the body that leads away from everything else
        DeathCause cause;
    };
    const Body bodies[] = {
        {"asteroid", [](World& w) -> Entity& { return *w.m_Asteroids[0]; }, 5.0f, {0, 0, -1}, DeathCause::Asteroid},
        {"inner sun", [](World& w) -> Entity& { return *w.m_InnerLights[7]; }, 2.5f, {0, 0, 1}, DeathCause::Sun},
        {"outer sun", [](World& w) -> Entity& { return *w.m_OuterLights[12]; }, 2.5f, {0, 1, 0}, DeathCause::Sun},
        {"black hole", [](World& w) -> Entity& { return w.m_BlackHole; }, 10.0f, {0, -1, 0}, DeathCause::BlackHole},
    };
    for (const Body& body : bodies) {
        for (const float gap : {0.01f, -0.01f}) {
            SCOPED_TRACE(std::string(body.name) + (gap > 0 ? " just apart" : " just touching"));
            auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\nStartGrace=0\n");
            placeAsteroids({{-100.0f, -100.0f, -100.0f}});
            ASSERT_TRUE(stepAt(0.5).alive);
            // A second step at the same time moves nothing, so the body stays where it was found.
            const glm::vec3 centre = body.find(world).getPosition();
            world.m_Ship.setPosition(centre + body.away * (2.0f + body.radius + gap));
            EXPECT_EQ(stepAt(0.5).alive, gap > 0);
            const GameState later = stepAt(0.6);
            EXPECT_EQ(later.alive, gap > 0);
            EXPECT_EQ(later.cause, gap > 0 ? DeathCause::None : body.cause);
        }
    }
}

TEST_F(WorldUpdateTest, ADeadWorldStandsStill)
{
    auto& world = makeWorld("LevelsEnabled=0\nStartGrace=0\n");
    placeAsteroids({{-150.0f, 20.0f, 20.0f}});
    world.m_Ship.setPosition(glm::vec3(20.0f, 20.0f, 31.0f));
    ASSERT_FALSE(stepAt(0.5).alive);
    const glm::vec3 rock = world.m_Asteroids[0]->getPosition();
    const glm::vec3 sun = world.m_Lights[0]->getPosition();
    world.m_Ship.m_Speed = 5.0f;
    world.m_Ship.m_Shooting = true;

    const GameState later = stepAt(3.0);
    EXPECT_FALSE(later.alive);
    EXPECT_EQ(later.lifeLeft, 0.0f);
    EXPECT_EQ(world.m_Asteroids.size(), 1u);
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), rock);
    EXPECT_EQ(world.m_Lights[0]->getPosition(), sun);
    EXPECT_EQ(world.m_Ship.getPosition(), glm::vec3(20.0f, 20.0f, 31.0f));
}

TEST_F(WorldUpdateTest, LifeDrainsOverItsTimeAndAHitRefillsIt)
{
    auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\n");
    placeAsteroids({});
    EXPECT_NEAR(stepAt(15.0).lifeLeft, 0.5f, 1e-3f);

    placeAsteroids({kStart + glm::vec3(0.0f, 0.0f, 40.0f)});
    const GameState hit = shootAt(20.0);
    EXPECT_NEAR(hit.lifeLeft, 1.0f, 1e-3f);
    EXPECT_EQ(world.m_HighScore->m_Score, 1);
    EXPECT_NEAR(stepAt(35.0).lifeLeft, 0.5f, 1e-3f);
    EXPECT_TRUE(stepAt(49.9).alive);
    const GameState empty = stepAt(50.01);
    EXPECT_FALSE(empty.alive);
    EXPECT_EQ(empty.lifeLeft, 0.0f);
    EXPECT_EQ(empty.cause, DeathCause::EnergyOut);
}

TEST_F(WorldUpdateTest, InvulnerablePlayersSurviveEverything)
{
    auto& world = makeWorld("LevelsEnabled=0\nInvulnerable=1\nLiveTimeSec=1\n");
    placeAsteroids({});
    world.m_Ship.setPosition(glm::vec3(20.0f));
    for (const double t : {0.5, 2.0, 3.0}) {
        EXPECT_TRUE(stepAt(t).alive) << t;
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

TEST_F(WorldUpdateTest, AsteroidsSpinOncePerFiveSecondsRestartingAtEveryHit)
{
    auto& world = makeWorld("LevelsEnabled=0\n");
    // The rock to shoot lies 30 ahead of the ship, out of the black hole's reach.
    placeAsteroids({{-150.0f, 20.0f, 20.0f}, kStart + glm::vec3(0.0f, 0.0f, -30.0f)});
    world.m_Ship.setPosition(kStart + glm::vec3(0.0f, 0.0f, -60.0f));
    const auto spin = [&world] { return world.m_Asteroids[0]->getRotation().z; };
    const auto quarterTurn = static_cast<float>(glm::pi<double>() / 2.0);
    shootAt(1.25);
    EXPECT_NEAR(spin(), quarterTurn, 1e-3f);
    ASSERT_EQ(world.m_Asteroids.size(), 1u);
    stepAt(2.5);
    EXPECT_NEAR(spin(), quarterTurn, 1e-3f);
    stepAt(7.5);
    EXPECT_NEAR(spin(), quarterTurn, 1e-3f);
}

TEST_F(WorldUpdateTest, TheNearestRockAheadOnTheLineOfFireIsHitNeverOneBehind)
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
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), glm::vec3(30.0f, 0.0f, 40.0f));
    // The beam ends where it entered the rock, which burst at its centre.
    EXPECT_EQ(world.m_LastShot.end, glm::vec3(0.0f, 0.0f, 55.0f));
    EXPECT_EQ(world.m_LastHit.end, glm::vec3(0.0f, 0.0f, 60.0f));
    EXPECT_EQ(world.m_AsteroidsShot, 2);
    EXPECT_EQ(world.m_HighScore->m_Score, 2);

    shootAt(4.0);
    EXPECT_EQ(world.m_Asteroids.size(), 2u) << "the rock behind the ship";
    EXPECT_EQ(world.m_LastShot.end, glm::vec3(0.0f, 0.0f, 300.0f)) << "a miss reaches 300 ahead";

    // Two rocks the ray enters at the same distance: the earlier one in the list goes.
    placeAsteroids({{3.0f, 0.0f, 40.0f}, {-3.0f, 0.0f, 40.0f}});
    shootAt(5.0);
    ASSERT_EQ(world.m_Asteroids.size(), 1u);
    EXPECT_EQ(world.m_Asteroids[0]->getPosition(), glm::vec3(-3.0f, 0.0f, 40.0f));
}

TEST_F(WorldUpdateTest, TheLaserSoundsOnAMissButNotWithinASecondOfAHit)
{
    auto& world = makeWorld("LevelsEnabled=0\nDontMoveAsteroids=1\n");
    placeAsteroids({kStart + glm::vec3(0.0f, 0.0f, 40.0f)});
    PlaySound::instance().play(kLaser, PlayMode::Stop);
    world.m_Ship.setRotationY(glm::half_pi<float>());
    shootAt(2.0);
    EXPECT_NEAR(laserPlayedAt(), 2.0, 0.01) << "a miss is heard";
    EXPECT_EQ(world.m_Asteroids.size(), 1u);

    world.m_Ship.setRotationY(-glm::half_pi<float>());
    shootAt(3.0);
    EXPECT_NEAR(laserPlayedAt(), 3.0, 0.01);
    ASSERT_EQ(world.m_Asteroids.size(), 0u);
    // The shot has long ended, but the lock after the hit holds the trigger.
    shootAt(3.9);
    EXPECT_NEAR(laserPlayedAt(), 3.0, 0.01);
    shootAt(4.05);
    EXPECT_NEAR(laserPlayedAt(), 4.05, 0.01);
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

TEST_F(WorldUpdateTest, AMissionIsAccomplishedOnlyWhenBothItsTargetsAreMet)
{
    struct Mission {
        int level;
        int hits;
        double stillPlaying;  // seconds after the level started
        double accomplished;  // a negative value: never
    };
    // Hits count from the world's creation; seconds are rounded to the nearest whole one.
    const Mission missions[] = {
        {1, 2, 20.0, -1.0}, {1, 3, 2.9, 3.01}, {2, 12, 30.0, -1.0},
        {2, 13, 7.45, 7.55}, {3, 0, 29.45, 29.55},
    };
    for (const Mission& mission : missions) {
        SCOPED_TRACE("level " + std::to_string(mission.level) + " with " + std::to_string(mission.hits) + " hits");
        auto& world = makeWorld("DontMoveAsteroids=1\nInvulnerable=1\n");
        placeAsteroids({});
        // Hits count on across level changes.
        world.m_AsteroidsShot = mission.hits;
        for (int level = 1; level < mission.level; ++level) {
            world.startNextLevel();
        }
        resetClocks();
        stepAt(mission.stillPlaying);
        EXPECT_EQ(world.m_LevelNumber, mission.level);
        if (mission.accomplished > 0.0) {
            stepAt(mission.accomplished);
            EXPECT_EQ(world.m_LevelNumber, mission.level + 1);
        }
    }
}

TEST_F(WorldUpdateTest, ANewLevelShowsInTheNextStepAndTheLastOneWinsTheGame)
{
    auto& world = makeWorld("DontMoveAsteroids=1\nLiveTimeSec=100\n");
    placeAsteroids({kStart + glm::vec3(0, 0, 30), kStart + glm::vec3(0, 0, 50), kStart + glm::vec3(0, 0, 70)});
    world.m_Ship.m_Speed = 2.0f;
    EXPECT_EQ(shootAt(3.01).levelNumber, 1);
    EXPECT_EQ(shootAt(4.02).levelNumber, 1);
    EXPECT_EQ(shootAt(5.03).levelNumber, 1) << "the step that completes a level still shows it";
    EXPECT_EQ(world.m_LevelNumber, 2);
    EXPECT_EQ(world.m_Ship.getPosition(), kStart);
    EXPECT_EQ(world.m_Ship.m_Speed, 0.0f);

    const GameState intro = stepAt(5.5);
    EXPECT_TRUE(intro.levelIntro);
    // Raised and lowered again within the completing step, the flag never reaches a state.
    EXPECT_FALSE(intro.levelComplete);
    EXPECT_EQ(intro.levelName, "KOLM passed?");
    EXPECT_EQ(intro.shootTarget, 13);
    EXPECT_EQ(intro.surviveSeconds, 8);

    world.startNextLevel();
    resetClocks();
    stepAt(29.6);
    EXPECT_EQ(world.m_LevelNumber, 4);
    const GameState won = stepAt(29.7);
    EXPECT_TRUE(won.gameWon);
    EXPECT_FALSE(won.levelComplete);
    EXPECT_TRUE(won.alive);
    // The last mission stays met: every step starts a level past the last and puts the ship back.
    world.m_Ship.setPosition(glm::vec3(50.0f));
    EXPECT_TRUE(stepAt(29.8).gameWon);
    EXPECT_EQ(world.m_LevelNumber, 6);
    EXPECT_EQ(world.m_CurrentLevel->m_Name, "Now you're boasting!");
    EXPECT_EQ(world.m_Ship.getPosition(), kStart);
}

// A 1280x720 screenshot is read in its frame and written while the game goes
// on: the next step covers the frame, not the time the picture takes to be
// encoded and written, so the life and the rocks are where one frame puts
// them. The console still names the file. Every shot is whole once the
// writer says it is done, and when the game ends right after F12.
TEST_F(WorldUpdateTest, ScreenshotsCostTheGameNoMoreThanItsFrameAndAreAllWrittenWholeBeforeItEnds)
{
    World& world = makeWorld("LevelsEnabled=0\n");
    constexpr int kWidth = 1280, kHeight = 720;
    GLFWwindow* window = OrbivaneTest::ensureGLContext();
    glfwSetWindowSize(window, kWidth, kHeight);
    glfwSwapBuffers(window); // the back buffer takes the new size
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Pictures of the cleared window, complete and readable.
    const auto wholeShots = [this] {
        int whole = 0;
        for (const auto& file : std::filesystem::directory_iterator(m_Dir.path() / "screenshots")) {
            int width = 0, height = 0, channels = 0;
            unsigned char* pixels = stbi_load(file.path().c_str(), &width, &height, &channels, 3);
            whole += pixels != nullptr && width == kWidth && height == kHeight && pixels[0] == 51 && pixels[2] == 153;
            stbi_image_free(pixels);
        }
        return whole;
    };
    const float lifeBefore = stepAt(1.0).lifeLeft;
    const std::shared_ptr<Asteroid> rock = world.m_Asteroids.front();
    const glm::vec3 rockBefore = rock->getPosition();
    const float speed = glm::length(rock->getVelocity());
    auto shots = std::make_unique<Orbivane::Helpers::ScreenshotWriter>();
    float lifeAfter = 0.0f;
    double halfTheShots = 0.0;
    int wholeWhenFinished = 0;
    const auto started = std::chrono::steady_clock::now();
    const std::string console = OrbivaneTest::consoleOf([&] {
        // F12 twice in a row: the second shot waits for the first.
        shots->take(kWidth, kHeight);
        shots->take(kWidth, kHeight);
        lifeAfter = world.update().lifeLeft;
        shots->finish();
        halfTheShots = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() / 2;
        wholeWhenFinished = wholeShots();
        // F12 and quitting at once.
        shots->take(kWidth, kHeight);
        shots.reset();
    });
    glfwSetWindowSize(window, 64, 64);
    EXPECT_LT((lifeBefore - lifeAfter) * 30.0, halfTheShots);
    EXPECT_LT(glm::distance(rock->getPosition(), rockBefore), speed * static_cast<float>(halfTheShots));
    EXPECT_EQ(wholeWhenFinished, 2);
    EXPECT_EQ(wholeShots(), 3);
    EXPECT_EQ(console.rfind("Screenshot saved: screenshots/orbivane_", 0), 0u) << console;
}
