// A COLLADA scene converted into markup beside an NSG library (the conversion scenetool makes)
// draws the same pixels as the original under Xvfb at three times: a textured cube lit by a
// turned directional light, and a sphere in an emission colour that an animation moves.
#include "SceneConversion.h"

#include "core/Managed.h"
#include "io/ByteWriter.h"
#include "support/CgGLWindow.h"
#include "support/ColladaLitEffect.h"
#include "support/ColladaWriter.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "support/SDLVideo.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene_conversion_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;

class SceneConversionGLTest : public Testing::CgGLWindow {
protected:
    std::vector<Testing::Frame> Draw(Scene& scene)
    {
        std::vector<Testing::Frame> frames;
        for (double time : times) {
            state->times.Push(time);
            device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
            scene.Traverse(*state);
            state->times.Pop();
            frames.push_back(ReadFrame());
        }
        return frames;
    }

    // Before, inside and after the animation's keys.
    const std::vector<double> times = {0.0, 0.7, 2.5};
};

TEST_F(SceneConversionGLTest, ConvertedCOLLADASceneDrawsTheSamePixelsAtThreeTimes)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Graphics::Program> litProgram = Link(Testing::ColladaLitSource);
    Managed<Graphics::Program> emissionProgram = Link(Testing::ColladaEmissionSource);
    Managed<Testing::ColladaLitEffect> effect(
        new Testing::ColladaLitEffect(litProgram.Get(), emissionProgram.Get()));

    Testing::ColladaWriter writer;
    writer.AddImage("orange", "maps/orange.png");
    writer.AddTextureEffect("orange-fx", "orange");
    writer.AddMaterial("orange-m", "orange-fx");
    writer.AddColorEffect("green-fx", "constant", "emission", {0, 1, 0});
    writer.AddMaterial("green-m", "green-fx");
    writer.AddMesh(Testing::CubeMesh("cube", 0.25f));
    writer.AddMesh(Testing::SphereMesh("ball", 0.2f, 16, 24));
    writer.AddDirectionalLight("sun-light", {1, 1, 1});
    writer.AddLinearAnimation("ball-x", "ball/move.X", {0.2f, 1.8f}, {0.1f, 0.8f}, 1);
    writer.AddNode("<node id=\"sun\"><rotate>0 1 0 120</rotate><instance_light url=\"#sun-light\"/></node>");
    writer.AddNode("<node id=\"box\" name=\"box\"><translate>-0.5 0 0</translate><rotate>1 1 0 30</rotate>" +
                   Testing::ColladaWriter::Instance("cube", "orange-m") + "</node>");
    writer.AddNode("<node id=\"ball\" name=\"ball\"><translate sid=\"move\">0 0 0</translate>" +
                   Testing::ColladaWriter::Instance("ball", "green-m") + "</node>");
    const std::string text = writer.Text();

    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["scene.dae"].assign(text.begin(), text.end());
    (*files)["maps/orange.png"] = Testing::EncodePngRgb(1, 1, {255, 128, 0});
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());

    Graphics::DepthStencilStateDescriptor depth;
    depth.depthEnable = true;
    state->depthStencilStates.Push(depth);
    state->effects.Push(effect.Get());

    Managed<Scene> original(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "scene.dae")));
    const std::vector<Testing::Frame> expected = Draw(*original);

    IO::ByteWriter library;
    IO::ByteWriter markup;
    SceneTools::ConvertScene(*original, "scene.nsg", library, markup);
    (*files)["scene.nsg"].assign(library.Data(), library.Data() + library.Size());
    (*files)["scene.nsgml"].assign(markup.Data(), markup.Data() + markup.Size());
    Managed<Scene> converted(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "scene.nsgml")));
    ASSERT_NE(converted.Get(), original.Get());
    const std::vector<Testing::Frame> frames = Draw(*converted);

    state->effects.Pop();
    state->depthStencilStates.Pop();

    // The frames show the moving sphere and the lit cube, so equal frames say something.
    const Testing::Rgb green = {0, 255, 0};
    const Testing::Rgb lit = expected[0].At(16, 32);
    EXPECT_TRUE(Testing::Near(expected[0].At(35, 32), green, 2)) << Testing::ToText(expected[0].At(35, 32));
    EXPECT_TRUE(Testing::Near(expected[2].At(57, 32), green, 2)) << Testing::ToText(expected[2].At(57, 32));
    // The cube's face is the orange map (twice as much red as green) dimmed by the light.
    EXPECT_GT(lit[0], 8) << Testing::ToText(lit);
    EXPECT_TRUE(Testing::Near(lit, {lit[0], lit[0] / 2, 0}, 1)) << Testing::ToText(lit);
    EXPECT_NE(expected[0].rgb, expected[1].rgb);
    EXPECT_NE(expected[1].rgb, expected[2].rgb);
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE("at " + std::to_string(times[i]));
        EXPECT_EQ(frames[i].width, expected[i].width);
        EXPECT_EQ(frames[i].height, expected[i].height);
        int differing = 0;
        for (size_t b = 0; b < expected[i].rgb.size() && b < frames[i].rgb.size(); ++b)
            differing += frames[i].rgb[b] != expected[i].rgb[b];
        EXPECT_EQ(differing, 0) << "bytes of the converted scene's frame that differ from the original's";
    }
}

}  // namespace scene_conversion_gl_test
