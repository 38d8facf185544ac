#pragma once
// The transform nodes: each pushes the parent's world matrix times its local matrix on
// `worlds` for its children, so the local transform applies first.
//
// The local matrix comes from the node's controller, evaluated at the current time; values the
// controller does not supply keep their defaults:
//   MatrixNode     16 values in storage order (defaults: identity);
//   TranslateNode  x, y, z (0);
//   ScaleNode      x, y, z (0);
//   RotateNode     axis x, y, z and the angle in degrees (0): a zero axis gives the identity.
// A BoneNode keeps the world matrix it was last traversed with.

#include "core/Managed.h"
#include "math/Matrix4.h"
#include "utils/scenegraph/Controller.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

class TransformNode : public Node {
public:
    void Traverse(State& state) override;
    // The stored matrix (identity); the subclasses compute theirs.
    virtual Math::Matrix4 GetMatrix(State& state);

protected:
    Math::Matrix4 matrix;
};

// A transform node whose local matrix comes from a controller. Adds a reference to the
// controller; null gives the defaults.
class ControlledTransformNode : public TransformNode {
public:
    explicit ControlledTransformNode(Controller* controller);
    Controller* GetController() const { return controller.Get(); }

protected:
    // The controller's values over `count` defaults.
    void Evaluate(State& state, int count, float* values);

private:
    Managed<Controller> controller;
};

class MatrixNode : public ControlledTransformNode {
public:
    using ControlledTransformNode::ControlledTransformNode;
    int GetType() override { return NodeTypeMatrix; }
    Math::Matrix4 GetMatrix(State& state) override;
};

class TranslateNode : public ControlledTransformNode {
public:
    using ControlledTransformNode::ControlledTransformNode;
    int GetType() override { return NodeTypeTranslate; }
    Math::Matrix4 GetMatrix(State& state) override;
};

class RotateNode : public ControlledTransformNode {
public:
    using ControlledTransformNode::ControlledTransformNode;
    int GetType() override { return NodeTypeRotate; }
    Math::Matrix4 GetMatrix(State& state) override;
};

class ScaleNode : public ControlledTransformNode {
public:
    using ControlledTransformNode::ControlledTransformNode;
    int GetType() override { return NodeTypeScale; }
    Math::Matrix4 GetMatrix(State& state) override;
};

// A placeholder for skinning: copies the current world matrix and traverses its children.
class BoneNode : public TransformNode {
public:
    int GetType() override { return NodeTypeBone; }
    void Traverse(State& state) override;
};

}  // namespace Nimbrel::Utils::SceneGraph
