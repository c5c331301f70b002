#include "helpers/DebugOutput.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <cstdio>

using Orbivane::Helpers::debugMessageCallback;

namespace {

std::string printed(GLenum source, GLenum type, GLuint id, GLenum severity, const char* message)
{
    testing::internal::CaptureStdout();
    debugMessageCallback(source, type, id, severity, -1, message, nullptr);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

}

TEST(DebugOutput, PrintsAFramedBlock)
{
    EXPECT_EQ(printed(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1280, GL_DEBUG_SEVERITY_HIGH, "bad enum"),
              "\n*********OpenGL Debug Begin****************\n"
              "ID: 1280\nMessage: bad enum\nSource: API\nType: Error\nSeverity: High"
              "\n*********OpenGL Debug End****************\n\n\n");
}

TEST(DebugOutput, KnownNoisyIdentifiersPrintNothing)
{
    for (const GLuint id : {131076u, 131154u, 131169u, 131185u}) {
        EXPECT_EQ(printed(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_OTHER, id, GL_DEBUG_SEVERITY_NOTIFICATION, "noise"), "");
    }
}

TEST(DebugOutput, NamesEveryCategoryAndLeavesUnknownValuesEmpty)
{
    struct Case {
        GLenum source, type, severity;
        const char* names;
    };
    const Case cases[] = {
        {GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR, GL_DEBUG_SEVERITY_NOTIFICATION,
         "Source: Shader Compiler\nType: Deprecated Behaviour\nSeverity: Notification\n****"},
        {0x1234, 0x5678, 0x9abc, "Source: \nType: \nSeverity: \n*********OpenGL Debug End"},
    };
    for (const Case& c : cases) {
        const std::string text = printed(c.source, c.type, 3, c.severity, "m");
        EXPECT_NE(text.find(c.names), std::string::npos) << text;
    }
}

TEST(DebugOutput, RealDriverMessagesReachTheCallback)
{
    OrbivaneTest::ensureGLContext();
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(debugMessageCallback, nullptr);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    testing::internal::CaptureStdout();
    glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 42, GL_DEBUG_SEVERITY_LOW, -1, "hello");
    std::fflush(stdout);
    const std::string text = testing::internal::GetCapturedStdout();
    glDisable(GL_DEBUG_OUTPUT);
    EXPECT_NE(text.find("ID: 42\nMessage: hello\nSource: Application\nType: Marker\nSeverity: Low"), std::string::npos)
        << text;
}
