#include "WorldFixture.h"

#include <cmath>
#include <cstdlib>

namespace {

int countOf(const std::string& text, const std::string& needle)
{
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

class WorldSetupTest : public OrbivaneTest::WorldFixture {};

}

TEST_F(WorldSetupTest, DefaultWorldIsPopulatedAndAnnounced)
{
    auto& world = makeWorld();
    EXPECT_EQ(world.m_Asteroids.size(), 100u);
    for (const auto& asteroid : world.m_Asteroids) {
        const glm::vec3 p = asteroid->getPosition();
        for (const float coordinate : {p.x, p.y, p.z}) {
            EXPECT_GE(coordinate, -200.0f);
            EXPECT_LE(coordinate, 199.0f);
            EXPECT_EQ(coordinate, std::floor(coordinate));
        }
    }
    EXPECT_EQ(world.m_HighScore->m_PlayerName, "Mr. Gorgeous!");

    EXPECT_EQ(countOf(m_Console, "Radius:65.2315\n"), 40);
    const auto highScores = m_Console.find("OLD HIGHSCORES:\n");
    const auto lastRadius = m_Console.rfind("Radius:65.2315\n");
    ASSERT_NE(highScores, std::string::npos);
    EXPECT_LT(lastRadius, highScores);
    EXPECT_EQ(m_Console.substr(m_Console.size() - 16), "LevelsEnabled:1\n");
}

TEST_F(WorldSetupTest, LevelOneIntroIsShowingAfterConstruction)
{
    auto& world = makeWorld();
    EXPECT_EQ(world.m_Levels.size(), 3u);
    EXPECT_EQ(world.m_LevelNumber, 1);
    EXPECT_EQ(world.m_ShipStartPosition, glm::vec3(3.0f, 18.0f, 0.0f));
    const auto& state = world.m_State;
    EXPECT_TRUE(state.alive);
    EXPECT_TRUE(state.levelIntro);
    EXPECT_EQ(state.levelNumber, 1);
    EXPECT_EQ(state.levelName, "Nightmare from Quillstreet!");
    EXPECT_EQ(state.shootTarget, 3);
    EXPECT_EQ(state.surviveSeconds, 0);
    EXPECT_FALSE(state.levelComplete);
    EXPECT_FALSE(state.gameWon);
}

TEST_F(WorldSetupTest, SunRingsStartAtTheBlackHoleInTheirColours)
{
    auto& world = makeWorld();
    ASSERT_EQ(world.m_InnerLights.size(), 20u);
    ASSERT_EQ(world.m_OuterLights.size(), 20u);
    ASSERT_EQ(world.m_Lights.size(), 40u);
    EXPECT_EQ(world.m_InnerLights[0]->m_LightColor, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(world.m_InnerLights[19]->m_LightColor.r, 0.95f, 1e-6f);
    EXPECT_NEAR(world.m_InnerLights[19]->m_LightColor.b, 0.05f, 1e-6f);
    for (const auto& sun : world.m_OuterLights) {
        EXPECT_EQ(sun->m_SurfaceColor, glm::vec3(0.0f, 1.0f, 0.0f));
    }
    for (const auto& sun : world.m_Lights) {
        EXPECT_EQ(sun->getPosition(), glm::vec3(20.0f));
    }
    world.m_InnerLights[3]->setPosition(glm::vec3(1.0f));
    EXPECT_EQ(world.m_Lights[3]->getPosition(), glm::vec3(1.0f));
    EXPECT_EQ(world.m_Lights[20], world.m_OuterLights[0]);
}

TEST_F(WorldSetupTest, TestPlacementIsFixedAndLeavesTheRandomSequenceAlone)
{
    // makeWorld seeds the generator with 2015 just before it builds the world.
    std::srand(2015);
    const int expectedFirstDraw = std::rand();
    auto& world = makeWorld("TestAsteroids=1\n");
    EXPECT_EQ(std::rand(), expectedFirstDraw);

    const std::vector<glm::vec3> expected{
        {-15, 0, 0}, {-6, 0, 0}, {3, 0, 0}, {12, 0, 0}, {21, 0, 0}, {30, 0, 0}, {39, 0, 0}, {48, 0, 0},
        {57, 0, 0}, {66, 0, 0}, {15, -7.5f, 0}, {15, 1.5f, 0}, {15, 10.5f, 0}, {15, 19.5f, 0}, {15, 28.5f, 0},
        {0, 0, 20}};
    ASSERT_EQ(world.m_Asteroids.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const glm::vec3 p = world.m_Asteroids[i]->getPosition();
        EXPECT_NEAR(p.x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(p.y, expected[i].y, 1e-4f) << i;
        EXPECT_NEAR(p.z, expected[i].z, 1e-4f) << i;
        EXPECT_EQ(world.m_Asteroids[i]->getVelocity(), glm::vec3(0.0f));
    }
}

TEST_F(WorldSetupTest, SettingsShapeTheWorld)
{
    // Life time, invulnerability and still asteroids show in the world's steps.
    auto& world = makeWorld("PlayerName=Ann\nLevelsEnabled=0\n");
    EXPECT_EQ(world.m_HighScore->m_PlayerName, "Ann");
    EXPECT_TRUE(world.m_Levels.empty());
    EXPECT_EQ(world.m_LevelNumber, 0);
    EXPECT_FALSE(world.m_State.levelIntro);
    EXPECT_EQ(m_Console.substr(m_Console.size() - 16), "LevelsEnabled:0\n");
}

TEST_F(WorldSetupTest, MalformedSettingStopsConstruction)
{
    m_Dir.useSettings("LiveTimeSec=long\n");
    EXPECT_THROW(OrbivaneTest::consoleOf([] { Orbivane::Worlds::World(640, 320); }), std::invalid_argument);
}
