#include "rendering/GeometryPass.h"

#include "rendering/FramebufferDump.h"
#include "rendering/GBuffer.h"
#include "worlds/World.h"

namespace Orbivane::Rendering {

GeometryPass::GeometryPass(unsigned int width, unsigned int height, GBuffer* gBuffer, Worlds::World* world,
                           bool dumpGBuffer)
    : m_Width(width), m_Height(height), m_World(world), m_GBuffer(gBuffer), m_DumpGBuffer(dumpGBuffer)
{
}

void GeometryPass::render(const glm::mat4& viewMatrix, const glm::mat4& projectionMatrix)
{
    glDisable(GL_BLEND);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_GBuffer->m_FBO);
    // The scene may be drawn smaller than the window, whose size the last
    // frame's overlay left in the viewport; the passes after this one draw
    // with the viewport set here.
    glViewport(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height));
    glDrawBuffers(static_cast<GLsizei>(m_GBuffer->m_DrawBuffers.size()), m_GBuffer->m_DrawBuffers.data());
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    // The models are wound counter-clockwise seen from outside. The lighting
    // pass switches to front-face culling for its volumes, so the mode is set
    // here every frame rather than inherited.
    glCullFace(GL_BACK);

    // Whatever the culling switch says, a body that cannot reach the screen
    // is not drawn: it would cost its vertices and leave no pixel. A far
    // body is drawn from the coarsest mesh that shows no difference.
    const auto drawIfOnScreen = [this](Entities::Entity& entity) {
        if (entity.m_DetailLevels) {
            entity.m_Model = entity.m_DetailLevels->forScene(entity.m_ModelViewProjectionMatrix, m_Width, m_Height);
        }
        if (entity.m_Model->mayReachScreen(entity.m_ModelViewProjectionMatrix)) {
            entity.draw();
        }
    };
    Worlds::World& world = *m_World;
    // The ship blinks out now and then while collisions cannot harm it.
    if (world.m_Ship.m_Visible) {
        world.m_Ship.draw();
        world.m_LeftEngine->draw();
        world.m_RightEngine->draw();
    }
    for (const auto& asteroid : world.m_Asteroids) {
        if (asteroid->m_Visible) {
            drawIfOnScreen(*asteroid);
        }
    }
    m_GBuffer->keepReflectorDepth();
    for (const auto& sun : world.m_Lights) {
        if (sun->m_Visible) {
            drawIfOnScreen(*sun);
        }
    }
    Entities::BlackHole blackHole = world.getBlackHole();
    drawIfOnScreen(blackHole);
    // The sky is no surface: its position, normal and lighting factors are
    // the zeros of the clear, so only its colour and glow are written.
    static const GLenum SkyTargets[] = {GL_NONE, GL_COLOR_ATTACHMENT1, GL_NONE, GL_NONE, GL_COLOR_ATTACHMENT4};
    glDrawBuffers(5, SkyTargets);
    world.m_Skybox.draw(viewMatrix, projectionMatrix);
    glDrawBuffers(static_cast<GLsizei>(m_GBuffer->m_DrawBuffers.size()), m_GBuffer->m_DrawBuffers.data());

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    if (m_DumpGBuffer) {
        dumpGBuffer();
    }
}

void GeometryPass::dumpGBuffer()
{
    static const struct {
        GLenum attachment;
        const char* fileName;
    } Dumps[] = {
        {GL_COLOR_ATTACHMENT0, "out//gbuffer_position.bmp"}, {GL_COLOR_ATTACHMENT2, "out//gbuffer_normal.bmp"},
        {GL_COLOR_ATTACHMENT1, "out//gbuffer_diffuse.bmp"},  {GL_COLOR_ATTACHMENT3, "out//gbuffer_parameter.bmp"},
        {GL_COLOR_ATTACHMENT4, "out//gbuffer_lightSrc.bmp"},
    };
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_GBuffer->m_FBO);
    for (const auto& dump : Dumps) {
        glReadBuffer(dump.attachment);
        saveFramebufferBMP(static_cast<int>(m_Width), static_cast<int>(m_Height), dump.fileName);
    }
}

}
