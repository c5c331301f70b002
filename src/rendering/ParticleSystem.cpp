#include "rendering/ParticleSystem.h"

#include "helpers/ShaderManager.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <limits>

namespace Orbivane::Rendering {

namespace {

// Every record is drawn and updated exactly once: one instance per draw, so
// the particle count never exceeds what the buffers hold and no billboard is
// blended onto itself.
constexpr GLsizei InstancesPerDraw = 1;

enum UpdateLocation {
    TimeSinceLastUpdate,
    NumberOfParticlesToGenerate,
    GenerationPosition,
    GenerationGravity,
    GenerationMinimumVelocity,
    GenerationVelocityRange,
    GenerationColor,
    GenerationSize,
    GenerationMinimumLifeTime,
    GenerationLifeTimeRange
};

enum RenderLocation { ViewProjectionMatrix, QuadOne, QuadTwo };

constexpr unsigned int AttributeCount = 6;
constexpr GLint AttributeSizes[AttributeCount] = {1, 3, 3, 3, 1, 1};
constexpr std::size_t AttributeOffsets[AttributeCount] = {
    offsetof(Particle, type),  offsetof(Particle, position), offsetof(Particle, velocity),
    offsetof(Particle, color), offsetof(Particle, size),     offsetof(Particle, lifeTime)};
constexpr GLuint VelocityAttribute = 2;

}

ParticleSystem::ParticleSystem(const ParticleSystem* shared)
{
    resetGenerationParameters();
    if (shared != nullptr) {
        m_OwnsPrograms = false;
        m_UpdateProgram = shared->m_UpdateProgram;
        m_RenderProgram = shared->m_RenderProgram;
        std::copy(std::begin(shared->m_UpdateLocations), std::end(shared->m_UpdateLocations), m_UpdateLocations);
        std::copy(std::begin(shared->m_RenderLocations), std::end(shared->m_RenderLocations), m_RenderLocations);
    } else {
        buildUpdateProgram();
        buildRenderProgram();
    }
    createBuffers();
}

ParticleSystem::~ParticleSystem()
{
    if (m_OwnsPrograms) {
        glDeleteProgram(m_UpdateProgram);
        glDeleteProgram(m_RenderProgram);
    }
    glDeleteTransformFeedbacks(1, &m_TransformFeedback);
    glDeleteVertexArrays(2, m_VAOs);
    glDeleteBuffers(2, m_ParticleBuffers);
}

void ParticleSystem::resetGenerationParameters()
{
    m_GenerationPosition = glm::vec3(3.0f, 17.0f, -1.0f);
    m_GenerationGravity = glm::vec3(0.0f);
    m_GenerationMinimumVelocity = glm::vec3(0.0f);
    m_GenerationVelocityRange = glm::vec3(0.0f);
    m_GenerationColor = glm::vec3(1.0f, 0.54902f, 0.0f);
    m_GenerationSize = 0.025f;
    m_GenerationMinimumLifeTime = 0.5f;
    m_GenerationLifeTimeRange = 1.0f;
    m_TimeSinceGeneration = 0.8f;
    m_GenerationInterval = 0.02f;
    m_NumberToGenerate = 20;
}

void ParticleSystem::buildUpdateProgram()
{
    auto& shaders = Helpers::ShaderManager::instance();
    m_UpdateShaders[0] = shaders.loadShader("ParticleSystemUpdate.vertexShader.txt", GL_VERTEX_SHADER);
    m_UpdateShaders[1] = shaders.loadShader("ParticleSystemUpdate.geometryShader.txt", GL_GEOMETRY_SHADER);
    m_UpdateProgram = shaders.createProgramObject();
    for (const GLuint shader : m_UpdateShaders) {
        shaders.attachShader(m_UpdateProgram, shader);
    }
    const char* const varyings[AttributeCount] = {"geometryType",  "geometryPosition", "geometryVelocity",
                                                  "geometryColor", "geometrySize",     "geometryLifeTime"};
    glTransformFeedbackVaryings(m_UpdateProgram, AttributeCount, varyings, GL_INTERLEAVED_ATTRIBS);
    shaders.linkProgram(m_UpdateProgram);
    Helpers::ShaderManager::checkLinkStatus(m_UpdateProgram);
    for (const GLuint shader : m_UpdateShaders) {
        shaders.deleteShader(shader);
    }
    const char* const uniforms[10] = {"timeSinceLastUpdate",       "numberOfParticlesToGenerate",
                                      "generationPosition",        "generationGravity",
                                      "generationMinimumVelocity", "generationVelocityRange",
                                      "generationColor",           "generationSize",
                                      "generationMinimumLifeTime", "generationLifeTimeRange"};
    for (int i = 0; i < 10; ++i) {
        m_UpdateLocations[i] = glGetUniformLocation(m_UpdateProgram, uniforms[i]);
    }
}

void ParticleSystem::buildRenderProgram()
{
    auto& shaders = Helpers::ShaderManager::instance();
    m_RenderShaders[0] = shaders.loadShader("ParticleSystemRender.vertexShader.txt", GL_VERTEX_SHADER);
    m_RenderShaders[1] = shaders.loadShader("ParticleSystemRender.geometryShader.txt", GL_GEOMETRY_SHADER);
    m_RenderShaders[2] = shaders.loadShader("ParticleSystemRender.fragmentShader.txt", GL_FRAGMENT_SHADER);
    m_RenderProgram = shaders.createProgramObject();
    for (const GLuint shader : m_RenderShaders) {
        shaders.attachShader(m_RenderProgram, shader);
    }
    shaders.linkProgram(m_RenderProgram);
    Helpers::ShaderManager::checkLinkStatus(m_RenderProgram);
    for (const GLuint shader : m_RenderShaders) {
        shaders.deleteShader(shader);
    }
    const char* const uniforms[3] = {"viewProjectionMatrix", "quadOne", "quadTwo"};
    for (int i = 0; i < 3; ++i) {
        m_RenderLocations[i] = glGetUniformLocation(m_RenderProgram, uniforms[i]);
    }
}

void ParticleSystem::createBuffers()
{
    glGenTransformFeedbacks(1, &m_TransformFeedback);
    glGenVertexArrays(2, m_VAOs);
    glGenBuffers(2, m_ParticleBuffers);

    m_SeedParticle = Particle{};
    m_SeedParticle.position = m_GenerationPosition;
    m_SeedParticle.color = glm::vec3(1.0f, 0.0f, 0.0f);
    m_SeedParticle.size = 1.0f;

    for (unsigned int i = 0; i < 2; ++i) {
        glBindBuffer(GL_ARRAY_BUFFER, m_ParticleBuffers[i]);
        glBufferData(GL_ARRAY_BUFFER, MaxParticles * sizeof(Particle), nullptr, GL_DYNAMIC_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(Particle), &m_SeedParticle);
        glBindBuffer(GL_ARRAY_BUFFER, 0);

        glBindVertexArray(m_VAOs[i]);
        glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, m_TransformFeedback);
        glBindBuffer(GL_ARRAY_BUFFER, m_ParticleBuffers[i]);
        for (GLuint attribute = 0; attribute < AttributeCount; ++attribute) {
            glEnableVertexAttribArray(attribute);
            glVertexAttribPointer(attribute, AttributeSizes[attribute], GL_FLOAT, GL_FALSE, sizeof(Particle),
                                  reinterpret_cast<const void*>(AttributeOffsets[attribute]));
        }
        glBindVertexArray(0);
    }
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_CurrentBuffer = 0;
}

void ParticleSystem::setUpdateUniforms(float timeSinceLastUpdate)
{
    glUniform1f(m_UpdateLocations[TimeSinceLastUpdate], timeSinceLastUpdate);
    glUniform3fv(m_UpdateLocations[GenerationPosition], 1, glm::value_ptr(m_GenerationPosition));
    glUniform3fv(m_UpdateLocations[GenerationGravity], 1, glm::value_ptr(m_GenerationGravity));
    glUniform3fv(m_UpdateLocations[GenerationColor], 1, glm::value_ptr(m_GenerationColor));
    glUniform3fv(m_UpdateLocations[GenerationMinimumVelocity], 1, glm::value_ptr(m_GenerationMinimumVelocity));
    glUniform3fv(m_UpdateLocations[GenerationVelocityRange], 1, glm::value_ptr(m_GenerationVelocityRange));
    glUniform1f(m_UpdateLocations[GenerationMinimumLifeTime], m_GenerationMinimumLifeTime);
    glUniform1f(m_UpdateLocations[GenerationLifeTimeRange], m_GenerationLifeTimeRange);
    glUniform1f(m_UpdateLocations[GenerationSize], m_GenerationSize);
    glUniform1i(m_UpdateLocations[NumberOfParticlesToGenerate], 0);
}

void ParticleSystem::emitAtNextUpdate()
{
    m_TimeSinceGeneration = std::numeric_limits<float>::infinity();
}

void ParticleSystem::update(float timeSinceLastUpdate)
{
    glUseProgram(m_UpdateProgram);
    setUpdateUniforms(timeSinceLastUpdate);
    m_TimeSinceGeneration += timeSinceLastUpdate;
    if (m_TimeSinceGeneration > m_GenerationInterval) {
        glUniform1i(m_UpdateLocations[NumberOfParticlesToGenerate], m_NumberToGenerate);
        m_TimeSinceGeneration = 0.0f;
    }

    glEnable(GL_RASTERIZER_DISCARD);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, m_TransformFeedback);
    glBindVertexArray(m_VAOs[m_CurrentBuffer]);
    glEnableVertexAttribArray(VelocityAttribute);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, m_ParticleBuffers[1 - m_CurrentBuffer]);
    glBeginTransformFeedback(GL_POINTS);
    if (m_FirstUpdate) {
        glDrawArraysInstanced(GL_POINTS, 0, 1, InstancesPerDraw);
        m_FirstUpdate = false;
    } else {
        glDrawTransformFeedbackInstanced(GL_POINTS, m_TransformFeedback, InstancesPerDraw);
    }
    glEndTransformFeedback();
    glBindVertexArray(0);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    glDisable(GL_RASTERIZER_DISCARD);
    glUseProgram(0);
    m_CurrentBuffer = 1 - m_CurrentBuffer;
}

void ParticleSystem::render(const glm::mat4& viewProjection, const glm::vec3& right, const glm::vec3& up)
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    m_QuadOne = glm::normalize(right);
    m_QuadTwo = glm::normalize(up);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);

    glUseProgram(m_RenderProgram);
    glUniformMatrix4fv(m_RenderLocations[ViewProjectionMatrix], 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform3fv(m_RenderLocations[QuadOne], 1, glm::value_ptr(m_QuadOne));
    glUniform3fv(m_RenderLocations[QuadTwo], 1, glm::value_ptr(m_QuadTwo));
    glBindVertexArray(m_VAOs[m_CurrentBuffer]);
    glDisableVertexAttribArray(VelocityAttribute);
    // Before the first update nothing has been captured that could be drawn.
    if (!m_FirstUpdate) {
        glDrawTransformFeedbackInstanced(GL_POINTS, m_TransformFeedback, InstancesPerDraw);
    }

    glBindVertexArray(0);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glUseProgram(0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}

}
