#include "helpers/DebugOutput.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <cstdio>

using Orbivane::Helpers::enableDebugOutput;

namespace {

// What enabling printed, and what a marker message inserted afterwards printed.
std::string enableAndInsertMarker()
{
    testing::internal::CaptureStdout();
    enableDebugOutput();
    std::fflush(stdout);
    const std::string enabling = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 7, GL_DEBUG_SEVERITY_LOW, -1, "mark");
    std::fflush(stdout);
    const std::string marker = testing::internal::GetCapturedStdout();
    glDisable(GL_DEBUG_OUTPUT);
    return enabling + "|" + (marker.find("ID: 7\nMessage: mark\n") != std::string::npos ? "marker" : "silence");
}

}

// A context without the debug-output entry points must not make the game
// call through a null pointer.
TEST(DebugOutputSetup, RegistersOnlyWhereTheEntryPointsExist)
{
    OrbivaneTest::ensureGLContext();
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    const std::string enabled = "Debug output enabled. Disable via INI setting: GLDebugMessages\n" +
        std::string((flags & GL_CONTEXT_FLAG_DEBUG_BIT) != 0 ? "Debug Output available!\n" : "");

    EXPECT_EQ(enableAndInsertMarker(), enabled + "|marker");

    const PFNGLDEBUGMESSAGECALLBACKPROC callback = glDebugMessageCallback;
    const PFNGLDEBUGMESSAGECONTROLPROC control = glDebugMessageControl;
    glDebugMessageCallback(nullptr, nullptr);
    for (const bool missingCallback : {true, false}) {
        glDebugMessageCallback = missingCallback ? nullptr : callback;
        glDebugMessageControl = missingCallback ? control : nullptr;
        const std::string printed = enableAndInsertMarker();
        glDebugMessageCallback = callback;
        glDebugMessageControl = control;
        EXPECT_EQ(printed, enabled + "Debug output not supported by this context\n|silence");
    }
}
