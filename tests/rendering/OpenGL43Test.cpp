#include "support/GameProcess.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

// With ORBIVANE_OPENGL_4_3 set, this test program finds what it would find
// on a driver of OpenGL 4.3: GLEW looks every entry point up here, and those
// that came with 4.4 and later (direct state access among them) are missing,
// so that the game calling one ends the test as it would end the game there.
extern "C" void (*glXGetProcAddressARB(const unsigned char* name))()
{
    using Lookup = void (*(*)(const unsigned char*))();
    static const auto real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "glXGetProcAddressARB"));
    static const std::regex newer(
        "gl(Create(?!Program|Shader).*|.*Named.*|(Get)?(Compressed)?Texture(?!View).*|.*TextureSubImage.*|"
        "BindTextureUnit|GenerateTextureMipmap|(Get)?VertexArray.+|(Get)?TransformFeedback(Buffer|i).*|Getn.*|"
        "GetQueryBufferObject.*|BufferStorage|ClearTex(Sub)?Image|Bind(Buffers|Textures|Samplers|ImageTextures|"
        "VertexBuffers).*|ClipControl|MemoryBarrierByRegion|GetGraphicsResetStatus|ReadnPixels|SpecializeShader|"
        "MultiDraw.*Count|PolygonOffsetClamp)");
    const bool limited = std::getenv("ORBIVANE_OPENGL_4_3") != nullptr;
    return limited && std::regex_match(reinterpret_cast<const char*>(name), newer) ? nullptr : real(name);
}

// The renderer needs no more than OpenGL 4.3: the lit frames of the renderer
// tests come out right on such a driver.
TEST(OpenGL43Test, SunsAndTheHeadLightLightTheSceneWithNoCallBeyondOpenGL43)
{
    OrbivaneTest::GameProcess child(
        std::filesystem::current_path(), {{"ORBIVANE_OPENGL_4_3", "1"}, {"MESA_GL_VERSION_OVERRIDE", "4.3"}},
        {"/proc/self/exe", "--gtest_filter=RendererTest.Sun*:RendererTest.Lights*:RendererTest.HeadLight*"});
    EXPECT_EQ(child.waitForExit(std::chrono::seconds(120)), 0) << child.output();
    EXPECT_NE(child.output().find("[  PASSED  ] 4 tests."), std::string::npos) << child.output();
}
