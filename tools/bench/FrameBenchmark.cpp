#include "Controls.h"
#include "helpers/IniSettings.h"
#include "rendering/Renderer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Orbivane::Rendering::Renderer;
using Orbivane::Worlds::World;

struct Pose {
    const char* name;
    glm::vec3 shipPosition;
    float yaw;
};

// Where a player spends the game: starting out, flying inside the rings at
// the black hole, and looking away into the sky with little in view.
const Pose Poses[] = {
    {"start", glm::vec3(3.0f, 18.0f, 0.0f), 0.0f},
    {"rings", glm::vec3(20.0f, 20.0f, -10.0f), 0.0f},
    {"sky", glm::vec3(3.0f, 18.0f, 0.0f), glm::pi<float>()},
};

// The world and renderer of a default game, rebuilt for every window size
// on the one shared context, with the suns on their rings.
struct Scene {
    Scene(int width, int height)
    {
        GLFWwindow* window = OrbivaneTest::ensureGLContext();
        glfwSetWindowSize(window, width, height);
        // The game's first frame draws with its window's viewport.
        glViewport(0, 0, width, height);
        m_Dir.linkGameAssets();
        Orbivane::Helpers::IniSettings::reload();
        std::srand(2015);
        std::ostringstream sink;
        std::streambuf* console = std::cout.rdbuf(sink.rdbuf());
        m_World = std::make_shared<World>(width, height);
        const auto w = static_cast<unsigned>(width);
        const auto h = static_cast<unsigned>(height);
        m_Renderer = std::make_unique<Renderer>(w, h, m_World,
                                                std::make_shared<Orbivane::Controls>(w, h, &m_World->m_Ship, m_World));
        std::cout.rdbuf(console);
        const float angleStep = 2.0f * glm::pi<float>() / static_cast<float>(m_World->m_InnerLights.size());
        m_World->moveLights(angleStep, 0.0f);
    }

    void setPose(const Pose& pose)
    {
        m_World->m_Ship.setPosition(pose.shipPosition);
        m_World->m_Ship.m_Orientation = glm::angleAxis(pose.yaw, glm::vec3(0.0f, 1.0f, 0.0f));
        m_World->m_Ship.updateModelMatrix();
    }

    OrbivaneTest::TempWorkDir m_Dir;
    std::shared_ptr<World> m_World;
    std::unique_ptr<Renderer> m_Renderer;
};

// With ORBIVANE_FRAME_IMAGES set to a folder, each frame benchmark leaves its
// last image there as a PPM, so that a change meant only to make a pass
// faster can be checked to leave the picture the same.
void saveOutputImage(const Renderer& renderer, const std::string& name)
{
    const char* folder = std::getenv("ORBIVANE_FRAME_IMAGES");
    if (folder == nullptr) {
        return;
    }
    const auto width = static_cast<int>(renderer.m_Width);
    const auto height = static_cast<int>(renderer.m_Height);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, renderer.m_OutputFBO);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const std::string fileName = std::string(folder) + "/" + name + ".ppm";
    if (std::FILE* file = std::fopen(fileName.c_str(), "wb")) {
        std::fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (int row = height - 1; row >= 0; --row) {
            std::fwrite(pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 3, 1,
                        static_cast<std::size_t>(width) * 3, file);
        }
        std::fclose(file);
    }
}

double finishedMilliseconds(const std::function<void()>& work)
{
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    work();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// One full frame, pass by pass; each counter is the pass's average wall time
// in milliseconds, with the GPU drained before and after it.
void frame(benchmark::State& state, int width, int height, Pose pose)
{
    Scene scene(width, height);
    scene.setPose(pose);
    Renderer& renderer = *scene.m_Renderer;
    Orbivane::Worlds::GameState hud;
    hud.lifeLeft = 0.5f;
    renderer.m_GUIPass->m_ShowHelp = true;
    renderer.m_GUIPass->m_ShowScore = true;
    const std::vector<std::pair<const char*, std::function<void()>>> passes = {
        {"prepare", [&] { renderer.prepareFrame(); }},
        {"geometry", [&] { renderer.m_GeometryPass->render(renderer.m_ViewMatrix, renderer.m_ProjectionMatrix); }},
        {"lighting", [&] { renderer.m_LightingPass->render(renderer.m_CameraPosition); }},
        {"ambient", [&] { renderer.m_AmbientPass->render(); }},
        {"bright", [&] {
             renderer.m_BrightPass->blur();
             renderer.m_BrightPass->blend();
         }},
        {"flare", [&] { renderer.m_LenseFlarePass->render(); }},
        {"particles", [&] { renderer.renderParticles(0.016f); }},
        {"gui", [&] { renderer.m_GUIPass->render(hud); }},
        {"present", [&] { renderer.present(); }},
    };
    std::vector<double> totals(passes.size(), 0.0);
    for (auto _ : state) {
        for (std::size_t i = 0; i < passes.size(); ++i) {
            totals[i] += finishedMilliseconds(passes[i].second);
        }
    }
    const double frameMilliseconds = std::accumulate(totals.begin(), totals.end(), 0.0) / static_cast<double>(state.iterations());
    state.counters["fps"] = 1000.0 / frameMilliseconds;
    saveOutputImage(renderer, std::to_string(width) + "x" + std::to_string(height) + "_" + pose.name);
    const auto iterations = static_cast<double>(state.iterations());
    for (std::size_t i = 0; i < passes.size(); ++i) {
        state.counters[passes[i].first] = totals[i] / iterations;
    }
}

// The least any frame costs at this size: clearing the G-buffer and showing
// the output image.
void floorFrame(benchmark::State& state, int width, int height)
{
    Scene scene(width, height);
    Renderer& renderer = *scene.m_Renderer;
    for (auto _ : state) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, renderer.m_GBuffer.m_FBO);
        glDrawBuffers(static_cast<GLsizei>(renderer.m_GBuffer.m_DrawBuffers.size()),
                      renderer.m_GBuffer.m_DrawBuffers.data());
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.present();
        glFinish();
    }
}

const int Sizes[][2] = {{640, 320}, {1280, 720}};

int registerFrameBenchmarks()
{
    for (const auto& size : Sizes) {
        const std::string suffix = std::to_string(size[0]) + "x" + std::to_string(size[1]);
        benchmark::RegisterBenchmark(("floor/" + suffix).c_str(), floorFrame, size[0], size[1])
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        for (const Pose& pose : Poses) {
            benchmark::RegisterBenchmark(("frame/" + suffix + "/" + pose.name).c_str(), frame, size[0], size[1], pose)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    return 0;
}

const int Registered = registerFrameBenchmarks();

}
