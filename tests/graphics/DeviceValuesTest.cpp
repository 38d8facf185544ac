// The device's value types and word conversions: descriptor defaults and orderings, the
// framebuffer setup as a cache key, semantic words and buffer-mode words.
#include "graphics/FramebufferSetup.h"
#include "graphics/StateDescriptors.h"
#include "graphics/VertexSemantics.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

namespace device_values_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;

TEST(DeviceValuesTest, DefaultBlendDescriptorNeedsOnlyBlendEnableForAlphaBlending)
{
    BlendStateDescriptor d;
    EXPECT_FALSE(d.blendEnable);
    EXPECT_EQ(d.srcBlend, BlendSrcAlpha);
    EXPECT_EQ(d.destBlend, BlendInvSrcAlpha);
    EXPECT_EQ(d.srcBlendAlpha, BlendSrcAlpha);
    EXPECT_EQ(d.destBlendAlpha, BlendInvSrcAlpha);
    EXPECT_TRUE(d.writeRed && d.writeGreen && d.writeBlue && d.writeAlpha);
    DepthStencilStateDescriptor depth;
    EXPECT_EQ(depth.stencilReadMask, -1);
    EXPECT_EQ(depth.stencilFunc, CompareLess);
    RasterizerStateDescriptor rasterizer;
    EXPECT_EQ(rasterizer.frontCounterClockwise, 1);
    EXPECT_EQ(rasterizer.cullMode, CullNone);
}

TEST(DeviceValuesTest, BlendOrderingComparesTheAlphaSourceBeforeTheColourDestination)
{
    BlendStateDescriptor a, b;
    a.srcBlendAlpha = BlendZero;   // smaller alpha source
    a.destBlend = BlendInvDestColor;  // larger colour destination
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_FALSE(a == b);
}

TEST(DeviceValuesTest, FieldsTheBackendIgnoresStillMakeDifferentKeys)
{
    SamplerStateDescriptor a, b, c;
    b.addressW = AddressClamp;
    c.lodParameter1 = 0.5f;
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a < b || b < a);
    EXPECT_TRUE(a < c);
    EXPECT_FALSE(c < a);
    RasterizerStateDescriptor r1, r2;
    r2.pointSize = 2.0f;
    EXPECT_TRUE(r1 < r2);
}

TEST(DeviceValuesTest, FramebufferSetupsOrderByCountThenDepthThenColours)
{
    int dummy[3] = {};
    auto* s0 = reinterpret_cast<Surface*>(&dummy[0]);
    auto* s1 = reinterpret_cast<Surface*>(&dummy[1]);
    auto* s2 = reinterpret_cast<Surface*>(&dummy[2]);
    Surface* one[1] = {s2};
    Surface* two[2] = {s0, s1};
    const FramebufferSetup single(1, one, nullptr), pair(2, two, nullptr), pairWithDepth(2, two, s0);
    EXPECT_TRUE(single < pair);  // count first, whatever the surfaces
    EXPECT_TRUE(pair < pairWithDepth);
    EXPECT_TRUE(pair == FramebufferSetup(2, two, nullptr));
    Surface* swapped[2] = {s1, s0};
    EXPECT_FALSE(pair == FramebufferSetup(2, swapped, nullptr));
    EXPECT_TRUE(pair.Uses(s1));
    EXPECT_FALSE(pair.Uses(s2));
    EXPECT_TRUE(pairWithDepth.Uses(s0));
    // Entries past the count take no part.
    Surface* three[3] = {s0, s1, s2};
    EXPECT_TRUE(pair == FramebufferSetup(2, three, nullptr));
    Surface* many[17] = {};
    EXPECT_THROW_MESSAGE(FramebufferSetup(17, many, nullptr), "FramebufferSetup: A framebuffer takes 0 to 16 color surfaces");
    EXPECT_THROW_MESSAGE(FramebufferSetup(-1, many, nullptr), "FramebufferSetup: A framebuffer takes 0 to 16 color surfaces");
}

TEST(DeviceValuesTest, SemanticWordsMapToTheirSlots)
{
    struct Case {
        const char* word;
        int slot;
    };
    for (const Case& c : {Case{"POSITION", 0}, Case{"NORMAL", 4}, Case{"COLOR", 3}, Case{"TEXCOORD", 8},
                          Case{"TEXCOORD0", 8}, Case{"TEXCOORD7", 15}, Case{"TEXTANGENT", 12}, Case{"TEXBINORMAL", 13},
                          Case{"N_POSITION", 0}, Case{"N_BLENDWEIGHTS", 1}, Case{"N_BLENDINDICES", 2},
                          Case{"N_COLOR", 3}, Case{"N_NORMAL", 4}, Case{"N_TANGENT", 5}, Case{"N_BINORMAL", 6},
                          Case{"N_INSTANCE", 7}, Case{"N_TEXCOORD", 8}, Case{"N_TEXCOORD3", 11},
                          Case{"N_TEXTANGENT", 5}, Case{"N_TEXBINORMAL", 6}})
        EXPECT_EQ(SemanticFromString(c.word), c.slot) << c.word;
    for (const char* word : {"position", "TEXCOORD8", "N_TEXCOORD8", "", "POSITION "})
        EXPECT_THROW_MESSAGE(SemanticFromString(word), "NGMLoader: unsupported semantic enum");
    for (int i = 0; i < SemanticSlotCount; ++i)
        EXPECT_EQ(SemanticFromString(GetStandardSemanticName(i)), i);
    EXPECT_STREQ(GetStandardSemanticName(15), "N_TEXCOORD7");
}

TEST(DeviceValuesTest, BufferModeWords)
{
    EXPECT_EQ(BufferModeFromString("static"), BufferModeStatic);
    EXPECT_EQ(BufferModeFromString("dynamic"), BufferModeDynamic);
    EXPECT_EQ(BufferModeFromString("volatile"), BufferModeVolatile);
    EXPECT_THROW_MESSAGE(BufferModeFromString("Static"), "Unsupported Buffer Mode: Static");
}

}  // namespace device_values_test
