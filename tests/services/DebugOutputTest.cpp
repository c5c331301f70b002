#include "helpers/DebugOutput.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace Orbivane::Helpers;
using OrbivaneTest::consoleOf;

namespace {

const char* kMarker = "ID: 7\nMessage: mark\nSource: Application\nType: Marker\nSeverity: Low";

// What enabling printed, and whether a marker inserted afterwards reached the console.
std::string enableAndInsertMarker()
{
    const std::string enabling = consoleOf(enableDebugOutput);
    const std::string marker = consoleOf([] {
        glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 7, GL_DEBUG_SEVERITY_LOW, -1, "mark");
    });
    glDisable(GL_DEBUG_OUTPUT);
    return enabling + "|" + (marker.find(kMarker) != std::string::npos ? "marker" : "silence");
}

}

TEST(DebugOutput, PrintsAFramedBlockWithEveryCategoryNamedAndSkipsKnownNoise)
{
    struct Case {
        GLenum source, type;
        GLuint id;
        GLenum severity;
        std::string names;
    };
    const Case cases[] = {
        {GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1280, GL_DEBUG_SEVERITY_HIGH,
         "Source: API\nType: Error\nSeverity: High"},
        {GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR, 3, GL_DEBUG_SEVERITY_NOTIFICATION,
         "Source: Shader Compiler\nType: Deprecated Behaviour\nSeverity: Notification"},
        {0x1234, 0x5678, 3, 0x9abc, "Source: \nType: \nSeverity: "},
    };
    const auto print = [](GLenum source, GLenum type, GLuint id, GLenum severity) {
        return consoleOf([&] { debugMessageCallback(source, type, id, severity, -1, "m", nullptr); });
    };
    for (const Case& c : cases) {
        EXPECT_EQ(print(c.source, c.type, c.id, c.severity),
                  "\n*********OpenGL Debug Begin****************\nID: " + std::to_string(c.id) + "\nMessage: m\n" +
                      c.names + "\n*********OpenGL Debug End****************\n\n\n");
    }
    for (const GLuint id : {131076u, 131154u, 131169u, 131185u}) {
        EXPECT_EQ(print(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_OTHER, id, GL_DEBUG_SEVERITY_NOTIFICATION), "");
    }
}

// Real driver messages reach the console.
TEST(DebugOutput, EnablingRegistersTheCallback)
{
    OrbivaneTest::ensureGLContext();
    const std::string enabled = "Debug output enabled. Disable via INI setting: GLDebugMessages\n" +
        std::string((OrbivaneTest::integerState(GL_CONTEXT_FLAGS) & GL_CONTEXT_FLAG_DEBUG_BIT) != 0
                        ? "Debug Output available!\n" : "");
    EXPECT_EQ(enableAndInsertMarker(), enabled + "|marker");
}
