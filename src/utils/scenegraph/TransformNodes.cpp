#include "utils/scenegraph/TransformNodes.h"

#include "utils/State.h"
#include "utils/scenegraph/ScopedPush.h"

namespace Nimbrel::Utils::SceneGraph {

Math::Matrix4 TransformNode::GetMatrix(State&)
{
    return matrix;
}

void TransformNode::Traverse(State& state)
{
    const Math::Matrix4 local = GetMatrix(state);
    ScopedPush<Math::Matrix4> pushed(state.worlds, state.worlds.Top() * local);
    TraverseChildren(state);
}

ControlledTransformNode::ControlledTransformNode(Controller* given)
{
    if (given)
        given->AddRef();
    controller.Set(given);
}

void ControlledTransformNode::Evaluate(State& state, int count, float* values)
{
    if (controller)
        controller->Evaluate(state, count, values);
}

Math::Matrix4 MatrixNode::GetMatrix(State& state)
{
    Math::Matrix4 m;
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = m[i];
    Evaluate(state, 16, values);
    for (int i = 0; i < 16; ++i)
        m[i] = values[i];
    return m;
}

Math::Matrix4 TranslateNode::GetMatrix(State& state)
{
    float v[3] = {0, 0, 0};
    Evaluate(state, 3, v);
    return Math::Matrix4::Translation(v[0], v[1], v[2]);
}

Math::Matrix4 ScaleNode::GetMatrix(State& state)
{
    float v[3] = {0, 0, 0};
    Evaluate(state, 3, v);
    return Math::Matrix4::Scaling(v[0], v[1], v[2]);
}

Math::Matrix4 RotateNode::GetMatrix(State& state)
{
    float v[4] = {0, 0, 0, 0};
    Evaluate(state, 4, v);
    if (v[0] * v[0] + v[1] * v[1] + v[2] * v[2] == 0.0f)
        return Math::Matrix4::Identity();
    return Math::Matrix4::Rotation(v[3], v[0], v[1], v[2]);
}

void BoneNode::Traverse(State& state)
{
    matrix = state.worlds.Top();
    TraverseChildren(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
