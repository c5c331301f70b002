#include "helpers/IniSettings.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

// Builds a world without its start-up chatter on the console.
std::unique_ptr<Orbivane::Worlds::World> quietWorld()
{
    std::ostringstream sink;
    std::streambuf* console = std::cout.rdbuf(sink.rdbuf());
    auto world = std::make_unique<Orbivane::Worlds::World>(640, 320);
    std::cout.rdbuf(console);
    return world;
}

// One simulation step of a world with the given number of asteroids: the
// sixteen of the test layout plus random ones, 16 ms of game time per step.
void worldUpdate(benchmark::State& state)
{
    OrbivaneTest::ensureGLContext();
    const OrbivaneTest::TempWorkDir dir;
    dir.linkGameAssets();
    dir.writeFile("Orbivane.ini", "TestAsteroids=1\nLevelsEnabled=0\nInvulnerable=1\n");
    Orbivane::Helpers::IniSettings::reload();
    std::srand(2015);

    const auto world = quietWorld();
    const auto count = static_cast<std::size_t>(state.range(0));
    while (world->m_Asteroids.size() < count) {
        world->m_Asteroids.push_back(world->createRandomAsteroid());
    }
    // Swallowed asteroids are replaced, so the count stays put for the whole run.
    world->m_TestAsteroids = false;

    double now = 0.0;
    world->m_StartTime = world->m_LastRefillTime = world->m_LastFrameTime = world->m_LastHitTime = now;
    for (auto _ : state) {
        now += 0.016;
        glfwSetTime(now);
        benchmark::DoNotOptimize(world->update());
    }
    state.counters["per_asteroid"] = benchmark::Counter(static_cast<double>(count),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
    Orbivane::Helpers::IniSettings::reload();
}

}

BENCHMARK(worldUpdate)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
