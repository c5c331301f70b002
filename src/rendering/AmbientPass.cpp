#include "rendering/AmbientPass.h"

#include "helpers/ShaderManager.h"
#include "rendering/GBuffer.h"
#include "rendering/ScreenQuad.h"

namespace Orbivane::Rendering {

AmbientPass::AmbientPass(GBuffer* gBuffer) : m_GBuffer(gBuffer), m_QuadVertices(makeScreenQuad())
{
    uploadScreenQuad(m_QuadVertices, GL_STATIC_DRAW, m_VAO, m_VBO);
    m_Program = Helpers::ShaderManager::instance().getProgram("AmbientPass");
    m_DiffuseTextureLocation = glGetUniformLocation(m_Program, "diffuseTexture");
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

AmbientPass::~AmbientPass()
{
    glDeleteVertexArrays(1, &m_VAO);
    glDeleteBuffers(1, &m_VBO);
}

void AmbientPass::render()
{
    // Added on top of the lighting pass's sum with its one-to-one blending.
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glUseProgram(m_Program);
    glBindVertexArray(m_VAO);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, m_GBuffer->m_Textures[1]);
    glUniform1i(m_DiffuseTextureLocation, 1);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(m_QuadVertices.size() / 2));
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}

}
