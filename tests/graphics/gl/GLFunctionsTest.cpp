// The GL function table: which entry points a context of a given version and extension list
// is asked for, what a missing one reports, and the feature flags. No context is needed: the
// resolver is a fake that hands out a distinct address per name.
#include "graphics/gl/GLFunctions.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace gl_functions_test {

using namespace Nimbrel;
using Graphics::GLFunctions;

std::set<std::string> asked;
std::string refused;

void* FakeResolve(const char* name)
{
    asked.insert(name);
    if (refused == name)
        return nullptr;
    static char addresses[1];
    return addresses;  // never called
}

class GLFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        asked.clear();
        refused.clear();
    }
    GLFunctions table;
};

TEST_F(GLFunctionsTest, ACoreContextResolvesCoreNames)
{
    table.Resolve(FakeResolve, 4, 5, "GL_EXT_texture_compression_s3tc");
    EXPECT_TRUE(asked.count("glBindFramebuffer"));
    EXPECT_TRUE(asked.count("glBlitFramebuffer"));
    EXPECT_TRUE(asked.count("glGenerateMipmap"));
    EXPECT_FALSE(asked.count("glBindFramebufferEXT"));
    EXPECT_NE(table.BindFramebuffer, nullptr);
    EXPECT_NE(table.RenderbufferStorageMultisample, nullptr);
    EXPECT_TRUE(table.hasFloatTextures);
    EXPECT_TRUE(table.hasSingleChannelFloat);
    EXPECT_FALSE(table.hasNVFloatBuffer);
    EXPECT_TRUE(table.hasS3TC);
}

TEST_F(GLFunctionsTest, AnOpenGL2ContextTakesTheFramebufferExtensionsUnderTheirSuffix)
{
    table.Resolve(FakeResolve, 2, 1,
                  "GL_EXT_framebuffer_object GL_EXT_framebuffer_blit GL_EXT_framebuffer_multisample "
                  "GL_ARB_draw_buffers GL_NV_float_buffer GL_ARB_texture_rectangle");
    EXPECT_TRUE(asked.count("glBindFramebufferEXT"));
    EXPECT_TRUE(asked.count("glBlitFramebufferEXT"));
    EXPECT_TRUE(asked.count("glRenderbufferStorageMultisampleEXT"));
    EXPECT_TRUE(asked.count("glUseProgram"));  // 2.0 core
    EXPECT_FALSE(asked.count("glBindFramebuffer"));
    EXPECT_TRUE(table.hasNVFloatBuffer);
    // NV_float_buffer floats live on rectangle textures only, which no sampler2D reads.
    EXPECT_FALSE(table.hasSingleChannelFloat);
    EXPECT_FALSE(table.hasFloatTextures);
    EXPECT_FALSE(table.hasS3TC);

    // Float formats without red textures: one channel is luminance.
    table.Resolve(FakeResolve, 2, 1,
                  "GL_EXT_framebuffer_object GL_EXT_framebuffer_blit GL_EXT_framebuffer_multisample "
                  "GL_ARB_draw_buffers GL_ARB_texture_float");
    EXPECT_TRUE(table.hasSingleChannelFloat);
    EXPECT_FALSE(table.hasRedTextures);
}

TEST_F(GLFunctionsTest, MissingFeaturesAndEntryPointsAreListedInOneMessage)
{
    // No framebuffer objects at all on a 2.1 context: every name of the three features is
    // missing, and the resolver is not even asked for them.
    EXPECT_THROW_MESSAGE(table.Resolve(FakeResolve, 2, 1, "GL_EXT_framebuffer_object"),
                         "The following extensions were not detected: glBlitFramebuffer "
                         "glRenderbufferStorageMultisample ");
    EXPECT_FALSE(asked.count("glBlitFramebuffer"));

    refused = "glUniformMatrix4fv";
    EXPECT_THROW_MESSAGE(table.Resolve(FakeResolve, 3, 3, ""),
                         "The following extensions were not detected: glUniformMatrix4fv ");
    refused = "glBindFramebufferEXT";
    EXPECT_THROW_MESSAGE(
        table.Resolve(FakeResolve, 2, 1, "GL_EXT_framebuffer_object GL_EXT_framebuffer_blit GL_EXT_framebuffer_multisample"),
        "The following extensions were not detected: glBindFramebufferEXT ");
}

TEST_F(GLFunctionsTest, ExtensionNamesMatchWholeWordsAndVersionsParse)
{
    EXPECT_TRUE(GLFunctions::HasExtension("GL_A GL_B_long GL_C", "GL_B_long"));
    EXPECT_TRUE(GLFunctions::HasExtension("GL_A", "GL_A"));
    EXPECT_FALSE(GLFunctions::HasExtension("GL_NV_float_buffer_x GL_A", "GL_NV_float_buffer"));
    EXPECT_FALSE(GLFunctions::HasExtension("xGL_A", "GL_A"));
    EXPECT_FALSE(GLFunctions::HasExtension("", "GL_A"));

    int major = -1, minor = -1;
    GLFunctions::ParseVersion("4.5 (Compatibility Profile) Mesa 22.3.6", major, minor);
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 5);
    GLFunctions::ParseVersion("2.1.2 NVIDIA", major, minor);
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 1);
    GLFunctions::ParseVersion("garbage", major, minor);
    EXPECT_EQ(major, 0);
    GLFunctions::ParseVersion(nullptr, major, minor);
    EXPECT_EQ(minor, 0);
}

}  // namespace gl_functions_test
