// A scene written in NSGML, loaded through the default proxy and drawn on the GL device with
// Cg under Xvfb at two times. The markup imports an NSG library (the square and the rotation
// controller "spin"), declares two materials, places a camera and two lights, and turns one
// square with the imported controller; the effect below takes its view and projection from the
// camera and its light from the lights, so every part of the markup shows in the pixels.
#include "utils/loaders/Nsgml.h"

#include "core/Managed.h"
#include "graphics/Parameter.h"
#include "io/ByteWriter.h"
#include "support/CgGLWindow.h"
#include "support/MemoryFileSystem.h"
#include "support/SDLVideo.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Effect.h"
#include "utils/Scene.h"
#include "utils/loaders/Nsg.h"
#include "utils/scenegraph/Camera.h"
#include "utils/scenegraph/Light.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/ScopedPush.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace nsgml_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;
using Math::Matrix4;
using Math::Vector3t;
using Testing::Rgb;

// Diffuse colour times the sum of the lights' colours.
const char* const LitSource = R"(
float4x4 WorldViewProjection;
float3 Diffuse;
float3 LightColor;

float4 vsMain(float4 position : N_POSITION) : POSITION
{
    return mul(WorldViewProjection, position);
}

float4 psMain() : COLOR
{
    return float4(Diffuse * LightColor, 1);
}
)";

// Three passes over the scene, chosen by the top of the state's target types: the camera
// pass takes the view and projection of the camera met, the light pass sums the colours of
// the lights met, the drawable pass draws with both.
class CameraLightEffect : public Effect {
public:
    explicit CameraLightEffect(Graphics::Program* program) : program(program) {}

    void RenderCamera(Target& target, State& state) override
    {
        if (state.targetTypes.Top() != TargetTypeCamera)
            return;
        auto& camera = static_cast<Camera&>(target);
        const float xfov = Value(camera.GetXFov(), state);
        const float aspect = Value(camera.GetAspect(), state);
        float up[3] = {0, 1, 0};
        camera.GetUp()->Evaluate(state, 3, up);
        const Matrix4& world = state.worlds.Top();
        const Vector3t<float> eye = world * Vector3t<float>(0, 0, 0);
        const Vector3t<float> ahead = world * Vector3t<float>(0, 0, -1);
        view = Matrix4::LookAt(eye, ahead, Vector3t<float>(up[0], up[1], up[2]));
        const float yfov = 2 * std::atan(std::tan(xfov * 0.5f * float(M_PI) / 180) / aspect) * 180 / float(M_PI);
        projection = Matrix4::Perspective(true, yfov, aspect, Value(camera.GetZNear(), state),
                                          Value(camera.GetZFar(), state));
        ++cameras;
    }

    void RenderLight(Target& target, State& state) override
    {
        if (state.targetTypes.Top() != TargetTypeLight)
            return;
        float color[3] = {0, 0, 0};
        static_cast<Light&>(target).GetColor()->Evaluate(state, 3, color);
        for (int i = 0; i < 3; ++i)
            light[i] += color[i];
    }

    void RenderDrawable(Target& target, State& state) override
    {
        if (state.targetTypes.Top() != TargetTypeDrawable)
            return;
        ScopedPush<Matrix4> viewed(state.views, view);
        ScopedPush<Matrix4> projected(state.projections, projection);
        ScopedPush<Graphics::Program*> pushed(state.programs, program);
        state.Begin();
        program->GetParameter("LightColor")->SetFloat3(1, light);
        static_cast<Drawable&>(target).Draw();
        state.End();
    }

    void Reset()
    {
        cameras = 0;
        light[0] = light[1] = light[2] = 0;
    }

    int cameras = 0;

private:
    static float Value(Controller* controller, State& state)
    {
        float value = 0;
        controller->Evaluate(state, 1, &value);
        return value;
    }

    Graphics::Program* program;
    Matrix4 view = Matrix4::Identity();
    Matrix4 projection = Matrix4::Identity();
    float light[3] = {0, 0, 0};
};

// A square in the frame: its centre in pixels from the top left, its half size in pixels.
struct Square {
    int x, y, half;
    Rgb color;
};

class NsgmlGLTest : public Testing::CgGLWindow {};

TEST_F(NsgmlGLTest, MarkupWithImportMaterialsLightsCameraAndRotationDrawsAtTwoTimes)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());

    // The library: a square of half size 0.5 and a half turn about z per second.
    {
        Managed<Scene> library(new Scene());
        Managed<Geometry> square = Testing::SquareGeometry(device.Get(), 0.5f);
        library->AddGeometry("square", Scene::GeometryResource(square.Get()));
        Managed<LinearController> spin(new LinearController(4, nullptr));
        const float start[] = {0, 0, 1, 0};
        const float end[] = {0, 0, 1, 180};
        spin->AddKey(0, 4, start);
        spin->AddKey(1, 4, end);
        library->AddController("spin", spin.Get());
        IO::ByteWriter out;
        Loaders::Nsg::Write(out, *library);
        (*files)["library.nsg"].assign(out.Data(), out.Data() + out.Size());
    }
    const std::string markup = R"markup(<scene>
  <import desc="library.nsg"/>
  <material id="paint"><diffuse value="(1, 1, 0)"/></material>
  <material id="chalk"><diffuse value="1, 1, 1"/></material>
  <name value="stage">
    <translate value="0, 0, 2">
      <camera xfov="90" aspect="1" znear="0.5" zfar="10" up="0, 1, 0"/>
    </translate>
    <light type="ambient" color="0, 0, 1"/>
    <light type="directional" color="0, 1"/>
    <rotate value="spin">
      <translate value="1, 0, 0">
        <apply_material id="paint"><draw_geometry id="square"/></apply_material>
      </translate>
    </rotate>
    <translate value="-1, -1, 0">
      <scale value="0.5, 0.5, 1">
        <apply_material id="chalk"><draw_geometry id="square"/></apply_material>
      </scale>
    </translate>
  </name>
</scene>
)markup";
    (*files)["stage.nsgml"].assign(markup.begin(), markup.end());
    Resource<Scene, ResourceType::Scene> scene(proxy.Get(), "stage.nsgml");

    Managed<Graphics::Program> program = Link(LitSource);
    Managed<CameraLightEffect> effect(new CameraLightEffect(program.Get()));

    // The camera at z = 2 sees x and y from -2 to 2 in the z = 0 plane: 16 pixels a unit, the
    // origin at (32, 32). The lights sum to (0, 1, 1): yellow paint shows green, white chalk
    // cyan.
    struct Moment {
        double time;
        std::vector<Square> squares;
    };
    const Moment moments[] = {
        // At 0 the painted square sits unturned at (1, 0).
        {0.0, {{48, 32, 8, {0, 255, 0}}, {16, 48, 4, {0, 255, 255}}}},
        // At 0.5 a quarter turn has carried it to (0, 1).
        {0.5, {{32, 16, 8, {0, 255, 0}}, {16, 48, 4, {0, 255, 255}}}},
    };
    ScopedPush<Effect*> effected(state->effects, effect.Get());
    for (const Moment& moment : moments) {
        SCOPED_TRACE("at " + std::to_string(moment.time));
        ScopedPush<double> time(state->times, moment.time);
        effect->Reset();
        device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
        for (TargetType pass : {TargetTypeCamera, TargetTypeLight, TargetTypeDrawable}) {
            ScopedPush<TargetType> kind(state->targetTypes, pass);
            scene->Traverse(*state);
        }
        EXPECT_EQ(effect->cameras, 1);
        const Testing::Frame frame = ReadFrame();

        int wrong = 0;
        std::string first;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                Rgb expected = {0, 0, 0};
                for (const Square& s : moment.squares)
                    if (x >= s.x - s.half && x < s.x + s.half && y >= s.y - s.half && y < s.y + s.half)
                        expected = s.color;
                if (!Testing::Near(frame.At(x, y), expected, 1) && wrong++ < 4)
                    first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Testing::ToText(frame.At(x, y));
            }
        EXPECT_EQ(wrong, 0) << "pixels off the expected squares, for example" << first;
    }
}

}  // namespace nsgml_gl_test
