#pragma once

#include "Camera.h"
#include "Frustum.h"
#include "rendering/AmbientPass.h"
#include "rendering/BrightPass.h"
#include "rendering/FlatShapes.h"
#include "rendering/GBuffer.h"
#include "rendering/GUIPass.h"
#include "rendering/GeometryPass.h"
#include "rendering/LenseFlarePass.h"
#include "rendering/LightingPass.h"
#include "rendering/ParticleSystem.h"
#include "worlds/GameState.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>

namespace Orbivane {
class Controls;
}

namespace Orbivane::Worlds {
class World;
}

namespace Orbivane::Rendering {

// The deferred renderer: fills the G-buffer, lights it into a floating-point
// output image, adds the effects and the overlay, and shows the result.
class Renderer {
public:
    Renderer(unsigned int width, unsigned int height, std::shared_ptr<Worlds::World> world,
             const std::shared_ptr<Controls>& controls);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void render(const Worlds::GameState& state);
    // The last frame once more without drawing the scene anew: the output
    // image with its overlay, or the message screen that replaced the scene.
    void showAgain();
    // Draws the next frames at a new window size: the camera's aspect, the
    // G-buffer, the output image, the glow chain, the flare and the overlay
    // follow; the world and every switch stay. A size the glow chain or the
    // G-buffer cannot be made for keeps the last good size; returns whether
    // the new size was taken.
    bool resize(unsigned int width, unsigned int height);
    // Draws the scene (every pass from the G-buffer through the particles) at
    // `scale` times the window's size, 0.25 to 1, stretched over the window;
    // the overlay keeps the window's own resolution. With the G-buffer dump or
    // the pass timings on, the scene stays at full size, so that their files
    // keep their sizes; returns whether the scale was taken.
    bool setSceneScale(float scale);
    bool keepsFullResolution() const { return m_DumpGBuffer || m_MonitorPasses; }
    bool drawsAtFullResolution() const { return m_SceneWidth == m_Width && m_SceneHeight == m_Height; }
    // The scene's width in whole percent of the window's; below 100 whenever
    // the scene is drawn smaller than the window.
    int scenePercent() const;
    void createOutputFramebuffer();

    // The window's size in pixels, which the overlay is drawn at.
    unsigned int m_Width;
    unsigned int m_Height;
    float m_SceneScale = 1.0f;
    // The size every pass of the scene draws at.
    unsigned int m_SceneWidth;
    unsigned int m_SceneHeight;
    std::shared_ptr<Worlds::World> m_World;
    Camera m_Camera;
    glm::vec3 m_CameraPosition{0.0f};
    glm::mat4 m_ViewMatrix{1.0f};
    glm::mat4 m_ProjectionMatrix{1.0f};
    GBuffer m_GBuffer;
    bool m_DumpGBuffer = false;
    bool m_MonitorPasses = false;
    std::shared_ptr<GeometryPass> m_GeometryPass;
    std::shared_ptr<LightingPass> m_LightingPass;
    std::shared_ptr<AmbientPass> m_AmbientPass;
    std::shared_ptr<BrightPass> m_BrightPass;
    std::shared_ptr<LenseFlarePass> m_LenseFlarePass;
    std::shared_ptr<GUIPass> m_GUIPass;
    GLuint m_OutputFBO = 0;
    GLuint m_OutputTexture = 0;
    GLuint m_OutputDepthTexture = 0;
    double m_CurrentTime = 0.0;
    double m_LastTime = 0.0;
    ParticleSystem m_ParticleSystem;
    // A burst of sparks where a rock was shot, drawn as the exhaust is.
    ParticleSystem m_Burst{&m_ParticleSystem};
    double m_LastBurstTime;
    FlatShapes m_BeamShapes;
    GLuint m_PassQueries[6] = {};
    Frustum m_Frustum;
    // The message screen of the last frame, if one replaced the scene, and
    // the state it showed.
    Entities::GUI* m_ShownScreen = nullptr;
    Worlds::GameState m_ShownState;

    // Camera, frustum and every entity's matrices and visibility for this frame.
    void prepareFrame();
    // The engine exhaust follows the ship; dt is the time since the last full frame.
    void renderParticles(float dt);
    // The laser's beam for a moment after each shot, from the ship's guns to
    // where it ended, and a burst of sparks where it destroyed a rock.
    void renderShot(float dt);
    // Over the finished picture: the reticle where the laser goes, and an
    // arrow to the black hole while it is off screen.
    void renderPointers();
    void present() const;

private:
    void allocateOutputTextures();
    // The overlay of the last frame's state, in window pixels over the scene.
    void renderOverlay();
    // Takes a new window size, scene scale or both; see resize.
    bool rebuild(unsigned int width, unsigned int height, float scale);
    void createScenePasses();
    // The level introduction and the end-of-game messages show instead of the scene.
    bool renderReplacementScreen(const Worlds::GameState& state);
    template <typename Pass>
    void timed(int query, Pass pass);
    void writePassTimes() const;
};

}
