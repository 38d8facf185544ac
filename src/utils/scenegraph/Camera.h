#pragma once
// SceneGraph::Camera: a camera handed to an effect's RenderCamera. Its values are controllers:
// horizontal field of view (0), aspect (4/3 as the float 0x3FAAAAAB), near (1) and far (1000)
// planes, and an empty up vector.

#include "core/Managed.h"
#include "utils/Target.h"
#include "utils/scenegraph/Controller.h"

namespace Nimbrel::Utils::SceneGraph {

class Camera : public Target {
public:
    Camera();

    TargetType GetType() override { return TargetTypeCamera; }

    // Each adds a reference to a non-null controller and releases the previous one.
    void SetXFov(Controller* c) { HoldController(xfov, c); }
    Controller* GetXFov() const { return xfov.Get(); }
    void SetAspect(Controller* c) { HoldController(aspect, c); }
    Controller* GetAspect() const { return aspect.Get(); }
    void SetZNear(Controller* c) { HoldController(znear, c); }
    Controller* GetZNear() const { return znear.Get(); }
    void SetZFar(Controller* c) { HoldController(zfar, c); }
    Controller* GetZFar() const { return zfar.Get(); }
    void SetUp(Controller* c) { HoldController(up, c); }
    Controller* GetUp() const { return up.Get(); }

private:
    Managed<Controller> xfov;
    Managed<Controller> aspect;
    Managed<Controller> znear;
    Managed<Controller> zfar;
    Managed<Controller> up;
};

}  // namespace Nimbrel::Utils::SceneGraph
