#pragma once
// The nodes that hand a target to the effect on top of the state; each throws "No TargetEffect
// set" when it needs an effect and none is there.
//   SolidNode   its solid to RenderSolid when the top of `targetTypes` is exactly solid; its
//               children are traversed in every case.
//   LightNode   its light through Render (to RenderLight), then its children.
//   CameraNode  its camera through Render (to RenderCamera); its children are not traversed.
// Each holds a counted reference to its target.

#include "core/Managed.h"
#include "utils/Solid.h"
#include "utils/scenegraph/Camera.h"
#include "utils/scenegraph/Light.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

class SolidNode : public Node {
public:
    SolidNode() : solid(new Solid()) {}
    int GetType() override { return NodeTypeSolid; }
    void Traverse(State& state) override;
    Solid* GetSolid() const { return solid.Get(); }

private:
    Managed<Solid> solid;
};

class LightNode : public Node {
public:
    explicit LightNode(Light* light);
    int GetType() override { return NodeTypeLight; }
    void Traverse(State& state) override;
    Light* GetLight() const { return light.Get(); }

private:
    Managed<Light> light;
};

class CameraNode : public Node {
public:
    explicit CameraNode(Camera* camera);
    int GetType() override { return NodeTypeCamera; }
    void Traverse(State& state) override;
    Camera* GetCamera() const { return camera.Get(); }

private:
    Managed<Camera> camera;
};

}  // namespace Nimbrel::Utils::SceneGraph
