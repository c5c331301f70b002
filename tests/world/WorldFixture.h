#pragma once

#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace OrbivaneTest {

// A world built from the real game assets in a temporary game folder, with
// every clock of the world set to 0 so that steps can be driven by setting
// the GLFW clock.
class WorldFixture : public ::testing::Test {
protected:
    void SetUp() override { ensureGLContext(); }

    Orbivane::Worlds::World& makeWorld(const std::string& settings = "")
    {
        m_Dir.useSettings(settings);
        std::srand(2015);
        m_Console = consoleOf([this] { m_World = std::make_unique<Orbivane::Worlds::World>(640, 320); });
        resetClocks();
        return *m_World;
    }

    void resetClocks()
    {
        Orbivane::Worlds::World& world = *m_World;
        world.m_StartTime = world.m_LastRefillTime = world.m_LastFrameTime = world.m_LastHitTime = 0.0;
        world.m_LevelStartTime = world.m_LevelTimerStart = 0.0;
        // Free play starts with the world; a level's play after its introduction.
        world.m_GraceEndTime = world.m_StartGrace;
        glfwSetTime(0.0);
    }

    Orbivane::Worlds::GameState stepAt(double seconds)
    {
        glfwSetTime(seconds);
        return m_World->update();
    }

    TempWorkDir m_Dir{""};
    std::unique_ptr<Orbivane::Worlds::World> m_World;
    std::string m_Console;
};

}
