#include "Controls.h"
#include "FramePicture.h"
#ifndef ORBIVANE_FRAME_REFERENCE
#include "SceneScaleController.h"
#endif
#include "helpers/IniSettings.h"
#include "rendering/Renderer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name) static_cast<void>(name)
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <numeric>
#include <set>
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

// The pictures are drawn after this many frames of a fresh scene, whatever
// the timing runs afterwards: the exhaust changes from frame to frame.
constexpr int PictureFrames = 3;
constexpr float FrameSeconds = 0.016f;

// The scene at full size, at half the window's size, or at the scale that
// the automatic mode settles at with the default target of 30 frames a second.
enum class SceneScale { Full, Half, Automatic };
constexpr int TargetFrameRate = 30;
// The automatic scale is given this long to settle; it needs five seconds.
constexpr double SettlingSeconds = 8.0;

const char* scaleSuffix(SceneScale scale)
{
    return scale == SceneScale::Full ? "" : scale == SceneScale::Half ? "/50" : "/auto";
}

// The scene benchmarks run in a temporary folder, so folders given relative
// to where the benchmark started are resolved before that.
std::string folderFromEnvironment(const char* variable, const std::string& fallback)
{
    const char* folder = std::getenv(variable);
    return folder == nullptr ? fallback : std::filesystem::absolute(folder).string();
}

// Where the pictures are saved, if anywhere, and where the references are
// (made by scripts/make-frame-references.sh).
const std::string PictureFolder = folderFromEnvironment("ORBIVANE_FRAME_IMAGES", "");
const std::string ReferenceFolder =
    folderFromEnvironment("ORBIVANE_FRAME_REFERENCES", std::string(ORBIVANE_BINARY_DIR) + "/frame-references");

// The world and renderer of a default game, rebuilt for every window size
// on the one shared context, with the suns on their rings.
struct Scene {
    Scene(int width, int height, const Pose& pose, SceneScale scale = SceneScale::Full)
    {
        GLFWwindow* window = OrbivaneTest::ensureGLContext();
        glfwSetWindowSize(window, width, height);
        // The window's back buffer takes the new size at a swap; the frame is
        // shown in it at that size, as in the game.
        glfwSwapBuffers(window);
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

        m_World->m_Ship.setPosition(pose.shipPosition);
        m_World->m_Ship.m_Orientation = glm::angleAxis(pose.yaw, glm::vec3(0.0f, 1.0f, 0.0f));
        m_World->m_Ship.updateModelMatrix();
        m_Hud.lifeLeft = 0.5f;
#ifndef ORBIVANE_FRAME_REFERENCE
        if (scale == SceneScale::Half) {
            m_Renderer->setSceneScale(0.5f);
        }
#else
        static_cast<void>(scale);
#endif
    }

    // The timed frames carry the most text a frame draws: the help and the
    // score table. The pictures leave them out and keep the life bar, because
    // that text is laid out anew to fit the window, on purpose, since the
    // references were drawn; what a faster frame must not change is the rest.
    void showOverlayText()
    {
        m_Renderer->m_GUIPass->m_ShowHelp = true;
        m_Renderer->m_GUIPass->m_ShowScore = true;
    }

    // The full frame as the renderer draws it, pass by pass, with a fixed
    // frame time; it ends with the picture in the window.
    std::vector<std::pair<const char*, std::function<void()>>> passes()
    {
        Renderer& renderer = *m_Renderer;
        std::pair<const char*, std::function<void()>> shown{"present", [&renderer] { renderer.present(); }};
        std::pair<const char*, std::function<void()>> overlay{"gui", [this] { m_Renderer->m_GUIPass->render(m_Hud); }};
#ifdef ORBIVANE_FRAME_REFERENCE
        // The revision the references come from drew the overlay into the
        // scene's image before it showed that.
        std::swap(shown, overlay);
#endif
        return {
            {"prepare", [&renderer] { renderer.prepareFrame(); }},
            {"geometry",
             [&renderer] { renderer.m_GeometryPass->render(renderer.m_ViewMatrix, renderer.m_ProjectionMatrix); }},
            {"lighting", [&renderer] { renderer.m_LightingPass->render(renderer.m_CameraPosition); }},
            {"ambient", [&renderer] { renderer.m_AmbientPass->render(); }},
            {"bright",
             [&renderer] {
                 renderer.m_BrightPass->blur();
                 renderer.m_BrightPass->blend();
             }},
            {"flare", [&renderer] { renderer.m_LenseFlarePass->render(); }},
            {"particles", [&renderer] { renderer.renderParticles(FrameSeconds); }},
            shown,
            overlay,
        };
    }

    void drawPictureFrames()
    {
        for (int frame = 0; frame < PictureFrames; ++frame) {
            for (const auto& pass : passes()) {
                pass.second();
            }
        }
    }

    OrbivaneTest::TempWorkDir m_Dir;
    std::shared_ptr<World> m_World;
    std::unique_ptr<Renderer> m_Renderer;
    Orbivane::Worlds::GameState m_Hud;
};

std::string pictureName(int width, int height, const Pose& pose)
{
    return std::to_string(width) + "x" + std::to_string(height) + "_" + pose.name;
}

// Compares the scene's picture with the reference the game drew before any
// speed-up, reports it as counters and, once per pose, on the error stream;
// with ORBIVANE_FRAME_IMAGES set to a folder it also saves the picture there.
void checkPicture(benchmark::State& state, const Scene& scene, const std::string& name)
{
    const Renderer& renderer = *scene.m_Renderer;
    const FramePicture picture(0, static_cast<int>(renderer.m_Width), static_cast<int>(renderer.m_Height));
    if (!PictureFolder.empty()) {
        picture.savePng(PictureFolder + "/" + name + ".png");
    }
    const FramePicture::Difference difference =
        picture.compareWith(ReferenceFolder + "/" + name + ".png");
    state.counters["differing"] = static_cast<double>(difference.differingPixels);
    state.counters["psnr"] = difference.psnr;
    state.counters["same_picture"] = difference.withinRule() ? 1.0 : 0.0;
    static std::set<std::string> reported;
    if (reported.insert(name).second) {
        std::cerr << "picture " << name << ": " << difference.describe() << std::endl;
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

#ifndef ORBIVANE_FRAME_REFERENCE
using Passes = std::vector<std::pair<const char*, std::function<void()>>>;

double frameSeconds(const Passes& passes)
{
    double milliseconds = 0.0;
    for (const auto& pass : passes) {
        milliseconds += finishedMilliseconds(pass.second);
    }
    return milliseconds / 1000.0;
}

// Frames for the automatic scale, as the game's first seconds at this size
// with the default target would draw them, from full size on.
void settle(Renderer& renderer, const Passes& passes)
{
    Orbivane::SceneScaleController controller(TargetFrameRate, 1.0f);
    for (double elapsed = 0.0; elapsed < SettlingSeconds;) {
        const double seconds = frameSeconds(passes);
        elapsed += seconds;
        if (controller.frameDrawn(seconds)) {
            renderer.setSceneScale(controller.scale());
        }
    }
}
#endif

// One full frame, pass by pass; each counter is the pass's average wall time
// in milliseconds, with the GPU drained before and after it. Only pictures
// of the scene at full size are compared with the references.
void frame(benchmark::State& state, int width, int height, Pose pose, SceneScale scale)
{
    Scene scene(width, height, pose, scale);
    scene.drawPictureFrames();
    if (scale == SceneScale::Full) {
        checkPicture(state, scene, pictureName(width, height, pose));
    } else {
        // Every row carries the same counters.
        state.counters["differing"] = 0.0;
        state.counters["psnr"] = 0.0;
        state.counters["same_picture"] = 1.0;
    }
    scene.showOverlayText();
    const auto passes = scene.passes();
#ifndef ORBIVANE_FRAME_REFERENCE
    if (scale == SceneScale::Automatic) {
        settle(*scene.m_Renderer, passes);
    }
    state.counters["scene"] = scene.m_Renderer->scenePercent();
#endif
    std::vector<double> totals(passes.size(), 0.0);
    for (auto _ : state) {
        for (std::size_t i = 0; i < passes.size(); ++i) {
            totals[i] += finishedMilliseconds(passes[i].second);
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["fps"] = 1000.0 * iterations / std::accumulate(totals.begin(), totals.end(), 0.0);
    for (std::size_t i = 0; i < passes.size(); ++i) {
        state.counters[passes[i].first] = totals[i] / iterations;
    }
}

// The frame after the picture frames once more, each pass counted on its own
// by callgrind when it runs under it (scripts/callgrind-passes.sh): the
// instruction counts do not depend on what else the machine is doing.
void callgrindFrame(benchmark::State& state, int width, int height, Pose pose, SceneScale scale)
{
    Scene scene(width, height, pose, scale);
    scene.drawPictureFrames();
    scene.showOverlayText();
    glFinish();
    for (auto _ : state) {
        CALLGRIND_START_INSTRUMENTATION;
        for (const auto& pass : scene.passes()) {
            CALLGRIND_ZERO_STATS;
            pass.second();
            glFinish();
            CALLGRIND_DUMP_STATS_AT(pass.first);
        }
        CALLGRIND_STOP_INSTRUMENTATION;
    }
}

// The least any frame costs at this size: clearing the G-buffer and showing
// the output image.
void floorFrame(benchmark::State& state, int width, int height)
{
    Scene scene(width, height, Poses[0]);
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

const int Sizes[][2] = {{640, 320}, {1280, 720}, {1920, 1080}};

// Frames are named "frame/<size>/<pose>" at full size, with "/50" at half
// and "/auto" at the automatic scale; "callgrind/..." the same way.
int registerFrameBenchmarks()
{
    for (const auto& size : Sizes) {
        const std::string suffix = std::to_string(size[0]) + "x" + std::to_string(size[1]);
        benchmark::RegisterBenchmark(("floor/" + suffix).c_str(), floorFrame, size[0], size[1])
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        for (const Pose& pose : Poses) {
            for (const SceneScale scale : {SceneScale::Full, SceneScale::Half, SceneScale::Automatic}) {
                benchmark::RegisterBenchmark(("frame/" + suffix + "/" + pose.name + scaleSuffix(scale)).c_str(),
                                             frame, size[0], size[1], pose, scale)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
    }
    for (const auto& size : Sizes) {
        const std::string suffix = std::to_string(size[0]) + "x" + std::to_string(size[1]);
        for (const Pose& pose : Poses) {
            for (const SceneScale scale : {SceneScale::Full, SceneScale::Half}) {
                benchmark::RegisterBenchmark(("callgrind/" + suffix + "/" + pose.name + scaleSuffix(scale)).c_str(),
                                             callgrindFrame, size[0], size[1], pose, scale)
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    return 0;
}

const int Registered = registerFrameBenchmarks();

}
