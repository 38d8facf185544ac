// Controllers evaluated against the render state's time: constant values, keyed curves with
// their search position, and composites assembled from components of other controllers.
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/LinearController.h"

#include "core/Managed.h"
#include "utils/State.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace controller_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

float At(Controller& controller, State& state, double time, int component = 0)
{
    state.times.Push(time);
    float out[16] = {};
    controller.Evaluate(state, 16, out);
    state.times.Pop();
    return out[component];
}

Managed<LinearController> Ramp()
{
    Managed<LinearController> ramp(new LinearController(1, nullptr));
    const float zero = 0, ten = 10;
    ramp->AddKey(0, 1, &zero);
    ramp->AddKey(2, 1, &ten);
    return ramp;
}

TEST(LinearController, HoldsOutsideItsKeysAndInterpolatesBetween)
{
    State state;
    Managed<LinearController> ramp = Ramp();
    struct Case {
        double time;
        float expected;
    };
    for (const Case& c : {Case{1, 5}, {-1, 0}, {3, 10}, {0, 0}, {2, 10}, {0.5, 2.5f}, {1.5, 7.5f}})
        EXPECT_FLOAT_EQ(At(*ramp, state, c.time), c.expected) << "at " << c.time;
}

TEST(LinearController, AnEmptyTimeStackMeansTimeZero)
{
    State state;
    state.times.Pop();
    Managed<LinearController> ramp(new LinearController(1, nullptr));
    const float values[] = {4, 8};
    ramp->AddKey(-2, 1, &values[0]);
    ramp->AddKey(2, 1, &values[1]);
    float out = -1;
    EXPECT_EQ(ramp->Evaluate(state, 1, &out), 1);
    EXPECT_FLOAT_EQ(out, 6);
}

TEST(LinearController, GoingBackInTimeGivesFreshValues)
{
    State state;
    Managed<LinearController> curve(new LinearController(1, nullptr));
    const float values[] = {0, 1, 5, -3, 2};
    for (int k = 0; k < 5; ++k)
        curve->AddKey(float(k) * 0.5f, 1, &values[k]);
    const std::vector<double> times = {0.5, 1.5, 0.2, 1.9, 0.01, 1.1, 0.75, 2.5, 0.3};
    for (double time : times) {
        Managed<LinearController> fresh(new LinearController(1, nullptr));
        for (int k = 0; k < 5; ++k)
            fresh->AddKey(float(k) * 0.5f, 1, &values[k]);
        EXPECT_FLOAT_EQ(At(*curve, state, time), At(*fresh, state, time)) << "at " << time;
    }
}

TEST(LinearController, KeysAtTheSameTimeMakeAStepWithoutDividingByZero)
{
    State state;
    Managed<LinearController> step(new LinearController(1, nullptr));
    const float values[] = {0, 1, 9, 10};
    step->AddKey(0, 1, &values[0]);
    step->AddKey(1, 1, &values[1]);
    step->AddKey(1, 1, &values[2]);
    step->AddKey(2, 1, &values[3]);
    EXPECT_FLOAT_EQ(At(*step, state, 0.5), 0.5f);
    EXPECT_FLOAT_EQ(At(*step, state, 1), 9);
    EXPECT_FLOAT_EQ(At(*step, state, 1.5), 9.5f);
    EXPECT_FLOAT_EQ(At(*step, state, 0.99), 0.99f);  // after the cursor moved past the step
    EXPECT_FALSE(std::isnan(At(*step, state, std::nan(""))));

    Managed<LinearController> pair(new LinearController(1, nullptr));
    pair->AddKey(3, 1, &values[0]);
    pair->AddKey(3, 1, &values[3]);
    for (double time : {2.0, 3.0, 4.0})
        EXPECT_FALSE(std::isnan(At(*pair, state, time))) << "at " << time;
    EXPECT_FLOAT_EQ(At(*pair, state, 3), 10);
}

TEST(LinearController, ShortKeysTakeTheDefaultsAndKeysMustNotGoBack)
{
    State state;
    const float defaults[] = {7, 8, 9};
    Managed<LinearController> withDefaults(new LinearController(3, defaults));
    Managed<LinearController> withoutDefaults(new LinearController(3, nullptr));
    const float one = 1;
    withDefaults->AddKey(0, 1, &one);
    withoutDefaults->AddKey(0, 1, &one);
    float out[3];
    withDefaults->Evaluate(state, 3, out);
    EXPECT_EQ(std::vector<float>(out, out + 3), (std::vector<float>{1, 8, 9}));
    withoutDefaults->Evaluate(state, 3, out);
    EXPECT_EQ(std::vector<float>(out, out + 3), (std::vector<float>{1, 0, 0}));

    Managed<LinearController> empty(new LinearController(3, defaults));
    empty->Evaluate(state, 3, out);
    EXPECT_EQ(std::vector<float>(out, out + 3), (std::vector<float>{7, 8, 9}));

    EXPECT_THROW(withDefaults->AddKey(-1, 1, &one), Exception);
    EXPECT_THROW(withDefaults->AddKey(std::nanf(""), 1, &one), Exception);
    EXPECT_THROW(withDefaults->AddKey(1, -1, &one), Exception);
    EXPECT_EQ(withDefaults->GetKeyCount(), 1);
}

TEST(Controller, EvaluateWritesNoMoreThanAskedOrHeld)
{
    State state;
    const float three[] = {1, 2, 3};
    Managed<ConstantController> constant(new ConstantController(3, three));
    Managed<LinearController> linear(new LinearController(3, three));
    Managed<CompositeController> composite(new CompositeController(3));
    for (Controller* controller : std::vector<Controller*>{constant.Get(), linear.Get(), composite.Get()}) {
        float out[16];
        std::fill(out, out + 16, -5.0f);
        EXPECT_EQ(controller->Evaluate(state, 1, out), 1);
        EXPECT_EQ(out[1], -5.0f);
        EXPECT_EQ(controller->Evaluate(state, 16, out), 3);
        EXPECT_EQ(out[3], -5.0f);
        EXPECT_EQ(controller->Evaluate(state, 0, out), 0);
        EXPECT_EQ(controller->Evaluate(state, -2, out), 0);
        EXPECT_THROW(controller->EvaluateComponent(state, 3), Exception);
        EXPECT_THROW(controller->EvaluateComponent(state, -1), Exception);
    }
    EXPECT_THROW(ConstantController(-1, three), Exception);
    EXPECT_THROW(LinearController(-1, nullptr), Exception);
    EXPECT_THROW(CompositeController(-1), Exception);
}

TEST(CompositeController, TakesComponentsOfItsSourcesAndZeroWhereThereIsNone)
{
    State state;
    Managed<LinearController> linear(new LinearController(3, nullptr));
    const float first[] = {0, 10, 100}, second[] = {1, 20, 300};
    linear->AddKey(0, 3, first);
    linear->AddKey(1, 3, second);
    Managed<ConstantController> constant(new ConstantController(4.5f));
    Managed<CompositeController> composite(new CompositeController(3));
    composite->SetComponent(0, linear.Get(), 2);
    composite->SetComponent(2, constant.Get(), 0);
    EXPECT_FLOAT_EQ(At(*composite, state, 0.5, 0), 200);
    EXPECT_FLOAT_EQ(At(*composite, state, 0.25, 0), 150);
    EXPECT_EQ(At(*composite, state, 0.5, 1), 0);
    EXPECT_EQ(At(*composite, state, 0.5, 2), 4.5f);

    // A source of many components needs no buffer of a fixed size.
    std::vector<float> many(1000);
    for (int i = 0; i < 1000; ++i)
        many[i] = float(i);
    Managed<ConstantController> wide(new ConstantController(1000, many.data()));
    Managed<LinearController> wideCurve(new LinearController(1000, many.data()));
    composite->SetComponent(1, wide.Get(), 999);
    EXPECT_EQ(At(*composite, state, 0, 1), 999);
    composite->SetComponent(1, wideCurve.Get(), 700);
    EXPECT_EQ(At(*composite, state, 0, 1), 700);
    EXPECT_EQ(composite->Controller::EvaluateComponent(state, 1), 700);  // through Evaluate
}

TEST(CompositeController, RefusesComponentsOutOfRangeAndCycles)
{
    Managed<ConstantController> pair(new ConstantController(2, std::vector<float>{1, 2}.data()));
    Managed<CompositeController> a(new CompositeController(2));
    Managed<CompositeController> b(new CompositeController(1));
    EXPECT_THROW(a->SetComponent(0, pair.Get(), 2), Exception);
    EXPECT_THROW(a->SetComponent(0, pair.Get(), -1), Exception);
    EXPECT_THROW(a->SetComponent(2, pair.Get(), 0), Exception);
    EXPECT_THROW(a->SetComponent(-1, pair.Get(), 0), Exception);
    EXPECT_EQ(a->GetSource(0), nullptr);

    b->SetComponent(0, a.Get(), 1);
    EXPECT_THROW(a->SetComponent(0, b.Get(), 0), Exception);
    EXPECT_THROW(a->SetComponent(0, a.Get(), 0), Exception);

    // The composite holds its sources.
    const int held = pair->GetRefCount();
    a->SetComponent(1, pair.Get(), 1);
    EXPECT_EQ(pair->GetRefCount(), held + 1);
    a->SetComponent(1, nullptr, 0);
    EXPECT_EQ(pair->GetRefCount(), held);
}

}  // namespace controller_test
