// A COLLADA scene written here, imported through the default proxy onto the GL device and
// drawn under Xvfb at two times: a textured cube lit by a directional light, and a sphere
// whose translation an animation drives.
#include "core/Managed.h"
#include "support/CgGLWindow.h"
#include "support/ColladaLitEffect.h"
#include "support/ColladaWriter.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "support/SDLVideo.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace collada_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Testing::Rgb;

class ColladaGLTest : public Testing::CgGLWindow {};

TEST_F(ColladaGLTest, ALitTexturedCubeAndAnAnimatedSphereDrawAtTwoTimes)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Graphics::Program> litProgram = Link(Testing::ColladaLitSource);
    Managed<Graphics::Program> emissionProgram = Link(Testing::ColladaEmissionSource);
    Managed<Testing::ColladaLitEffect> effect(new Testing::ColladaLitEffect(litProgram.Get(), emissionProgram.Get()));

    // The light turns 120 degrees about y from shining down -z, so it meets the cube's face
    // towards the viewer (normal -z) at 60 degrees: half its colour. The sphere's x goes from
    // 0.2 at time 0 to 1 at time 2.
    Testing::ColladaWriter writer;
    writer.AddImage("orange", "maps/orange.png");
    writer.AddTextureEffect("orange-fx", "orange");
    writer.AddMaterial("orange-m", "orange-fx");
    writer.AddColorEffect("green-fx", "constant", "emission", {0, 1, 0});
    writer.AddMaterial("green-m", "green-fx");
    writer.AddMesh(Testing::CubeMesh("cube", 0.25f));
    writer.AddMesh(Testing::SphereMesh("ball", 0.2f, 16, 24));
    writer.AddDirectionalLight("sun-light", {1, 1, 1});
    writer.AddLinearAnimation("ball-x", "ball/move.X", {0, 2}, {0.2f, 1.0f}, 1);
    writer.AddNode("<node id=\"sun\"><rotate>0 1 0 120</rotate><instance_light url=\"#sun-light\"/></node>");
    writer.AddNode("<node id=\"box\" name=\"box\"><translate>-0.5 0 0</translate>" +
                   Testing::ColladaWriter::Instance("cube", "orange-m") + "</node>");
    writer.AddNode("<node id=\"ball\" name=\"ball\"><translate sid=\"move\">0.2 0 0</translate>" +
                   Testing::ColladaWriter::Instance("ball", "green-m") + "</node>");
    const std::string text = writer.Text();

    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["demo/scene.dae"].assign(text.begin(), text.end());
    (*files)["demo/maps/orange.png"] = Testing::EncodePngRgb(1, 1, {255, 128, 0});
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());
    Managed<Scene> scene(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "demo/scene.dae")));
    // Nothing skipped but the asset and the scene instance, which the engine does not need.
    ASSERT_EQ(scene->GetImportLog().Count(), 2);
    EXPECT_STREQ(scene->GetImportLog()[0].CStr(), "Element ignored: COLLADA/asset");
    EXPECT_STREQ(scene->GetImportLog()[1].CStr(), "Element ignored: COLLADA/scene");

    Graphics::DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    state->effects.Push(effect.Get());
    for (double time : {0.0, 1.0}) {
        SCOPED_TRACE("at " + std::to_string(time));
        state->times.Push(time);
        device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
        scene->Traverse(*state);
        state->times.Pop();
        const Testing::Frame frame = ReadFrame();

        // Pixel centres in clip space: x = (column + 0.5) / 32 - 1, y = 1 - (row + 0.5) / 32.
        // The sphere's outline is a polygon a little inside its radius, so a thin ring around
        // it is not checked; nor is the one-pixel rim of the cube's face.
        const float ballX = 0.2f + 0.4f * float(time);
        int wrong = 0;
        std::string first;
        for (int row = 0; row < frame.height; ++row)
            for (int column = 0; column < frame.width; ++column) {
                const float x = (float(column) + 0.5f) / 32 - 1;
                const float y = 1 - (float(row) + 0.5f) / 32;
                const float fromBall = std::hypot(x - ballX, y) / 0.2f;
                const float boxEdge = std::max(std::abs(x + 0.5f), std::abs(y));
                Rgb expected;
                if (fromBall < 0.9f)
                    expected = {0, 255, 0};
                else if (boxEdge < 0.25f - 1.0f / 32)
                    expected = {128, 64, 0};
                else if (fromBall > 1.1f && boxEdge > 0.25f + 1.0f / 32)
                    expected = {0, 0, 0};
                else
                    continue;
                if (!Testing::Near(frame.At(column, row), expected, 2) && wrong++ < 4)
                    first += " (" + std::to_string(column) + ", " + std::to_string(row) + ") is " +
                             Testing::ToText(frame.At(column, row)) + " not " + Testing::ToText(expected);
            }
        EXPECT_EQ(wrong, 0) << "pixels off the cube and the sphere, for example" << first;
    }
    state->effects.Pop();
    state->depthStencilStates.Pop();
}

}  // namespace collada_gl_test
