#include "Camera.h"
#include "Frustum.h"
#include "helpers/ExceptionWithMsg.h"
#include "helpers/IniSettings.h"
#include "rendering/AmbientPass.h"
#include "rendering/BrightPass.h"
#include "rendering/GBuffer.h"
#include "rendering/GeometryPass.h"
#include "rendering/LenseFlarePass.h"
#include "rendering/LightingPass.h"
#include "rendering/ParticleSystem.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <GL/glew.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtx/quaternion.hpp>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

using namespace Orbivane;

// Keeps the start-up chatter of the world and the programs off the console.
class QuietConsole {
public:
    QuietConsole() : m_Console(std::cout.rdbuf(m_Sink.rdbuf())) {}
    ~QuietConsole() { std::cout.rdbuf(m_Console); }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    std::ostringstream m_Sink;
    std::streambuf* m_Console;
};

// The game's shaders and assets, and settings for an endless free flight.
struct GameFolder {
    GameFolder()
    {
        m_Dir.linkGameAssets();
        m_Dir.writeFile("Orbivane.ini", "LevelsEnabled=0\nInvulnerable=1\n");
        Helpers::IniSettings::reload();
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

// A frame of the real world as the renderer draws it: the camera behind the
// ship, the G-buffer filled by the geometry pass and the output lit by the
// lighting and ambient passes, with the effects built on top.
class EffectsScene {
public:
    EffectsScene(unsigned int width, unsigned int height) : m_Width(width), m_Height(height)
    {
        std::srand(2015);
        const QuietConsole quiet;
        m_World = std::make_shared<Worlds::World>(static_cast<int>(width), static_cast<int>(height));
        m_GBuffer = std::make_unique<Rendering::GBuffer>(width, height);
        createOutput();
        m_Geometry = std::make_unique<Rendering::GeometryPass>(width, height, m_GBuffer.get(), m_World.get(), false);
        m_Lighting = std::make_unique<Rendering::LightingPass>(width, height, m_OutputFBO, m_GBuffer.get(), m_World);
        m_Ambient = std::make_unique<Rendering::AmbientPass>(m_GBuffer.get());
        m_Bright = std::make_unique<Rendering::BrightPass>(m_GBuffer.get(), m_OutputFBO, width, height);
        m_Flare = std::make_unique<Rendering::LenseFlarePass>(m_GBuffer.get(), m_OutputFBO, width, height,
                                                              m_World.get());
        m_Particles = std::make_unique<Rendering::ParticleSystem>();

        aimBetweenTwoSuns();
        m_Camera.m_Target = &m_World->m_Ship;
        m_Camera.update();
        Frustum frustum;
        frustum.update(m_Camera.getFrustumInfo());
        m_ViewProjection = m_Camera.getProjectionMatrix() * m_Camera.getViewMatrix();
        m_World->prepareFrame(m_ViewProjection, frustum);
        glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        fillGBuffer();
        m_VisibleSuns = m_Flare->visibleSources().size();
        // A stream of steady length: as many particles die as are born.
        for (int frame = 0; frame < 200; ++frame) {
            particles();
        }
    }

    void fillGBuffer()
    {
        m_Geometry->render(m_Camera.getViewMatrix(), m_Camera.getProjectionMatrix());
        m_Lighting->render(m_Camera.m_Eye);
        m_Ambient->render();
    }

    void particles()
    {
        m_Particles->m_GenerationPosition = m_World->m_Ship.getPosition() + 3.5f * m_Camera.m_Up;
        m_Particles->m_GenerationMinimumVelocity = -m_World->m_Ship.getWorldDirection();
        m_Particles->update(1.0f / 60.0f);
        m_Particles->render(m_ViewProjection, m_Camera.m_Right, m_Camera.m_Up);
    }

    void frame()
    {
        // The renderer leaves the viewport at the window size after every frame.
        glViewport(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height));
        fillGBuffer();
        m_Bright->blur();
        m_Bright->blend();
        m_Flare->render();
        particles();
    }

    GameFolder m_Folder;
    unsigned int m_Width;
    unsigned int m_Height;
    std::shared_ptr<Worlds::World> m_World;
    Camera m_Camera{m_Width, m_Height};
    glm::mat4 m_ViewProjection{1.0f};
    std::unique_ptr<Rendering::GBuffer> m_GBuffer;
    GLuint m_OutputFBO = 0;
    GLuint m_OutputTextures[2] = {};
    std::unique_ptr<Rendering::GeometryPass> m_Geometry;
    std::unique_ptr<Rendering::LightingPass> m_Lighting;
    std::unique_ptr<Rendering::AmbientPass> m_Ambient;
    std::unique_ptr<Rendering::BrightPass> m_Bright;
    std::unique_ptr<Rendering::LenseFlarePass> m_Flare;
    std::unique_ptr<Rendering::ParticleSystem> m_Particles;
    std::size_t m_VisibleSuns = 0;

private:
    // Suns on screen, off the ship: the lens flares have something to draw.
    void aimBetweenTwoSuns()
    {
        // The rings as the first simulation step places them.
        m_World->moveLights(glm::two_pi<float>() / static_cast<float>(m_World->m_LightsPerRing), 0.0f);
        Entities::Ship& ship = m_World->m_Ship;
        const glm::vec3 target = 0.5f * (m_World->m_Lights[0]->m_Position + m_World->m_Lights[1]->m_Position);
        ship.m_Orientation = glm::rotation(glm::vec3(0.0f, 0.0f, 1.0f), glm::normalize(target - ship.m_Position));
        ship.updateModelMatrix();
    }

    void createOutput()
    {
        const auto w = static_cast<GLsizei>(m_Width);
        const auto h = static_cast<GLsizei>(m_Height);
        glGenTextures(2, m_OutputTextures);
        glBindTexture(GL_TEXTURE_2D, m_OutputTextures[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGB, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, m_OutputTextures[1]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, w, h, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &m_OutputFBO);
        glBindFramebuffer(GL_FRAMEBUFFER, m_OutputFBO);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_OutputTextures[0], 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_OutputTextures[1], 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
};

// Wall time of one call, from an idle GPU to a finished one: llvmpipe does
// the work on the CPU, so this is what the frame pays.
void timeGL(benchmark::State& state, const std::function<void(EffectsScene&)>& work)
{
    OrbivaneTest::ensureGLContext();
    std::unique_ptr<EffectsScene> built;
    try {
        built = std::make_unique<EffectsScene>(static_cast<unsigned int>(state.range(0)),
                                               static_cast<unsigned int>(state.range(1)));
    } catch (const Helpers::ExceptionWithMsg& error) {
        state.SkipWithError(error.m_Message.c_str());
        return;
    }
    EffectsScene& scene = *built;
    for (auto _ : state) {
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        work(scene);
        glFinish();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
    }
    state.counters["visible_suns"] = static_cast<double>(scene.m_VisibleSuns);
    Helpers::IniSettings::reload();
}

void brightPass(benchmark::State& state)
{
    timeGL(state, [](EffectsScene& scene) {
        scene.m_Bright->blur();
        scene.m_Bright->blend();
    });
}

void lenseFlarePass(benchmark::State& state)
{
    timeGL(state, [](EffectsScene& scene) { scene.m_Flare->render(); });
}

void particleSystem(benchmark::State& state)
{
    timeGL(state, [](EffectsScene& scene) { scene.particles(); });
}

// Geometry, lighting and ambient passes, then the three effects: the frame
// without the overlay and the copy to the window.
void sceneWithEffects(benchmark::State& state)
{
    timeGL(state, [](EffectsScene& scene) { scene.frame(); });
}

void windowSizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Args({640, 320})->Args({1280, 720})->UseManualTime()->Unit(benchmark::kMillisecond);
}

}

BENCHMARK(brightPass)->Apply(windowSizes);
BENCHMARK(lenseFlarePass)->Apply(windowSizes);
BENCHMARK(particleSystem)->Apply(windowSizes);
BENCHMARK(sceneWithEffects)->Apply(windowSizes);
