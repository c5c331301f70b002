#include "EffectsFixture.h"

#include "rendering/ParticleSystem.h"
#include "support/GLTestContext.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using EffectsTest::FrameTarget;
using OrbivaneTest::TempWorkDir;
using Orbivane::Rendering::ParticleSystem;

class Particles : public ::testing::Test {
protected:
    Particles()
    {
        OrbivaneTest::ensureGLContext();
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

    TempWorkDir m_Dir{""};
    std::unique_ptr<ParticleSystem> m_System;
    GLuint m_Query = 0;
};

struct Step {
    float seconds;
    GLuint records;
};

// Twenty particles per emission plus the emitter. The accumulator starts
// full, so the first update emits; afterwards an emission needs strictly more
// than 0.02 s since the last one.
TEST_F(Particles, EmitsOnTheFirstUpdateThenOnlyWhenMoreThanTheIntervalHasPassed)
{
    const std::vector<Step> steps = {{0.001f, 21}, {0.01f, 21}, {0.01f, 21}, {0.0001f, 41},
                                     {0.02f, 41},  {0.005f, 61}, {0.03f, 81}};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(updateAndCount(steps[i].seconds), steps[i].records) << "update " << i;
    }
}

// Long-lived particles fill the buffers; the emitter itself is never the
// record that gets dropped, so the stream goes on once old particles die.
TEST_F(Particles, AFullBufferHoldsAThousandRecordsAndKeepsTheEmitter)
{
    m_System->m_GenerationMinimumLifeTime = 100.0f;
    GLuint most = 0;
    for (int frame = 0; frame < 80; ++frame) {
        most = std::max(most, updateAndCount(0.03f));
    }
    EXPECT_EQ(most, ParticleSystem::MaxParticles);
    EXPECT_EQ(updateAndCount(0.03f), ParticleSystem::MaxParticles);
    EXPECT_EQ(updateAndCount(500.0f), 21u);
}

constexpr int Size = 64;

float brightest(const std::vector<glm::vec4>& pixels)
{
    float most = 0.0f;
    for (const glm::vec4& pixel : pixels) {
        most = std::max(most, pixel.r);
    }
    return most;
}

// A particle adds at most its own colour to a pixel; drawn once per instance
// of a hundred-fold draw it would blow far past that.
TEST_F(Particles, ASingleParticleIsDrawnOnce)
{
    FrameTarget target(Size, Size);
    m_System->m_NumberToGenerate = 1;
    m_System->m_GenerationPosition = glm::vec3(0.0f);
    m_System->m_GenerationSize = 0.2f;
    m_System->update(0.03f);
    m_System->render(glm::mat4(1.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    const std::vector<glm::vec4> pixels = target.readOutput();
    EXPECT_GT(brightest(pixels), 0.0f);
    EXPECT_LE(brightest(pixels), 1.0f);
}

// The exhaust streams away from the emitter and glows in the emission colour;
// afterwards depth test and writes and culling are on, blending off.
TEST_F(Particles, StreamGlowsOrangeAtTheEmitterAndRestoresTheState)
{
    FrameTarget target(Size, Size);
    m_System->m_GenerationPosition = glm::vec3(0.0f);
    m_System->m_GenerationMinimumVelocity = glm::vec3(-1.0f, 0.0f, 0.0f);
    m_System->m_GenerationSize = 0.05f;
    for (int frame = 0; frame < 5; ++frame) {
        m_System->update(0.03f);
    }
    m_System->render(glm::mat4(1.0f), glm::vec3(2, 0, 0), glm::vec3(0, 3, 0));
    const std::vector<glm::vec4> pixels = target.readOutput();

    const glm::vec4 atEmitter = target.outputAt(pixels, Size / 2 - 1, Size / 2);
    EXPECT_GT(atEmitter.r, 0.1f);
    EXPECT_NEAR(atEmitter.g / atEmitter.r, 0.54902f, 1e-3f);
    EXPECT_EQ(atEmitter.b, 0.0f);
    EXPECT_GT(target.outputAt(pixels, Size / 2 - 4, Size / 2).r, 0.0f) << "the stream does not trail";
    EXPECT_EQ(target.outputAt(pixels, Size / 2 + 6, Size / 2).r, 0.0f) << "particles ahead of the emitter";
    EXPECT_EQ(target.outputAt(pixels, Size / 2, Size / 2 + 8).r, 0.0f) << "particles beside the stream";

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(OrbivaneTest::integerState(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_CULL_FACE));
    EXPECT_FALSE(OrbivaneTest::isEnabled(GL_BLEND));
}

}
