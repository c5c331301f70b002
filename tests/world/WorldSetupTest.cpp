#include "WorldFixture.h"

#include "helpers/PlaySound.h"

#include <cmath>
#include <cstdlib>

namespace {

class WorldSetupTest : public OrbivaneTest::WorldFixture {};

}

TEST_F(WorldSetupTest, DefaultWorldIsPopulatedAnnouncedAndShowsLevelOnesIntro)
{
    auto& world = makeWorld();
    EXPECT_EQ(world.m_Asteroids.size(), 100u);
    glm::vec3 low(0.0f), high(0.0f);
    for (const auto& asteroid : world.m_Asteroids) {
        const glm::vec3 p = asteroid->getPosition();
        for (const float coordinate : {p.x, p.y, p.z}) {
            EXPECT_TRUE(coordinate >= -200.0f && coordinate <= 199.0f && coordinate == std::floor(coordinate));
        }
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    EXPECT_TRUE(glm::all(glm::greaterThan(high - low, glm::vec3(300.0f)))) << "the rocks fill only part of the field";

    // Both sounds are loaded as their files hold them: nothing muffles the shot.
    auto& player = Orbivane::Helpers::PlaySound::instance();
    player.setFIREnabled(false);
    for (const std::string sound : {"res\\sounds\\laser_shooting_sfx.wav", "res\\sounds\\engine.wav"}) {
        player.play(".\\" + sound, Orbivane::Helpers::PlayMode::Stop);
        EXPECT_EQ(player.sounds().at(sound).pcm, player.sounds().at(".\\" + sound).pcm) << sound;
    }
    EXPECT_EQ(world.m_HighScore->m_PlayerName, "Mr. Gorgeous!");
    // Every sun announces its light radius before the old high scores are listed.
    const auto highScores = m_Console.find("OLD HIGHSCORES:\n");
    ASSERT_NE(highScores, std::string::npos);
    int radii = 0;
    for (auto at = m_Console.find("Radius:65.2315\n"); at < highScores; at = m_Console.find("Radius:65.2315\n", at + 1)) {
        ++radii;
    }
    EXPECT_EQ(radii, 40);
    EXPECT_EQ(m_Console.substr(m_Console.size() - 16), "LevelsEnabled:1\n");

    EXPECT_EQ(world.m_ShipStartPosition, glm::vec3(3.0f, 18.0f, 0.0f));
    const auto& state = world.m_State;
    EXPECT_TRUE(state.alive && state.levelIntro && !state.levelComplete && !state.gameWon);
    EXPECT_EQ(state.levelNumber, 1);
    EXPECT_EQ(state.levelName, "Nightmare from Quillstreet!");
    EXPECT_EQ(state.shootTarget, 3);
    EXPECT_EQ(state.surviveSeconds, 0);

    // Two rings of suns start at the black hole in their colours.
    ASSERT_EQ(world.m_InnerLights.size(), 20u);
    ASSERT_EQ(world.m_OuterLights.size(), 20u);
    ASSERT_EQ(world.m_Lights.size(), 40u);
    EXPECT_EQ(world.m_InnerLights[0]->m_LightColor, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(world.m_InnerLights[19]->m_LightColor.r, 0.95f, 1e-6f);
    EXPECT_NEAR(world.m_InnerLights[19]->m_LightColor.b, 0.05f, 1e-6f);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(world.m_Lights[i], i < 20 ? world.m_InnerLights[i] : world.m_OuterLights[i - 20]);
        EXPECT_EQ(world.m_Lights[i]->getPosition(), glm::vec3(20.0f));
        EXPECT_TRUE(i < 20 || world.m_Lights[i]->m_SurfaceColor == glm::vec3(0.0f, 1.0f, 0.0f));
    }
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
        EXPECT_LT(glm::length(world.m_Asteroids[i]->getPosition() - expected[i]), 1e-4f) << i;
        EXPECT_EQ(world.m_Asteroids[i]->getVelocity(), glm::vec3(0.0f));
    }
}

TEST_F(WorldSetupTest, SettingsShapeTheWorldAndAMalformedOneStopsIt)
{
    // Life time, invulnerability and still asteroids show in the world's steps.
    auto& world = makeWorld("PlayerName=Ann\nLevelsEnabled=0\n");
    EXPECT_EQ(world.m_HighScore->m_PlayerName, "Ann");
    EXPECT_TRUE(world.m_Levels.empty());
    EXPECT_EQ(world.m_LevelNumber, 0);
    EXPECT_FALSE(world.m_State.levelIntro);
    EXPECT_EQ(m_Console.substr(m_Console.size() - 16), "LevelsEnabled:0\n");

    m_Dir.useSettings("LiveTimeSec=long\n");
    EXPECT_THROW(OrbivaneTest::consoleOf([] { Orbivane::Worlds::World(640, 320); }), std::invalid_argument);
}
