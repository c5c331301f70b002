#include "EffectsFixture.h"

#include "rendering/ParticleSystem.h"

#include <algorithm>

namespace {

using Orbivane::Rendering::ParticleSystem;

constexpr int Size = 64;

class Particles : public ::testing::Test {
protected:
    Particles()
    {
        OrbivaneTest::consoleOf([this] { m_System = std::make_unique<ParticleSystem>(); });
        glGenQueries(1, &m_Query);
    }

    ~Particles() override { glDeleteQueries(1, &m_Query); }

    // Records (emitter included) that the update wrote for the next frame.
    GLuint updateAndCount(float seconds)
    {
        glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, m_Query);
        m_System->update(seconds);
        glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
        GLuint written = 0;
        glGetQueryObjectuiv(m_Query, GL_QUERY_RESULT, &written);
        return written;
    }

    OrbivaneTest::TempWorkDir m_Dir{""};
    EffectsTest::FrameTarget m_Target{Size, Size};
    std::unique_ptr<ParticleSystem> m_System;
    GLuint m_Query = 0;
};

// Twenty particles per emission plus the emitter. The accumulator starts
// full, so the first update emits; afterwards an emission needs strictly more
// than 0.02 s since the last one. Long-lived particles then fill the buffers;
// the emitter itself is never the record that gets dropped, so the stream
// goes on once old particles die.
TEST_F(Particles, EmitsEveryIntervalUpToAThousandRecordsAndKeepsTheEmitter)
{
    const std::pair<float, GLuint> steps[] = {{0.001f, 21}, {0.01f, 21}, {0.01f, 21}, {0.0001f, 41},
                                              {0.02f, 41},  {0.005f, 61}, {0.03f, 81}};
    for (const auto& [seconds, records] : steps) {
        EXPECT_EQ(updateAndCount(seconds), records) << "after " << seconds << " s";
    }
    m_System->m_GenerationMinimumLifeTime = 100.0f;
    GLuint most = 0;
    for (int frame = 0; frame < 80; ++frame) {
        most = std::max(most, updateAndCount(0.03f));
    }
    EXPECT_EQ(most, ParticleSystem::MaxParticles);
    EXPECT_EQ(updateAndCount(0.03f), ParticleSystem::MaxParticles);
    EXPECT_EQ(updateAndCount(500.0f), 21u);
}

// A particle adds at most its own colour to a pixel; drawn once per instance
// of a hundred-fold draw it would blow far past that. The exhaust streams
// away from the emitter and glows in the emission colour; afterwards depth
// test and writes and culling are on, blending off.
TEST_F(Particles, ASingleParticleIsDrawnOnceAndTheStreamGlowsOrangeAtTheEmitter)
{
    m_System->m_NumberToGenerate = 1;
    m_System->m_GenerationPosition = glm::vec3(0.0f);
    m_System->m_GenerationSize = 0.2f;
    m_System->update(0.03f);
    m_System->render(glm::mat4(1.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    const std::vector<glm::vec4>& pixels = m_Target.read();
    const float brightest =
        std::max_element(pixels.begin(), pixels.end(), [](glm::vec4 a, glm::vec4 b) { return a.r < b.r; })->r;
    EXPECT_GT(brightest, 0.0f);
    EXPECT_LE(brightest, 1.0f);

    m_Target.fillOutput(glm::vec4(0.0f));
    m_System->m_NumberToGenerate = 20;
    m_System->m_GenerationMinimumVelocity = glm::vec3(-1.0f, 0.0f, 0.0f);
    m_System->m_GenerationSize = 0.05f;
    for (const float seconds : {500.0f, 0.03f, 0.03f, 0.03f, 0.03f}) {
        m_System->update(seconds);
    }
    m_System->render(glm::mat4(1.0f), glm::vec3(2, 0, 0), glm::vec3(0, 3, 0));
    m_Target.read();
    const glm::vec4 atEmitter = m_Target.at({Size / 2 - 1, Size / 2});
    EXPECT_GT(atEmitter.r, 0.1f);
    EXPECT_NEAR(atEmitter.g / atEmitter.r, 0.54902f, 1e-3f);
    EXPECT_EQ(atEmitter.b, 0.0f);
    EXPECT_GT(m_Target.at({Size / 2 - 4, Size / 2}).r, 0.0f) << "the stream does not trail";
    EXPECT_EQ(m_Target.at({Size / 2 + 6, Size / 2}).r, 0.0f) << "particles ahead of the emitter";
    EXPECT_EQ(m_Target.at({Size / 2, Size / 2 + 8}).r, 0.0f) << "particles beside the stream";
    EXPECT_EQ(EffectsTest::glState(m_Target.m_OutputFBO),
              "blend off, depth test 1, depth writes 1, cull 1028, draw output 64x64, error 0");
}

}
