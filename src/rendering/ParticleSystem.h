#pragma once

#include "rendering/Particle.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

namespace Orbivane::Rendering {

// The engine exhaust: particles that live on the GPU only. Each update runs
// the records through a program whose output transform feedback captures into
// the other of two buffers; each render expands the records into billboards.
class ParticleSystem {
public:
    static constexpr unsigned int MaxParticles = 1000;

    // With `shared`, the system draws with that system's programs, which must
    // outlive it, instead of building its own.
    explicit ParticleSystem(const ParticleSystem* shared = nullptr);
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    void resetGenerationParameters();
    void update(float timeSinceLastUpdate);
    // The next update emits one batch, however little time has passed: for a
    // system whose interval is too long ever to pass, which emits when asked.
    void emitAtNextUpdate();
    void render(const glm::mat4& viewProjection, const glm::vec3& right, const glm::vec3& up);

    Particle m_SeedParticle{};
    bool m_FirstUpdate = true;
    glm::vec3 m_QuadOne{0.0f};
    glm::vec3 m_QuadTwo{0.0f};
    GLuint m_UpdateProgram = 0;
    GLuint m_UpdateShaders[2] = {};
    GLint m_UpdateLocations[10] = {};
    GLuint m_RenderProgram = 0;
    GLuint m_RenderShaders[3] = {};
    GLint m_RenderLocations[3] = {};
    GLuint m_TransformFeedback = 0;
    GLuint m_ParticleBuffers[2] = {};
    GLuint m_VAOs[2] = {};
    unsigned int m_CurrentBuffer = 0;
    float m_TimeSinceGeneration = 0.0f;
    float m_GenerationInterval = 0.0f;
    glm::vec3 m_GenerationPosition{0.0f};
    glm::vec3 m_GenerationGravity{0.0f};
    glm::vec3 m_GenerationMinimumVelocity{0.0f};
    glm::vec3 m_GenerationVelocityRange{0.0f};
    glm::vec3 m_GenerationColor{0.0f};
    float m_GenerationSize = 0.0f;
    float m_GenerationMinimumLifeTime = 0.0f;
    float m_GenerationLifeTimeRange = 0.0f;
    int m_NumberToGenerate = 0;
    bool m_OwnsPrograms = true;

private:
    void buildUpdateProgram();
    void buildRenderProgram();
    void createBuffers();
    void setUpdateUniforms(float timeSinceLastUpdate);
};

}
