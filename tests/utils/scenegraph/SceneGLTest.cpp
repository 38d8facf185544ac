// A scene of animated nodes drawn through an effect with a Cg program on the GL device under
// Xvfb, at two times: the controllers, the time node and the transform order put each square on
// the pixels worked out by hand below.
#include "utils/Scene.h"

#include "core/Managed.h"
#include "graphics/VertexSemantics.h"
#include "support/CgGLWindow.h"
#include "support/SDLVideo.h"
#include "utils/Effect.h"
#include "utils/Mesh.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/ScopedPush.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene_gl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;
using Testing::Rgb;

class FlatEffect : public Effect {
public:
    explicit FlatEffect(Graphics::Program* program) : program(program) {}
    void RenderDrawable(Target& target, State& state) override
    {
        ScopedPush<Graphics::Program*> pushed(state.programs, program);
        state.Begin();
        static_cast<Drawable&>(target).Draw();
        state.End();
    }
    Graphics::Program* program;
};

Managed<LinearController> Keys(int components, const std::vector<std::vector<float>>& keys)
{
    Managed<LinearController> controller(new LinearController(components, nullptr));
    for (const std::vector<float>& key : keys)
        controller->AddKey(key[0], components, key.data() + 1);
    return controller;
}

template <class T, class... Args>
Managed<T> Add(Node* parent, Args&&... args)
{
    Managed<T> node(new T(std::forward<Args>(args)...));
    parent->AddChild(node.Get());
    return node;
}

// Where a square should be at a time: its centre in pixels from the top left and its half
// size in pixels.
struct Spot {
    int x, y, half;
    Rgb color;
};

class SceneGLTest : public Testing::CgGLWindow {};

TEST_F(SceneGLTest, AnimatedNodesAtTwoTimes)
{
    ASSERT_NO_FATAL_FAILURE(Open(64, 64));
    Managed<Graphics::Program> program = Link(Testing::FlatSource);
    Managed<FlatEffect> effect(new FlatEffect(program.Get()));
    // 0.125 on each side of the centre: 8 by 8 pixels of a 64 by 64 frame.
    Managed<Geometry> square = Testing::SquareGeometry(device.Get(), 0.125f);
    GeometryResource geometry(square.Get());

    Managed<Scene> scene(new Scene());
    Managed<NameNode> root(new NameNode("root"));
    Managed<Controller> red(new ConstantController(3, std::vector<float>{1, 0, 0}.data()));
    Managed<Controller> green(new ConstantController(3, std::vector<float>{0, 1, 0}.data()));
    Managed<Controller> blue(new ConstantController(3, std::vector<float>{0, 0, 1}.data()));

    // Red: a quarter turn per half second about z, applied after the move to (0.5, 0.5).
    Managed<Controller> turn = Keys(4, {{0, 0, 0, 1, 0}, {1, 0, 0, 1, 180}});
    Managed<Controller> corner(new ConstantController(3, std::vector<float>{0.5f, 0.5f, 0}.data()));
    auto rotate = Add<RotateNode>(root.Get(), turn.Get());
    auto moveRed = Add<TranslateNode>(rotate.Get(), corner.Get());
    Add<DrawGeometryNode>(Add<Diffuse>(moveRed.Get(), red.Get()).Get(), geometry);

    // Green: at (0.5, -0.5), growing from 1 to 2 times its size over a second.
    Managed<Controller> lowRight(new ConstantController(3, std::vector<float>{0.5f, -0.5f, 0}.data()));
    Managed<Controller> grow = Keys(3, {{0, 1, 1, 1}, {1, 2, 2, 2}});
    auto moveGreen = Add<TranslateNode>(root.Get(), lowRight.Get());
    auto scale = Add<ScaleNode>(moveGreen.Get(), grow.Get());
    Add<DrawGeometryNode>(Add<Diffuse>(scale.Get(), green.Get()).Get(), geometry);

    // Blue: its own clock runs twice as fast; x slides from -0.5 to 0.5 over two seconds of it,
    // y is a constant 0 beside it in a composite.
    Managed<Controller> twice = Keys(1, {{0, 0}, {1, 2}});
    Managed<Controller> slide = Keys(1, {{0, -0.5f}, {2, 0.5f}});
    Managed<ConstantController> zero(new ConstantController(0.0f));
    Managed<CompositeController> place(new CompositeController(3));
    place->SetComponent(0, slide.Get(), 0);
    place->SetComponent(1, zero.Get(), 0);
    auto time = Add<TimeNode>(root.Get(), twice.Get());
    auto moveBlue = Add<TranslateNode>(time.Get(), place.Get());
    Add<DrawGeometryNode>(Add<Diffuse>(moveBlue.Get(), blue.Get()).Get(), geometry);
    scene->SetRoot(root.Get());

    // Clip space is the frame: x from -1 to 1 over columns 0 to 63, y from 1 to -1 over rows 0
    // to 63, so a point (x, y) lands at column 32 (x + 1), row 32 (1 - y), and the square's
    // half size of 0.125 is 4 pixels.
    struct Moment {
        double time;
        std::vector<Spot> squares;
    };
    const Moment moments[] = {
        // At 0: red unturned at (0.5, 0.5); green at its own size; blue at x = -0.5.
        {0.0, {{48, 16, 4, {255, 0, 0}}, {48, 48, 4, {0, 255, 0}}, {16, 32, 4, {0, 0, 255}}}},
        // At 0.5: red turned a quarter, (0.5, 0.5) -> (-0.5, 0.5); green 1.5 times its size;
        // blue at its local time 1, x = 0.
        {0.5, {{16, 16, 4, {255, 0, 0}}, {48, 48, 6, {0, 255, 0}}, {32, 32, 4, {0, 0, 255}}}},
    };
    state->effects.Push(effect.Get());
    for (const Moment& moment : moments) {
        SCOPED_TRACE("at " + std::to_string(moment.time));
        state->times.Push(moment.time);
        device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0, 0, 0, 1, 1, 0);
        scene->Traverse(*state);
        state->times.Pop();
        const Testing::Frame frame = ReadFrame();

        int wrong = 0;
        std::string first;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                Rgb expected = {0, 0, 0};
                for (const Spot& s : moment.squares)
                    if (x >= s.x - s.half && x < s.x + s.half && y >= s.y - s.half && y < s.y + s.half)
                        expected = s.color;
                if (frame.At(x, y) != expected && wrong++ < 4)
                    first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Testing::ToText(frame.At(x, y));
            }
        EXPECT_EQ(wrong, 0) << "pixels off the expected squares, for example" << first;
    }
    state->effects.Pop();
}

}  // namespace scene_gl_test
