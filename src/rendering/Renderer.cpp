#include "rendering/Renderer.h"

#include "Controls.h"
#include "SceneScaleController.h"
#include "WindowLimits.h"
#include "helpers/ExceptionWithMsg.h"
#include "helpers/IniSettings.h"
#include "rendering/TargetTexture.h"
#include "worlds/World.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>

namespace Orbivane::Rendering {

using Helpers::IniSettings;

namespace {

// The wing-tip guns' muzzles in the ship's own frame.
const glm::vec3 kMuzzles[] = {{1.7f, -0.3f, 0.8f}, {-1.7f, -0.3f, 0.8f}};
constexpr float kBeamSeconds = 0.15f;
constexpr float kBeamHalfWidth = 0.12f;
const glm::vec4 kBeamColour(4.0f, 0.5f, 0.3f, 1.0f);
// Far enough ahead that the line of fire and the ship's heading meet there on screen.
constexpr float kAimDistance = 100.0f;

// A thin quad from `from` to `to`, turned to face the eye.
void addBeam(std::vector<glm::vec3>& corners, const glm::vec3& from, const glm::vec3& to, const glm::vec3& eye)
{
    const glm::vec3 across = glm::cross(to - from, eye - from);
    if (glm::dot(across, across) == 0.0f) {
        return;
    }
    const glm::vec3 side = glm::normalize(across) * kBeamHalfWidth;
    corners.insert(corners.end(), {from - side, to - side, to + side, from - side, to + side, from + side});
}

// The glow chain's last step is a twelfth of the scene each way: a scene
// this small still has a pixel there wherever the window itself does.
constexpr unsigned int kSmallestSceneSide = 12;

unsigned int sceneSide(unsigned int windowSide, float scale)
{
    const auto scaled = static_cast<unsigned int>(std::lround(static_cast<double>(windowSide) * scale));
    return std::clamp(scaled, std::min(windowSide, kSmallestSceneSide), windowSide);
}

void configureBurst(ParticleSystem& burst)
{
    burst.m_GenerationInterval = std::numeric_limits<float>::max();
    burst.m_TimeSinceGeneration = 0.0f;
    burst.m_NumberToGenerate = 63;
    // About as wide as a rock within half a second, white-hot where the sparks crowd.
    burst.m_GenerationMinimumVelocity = glm::vec3(-14.0f);
    burst.m_GenerationVelocityRange = glm::vec3(28.0f);
    burst.m_GenerationColor = glm::vec3(4.0f, 2.6f, 1.2f);
    burst.m_GenerationSize = 1.2f;
    burst.m_GenerationMinimumLifeTime = 0.4f;
    burst.m_GenerationLifeTimeRange = 0.5f;
}

}

Renderer::Renderer(unsigned int width, unsigned int height, std::shared_ptr<Worlds::World> world,
                   const std::shared_ptr<Controls>& controls)
    : m_Width(width), m_Height(height), m_SceneWidth(width), m_SceneHeight(height), m_World(std::move(world)),
      m_Camera(width, height), m_GBuffer(width, height), m_LastBurstTime(m_World->m_LastHit.time)
{
    m_Camera.m_Target = &m_World->m_Ship;
    m_DumpGBuffer = IniSettings::getFlag("DumpGBuffer", false);
    createOutputFramebuffer();
    m_MonitorPasses = IniSettings::getFlag("MonitorPasses", false);

    createScenePasses();
    m_AmbientPass = std::make_shared<AmbientPass>(&m_GBuffer);
    m_BrightPass = std::make_shared<BrightPass>(&m_GBuffer, m_OutputFBO, m_SceneWidth, m_SceneHeight);
    // The overlay goes straight into the window, over the stretched scene,
    // so that its text stays sharp at any scene scale.
    m_GUIPass = std::make_shared<GUIPass>(0, m_World);
    controls->setGuiPass(m_GUIPass);

    if (m_MonitorPasses) {
        for (GLuint& query : m_PassQueries) {
            glGenQueries(1, &query);
        }
    }
    m_ParticleSystem.resetGenerationParameters();
    configureBurst(m_Burst);
}

Renderer::~Renderer()
{
    glDeleteFramebuffers(1, &m_OutputFBO);
    glDeleteTextures(1, &m_OutputTexture);
    glDeleteTextures(1, &m_OutputDepthTexture);
    glDeleteQueries(6, m_PassQueries);
}

void Renderer::createOutputFramebuffer()
{
    glGenFramebuffers(1, &m_OutputFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, m_OutputFBO);

    glGenTextures(1, &m_OutputTexture);
    glGenTextures(1, &m_OutputDepthTexture);
    allocateOutputTextures();
    glBindTexture(GL_TEXTURE_2D, m_OutputTexture);
    setTargetSampling(GL_NEAREST);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_OutputTexture, 0);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_OutputDepthTexture, 0);

    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// The passes and the overlay know the output framebuffer by name, so a new
// size keeps the names and gives the two textures new storage.
void Renderer::allocateOutputTextures()
{
    const auto width = static_cast<GLsizei>(m_SceneWidth);
    const auto height = static_cast<GLsizei>(m_SceneHeight);
    glBindTexture(GL_TEXTURE_2D, m_OutputTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGB, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, m_OutputDepthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, width, height, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
}

bool Renderer::resize(unsigned int width, unsigned int height)
{
    const auto largest = static_cast<unsigned int>(largestDrawableSide());
    if (width > largest || height > largest) {
        std::cout << "Window size " << width << "x" << height << " is too large for the OpenGL driver (at most "
                  << largest << " pixels a side); the picture stays " << m_Width << "x" << m_Height << "\n";
        return false;
    }
    return rebuild(width, height, m_SceneScale);
}

bool Renderer::setSceneScale(float scale)
{
    if (keepsFullResolution()) {
        return false;
    }
    return rebuild(m_Width, m_Height, std::clamp(scale, SceneScaleController::kLowestScale, 1.0f));
}

int Renderer::scenePercent() const
{
    if (drawsAtFullResolution()) {
        return 100;
    }
    return std::min(99, static_cast<int>(std::lround(100.0 * m_SceneWidth / m_Width)));
}

bool Renderer::rebuild(unsigned int width, unsigned int height, float scale)
{
    const unsigned int sceneWidth = sceneSide(width, scale);
    const unsigned int sceneHeight = sceneSide(height, scale);
    if (sceneWidth != m_SceneWidth || sceneHeight != m_SceneHeight) {
        // Everything that can fail is made first, so that a failure leaves the
        // renderer as it was.
        try {
            GBuffer gBuffer(sceneWidth, sceneHeight);
            auto brightPass = std::make_shared<BrightPass>(&m_GBuffer, m_OutputFBO, sceneWidth, sceneHeight);
            m_GBuffer = std::move(gBuffer);
            m_BrightPass = std::move(brightPass);
        } catch (const Helpers::ExceptionWithMsg& error) {
            // A minimised window has no size to report about.
            if (width > 0 && height > 0) {
                std::cout << "Window size " << width << "x" << height << " is too small to draw; the picture stays "
                          << m_Width << "x" << m_Height << " (" << error.m_Message << ")\n";
            }
            return false;
        }
        m_SceneWidth = sceneWidth;
        m_SceneHeight = sceneHeight;
        allocateOutputTextures();
        createScenePasses();
    }
    m_SceneScale = scale;
    if (width != m_Width || height != m_Height) {
        m_Width = width;
        m_Height = height;
        // The message screens draw with the viewport the last frame left,
        // which was the old size.
        glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        m_Camera.resize(width, height);
        m_GUIPass->layOut(static_cast<int>(width), static_cast<int>(height));
        m_World->m_Width = static_cast<int>(width);
        m_World->m_Height = static_cast<int>(height);
    }
    return true;
}

// Shaders and textures come from their caches: these rebuild in no time.
void Renderer::createScenePasses()
{
    m_GeometryPass =
        std::make_shared<GeometryPass>(m_SceneWidth, m_SceneHeight, &m_GBuffer, m_World.get(), m_DumpGBuffer);
    m_LightingPass = std::make_shared<LightingPass>(m_SceneWidth, m_SceneHeight, m_OutputFBO, &m_GBuffer, m_World);
    m_LenseFlarePass =
        std::make_shared<LenseFlarePass>(&m_GBuffer, m_OutputFBO, m_SceneWidth, m_SceneHeight, m_World.get());
}

void Renderer::render(const Worlds::GameState& state)
{
    if (renderReplacementScreen(state)) {
        return;
    }
    m_CurrentTime = glfwGetTime();
    const auto dt = static_cast<float>(m_CurrentTime - m_LastTime);
    m_LastTime = m_CurrentTime;
    prepareFrame();
    m_World->m_Ship.m_Visible = state.shipShown();

    timed(0, [this] { m_GeometryPass->render(m_ViewMatrix, m_ProjectionMatrix); });
    timed(1, [this] { m_LightingPass->render(m_CameraPosition); });
    timed(2, [this] { m_AmbientPass->render(); });
    timed(3, [this] {
        m_BrightPass->blur();
        m_BrightPass->blend();
    });
    timed(4, [this] { m_LenseFlarePass->render(); });
    renderParticles(dt);
    renderShot(dt);
    present();
    renderOverlay();
    if (m_MonitorPasses) {
        writePassTimes();
    }
}

bool Renderer::renderReplacementScreen(const Worlds::GameState& state)
{
    m_ShownScreen = nullptr;
    m_ShownState = state;
    if (state.levelIntro) {
        m_GUIPass->renderLevelIntro(state);
        m_ShownScreen = &m_GUIPass->m_LevelIntroText;
        return true;
    }
    if (state.levelComplete) {
        m_ShownScreen = &m_GUIPass->m_WonText;
        m_ShownScreen->draw();
        return true;
    }
    if (state.gameWon) {
        m_ShownScreen = &m_GUIPass->m_GameEndText;
    } else if (!state.alive) {
        m_ShownScreen = &m_GUIPass->m_LostText;
    } else {
        return false;
    }
    m_GUIPass->renderEndScreen(*m_ShownScreen, state);
    return true;
}

void Renderer::showAgain()
{
    if (m_ShownScreen != nullptr) {
        renderReplacementScreen(m_ShownState);
    } else {
        present();
        renderOverlay();
    }
}

void Renderer::renderOverlay()
{
    timed(5, [this] { m_GUIPass->render(m_ShownState); });
    renderPointers();
}

void Renderer::prepareFrame()
{
    m_Camera.update();
    m_ViewMatrix = m_Camera.getViewMatrix();
    m_ProjectionMatrix = m_Camera.getProjectionMatrix();
    m_CameraPosition = m_Camera.m_Eye;
    m_Frustum.update(m_Camera.getFrustumInfo());
    m_World->prepareFrame(m_ProjectionMatrix * m_ViewMatrix, m_Frustum);
}

void Renderer::renderParticles(float dt)
{
    m_ParticleSystem.m_GenerationPosition = m_World->m_Ship.getPosition() + 3.5f * m_Camera.m_Up;
    m_ParticleSystem.m_GenerationMinimumVelocity = -m_World->m_Ship.m_WorldDirection;
    m_ParticleSystem.update(dt);
    m_ParticleSystem.render(m_ProjectionMatrix * m_ViewMatrix, m_Camera.m_Right, m_Camera.m_Up);
}

void Renderer::renderShot(float dt)
{
    const Worlds::LaserShot& hit = m_World->m_LastHit;
    // A new game forgets its last hit: that is no hit to burst at.
    if (hit.time != m_LastBurstTime && std::isfinite(hit.time)) {
        m_Burst.m_GenerationPosition = hit.end;
        m_Burst.emitAtNextUpdate();
    }
    m_LastBurstTime = hit.time;
    m_Burst.update(dt);
    m_Burst.render(m_ProjectionMatrix * m_ViewMatrix, m_Camera.m_Right, m_Camera.m_Up);

    const Worlds::LaserShot& shot = m_World->m_LastShot;
    const auto age = static_cast<float>(m_CurrentTime - shot.time);
    if (!(age >= 0.0f && age < kBeamSeconds)) {
        return;
    }
    std::vector<glm::vec3> corners;
    for (const glm::vec3& muzzle : kMuzzles) {
        addBeam(corners, glm::vec3(m_World->m_Ship.m_ModelMatrix * glm::vec4(muzzle, 1.0f)), shot.end,
                m_CameraPosition);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    m_BeamShapes.draw(corners, m_ProjectionMatrix * m_ViewMatrix, kBeamColour * (1.0f - age / kBeamSeconds));
    glDisable(GL_BLEND);
}

void Renderer::renderPointers()
{
    Entities::Ship& ship = m_World->m_Ship;
    const glm::vec4 aim = m_ProjectionMatrix * m_ViewMatrix *
                          glm::vec4(ship.getPosition() + kAimDistance * glm::normalize(ship.m_WorldDirection), 1.0f);
    if (aim.w > 0.0f) {
        m_GUIPass->renderReticle(glm::vec2(aim) / aim.w);
    }
    // Off screen: no part of it, its disk included, can reach the picture.
    const Entities::BlackHole& blackHole = m_World->m_BlackHole;
    if (blackHole.m_Model->mayReachScreen(blackHole.m_ModelViewProjectionMatrix)) {
        return;
    }
    // Window axes are the camera's: its x to the right, its y up.
    const glm::vec2 direction(m_ViewMatrix * glm::vec4(blackHole.getPosition(), 1.0f));
    m_GUIPass->renderArrow(glm::dot(direction, direction) > 0.0f ? direction : glm::vec2(0.0f, -1.0f));
}

void Renderer::present() const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_OutputFBO);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const auto width = static_cast<GLint>(m_Width);
    const auto height = static_cast<GLint>(m_Height);
    glBlitFramebuffer(0, 0, static_cast<GLint>(m_SceneWidth), static_cast<GLint>(m_SceneHeight), 0, 0, width, height,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glViewport(0, 0, width, height);
}

template <typename Pass>
void Renderer::timed(int query, Pass pass)
{
    if (!m_MonitorPasses) {
        pass();
        return;
    }
    glBeginQuery(GL_TIME_ELAPSED, m_PassQueries[query]);
    pass();
    glEndQuery(GL_TIME_ELAPSED);
}

void Renderer::writePassTimes() const
{
    std::ofstream file("out//passes_time_elapsed.txt", std::ios::out | std::ios::app);
    if (!file) {
        return;
    }
    for (int i = 0; i < 6; ++i) {
        GLint nanoseconds = 0;
        glGetQueryObjectiv(m_PassQueries[i], GL_QUERY_RESULT, &nanoseconds);
        file << nanoseconds << (i < 5 ? ";" : "\n");
    }
}

}
