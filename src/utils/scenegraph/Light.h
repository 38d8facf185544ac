#pragma once
// SceneGraph::Light: a light source handed to an effect's RenderLight. Every value is a
// controller, empty until set (the loaders store constants for literal values); the type is
// 0 ambient, 1 omni (the default), 2 spot, 3 directional.

#include "core/Managed.h"
#include "utils/Target.h"
#include "utils/scenegraph/Controller.h"

#include <cstdint>

namespace Nimbrel::Utils::SceneGraph {

class Light : public Target {
public:
    enum Value {
        Color,
        ConstantAttenuation,
        LinearAttenuation,
        QuadraticAttenuation,
        NearAttenuationStart,
        FarAttenuationStart,
        NearAttenuationEnd,
        FarAttenuationEnd,
        FalloffAngle,
        FalloffExponent,
        ValueCount,
    };
    enum LightType : int32_t { Ambient = 0, Omni = 1, Spot = 2, Directional = 3 };

    TargetType GetType() override { return TargetTypeLight; }

    // Adds a reference to a non-null controller and releases the previous one.
    void Set(Value value, Controller* controller) { HoldController(values[value], controller); }
    Controller* Get(Value value) const { return values[value].Get(); }

    void SetColor(Controller* c) { Set(Color, c); }
    Controller* GetColor() const { return Get(Color); }
    void SetConstantAttenuation(Controller* c) { Set(ConstantAttenuation, c); }
    Controller* GetConstantAttenuation() const { return Get(ConstantAttenuation); }
    void SetLinearAttenuation(Controller* c) { Set(LinearAttenuation, c); }
    Controller* GetLinearAttenuation() const { return Get(LinearAttenuation); }
    void SetQuadraticAttenuation(Controller* c) { Set(QuadraticAttenuation, c); }
    Controller* GetQuadraticAttenuation() const { return Get(QuadraticAttenuation); }
    void SetNearAttenuationStart(Controller* c) { Set(NearAttenuationStart, c); }
    Controller* GetNearAttenuationStart() const { return Get(NearAttenuationStart); }
    void SetFarAttenuationStart(Controller* c) { Set(FarAttenuationStart, c); }
    Controller* GetFarAttenuationStart() const { return Get(FarAttenuationStart); }
    void SetNearAttenuationEnd(Controller* c) { Set(NearAttenuationEnd, c); }
    Controller* GetNearAttenuationEnd() const { return Get(NearAttenuationEnd); }
    void SetFarAttenuationEnd(Controller* c) { Set(FarAttenuationEnd, c); }
    Controller* GetFarAttenuationEnd() const { return Get(FarAttenuationEnd); }
    void SetFalloffAngle(Controller* c) { Set(FalloffAngle, c); }
    Controller* GetFalloffAngle() const { return Get(FalloffAngle); }
    void SetFalloffExponent(Controller* c) { Set(FalloffExponent, c); }
    Controller* GetFalloffExponent() const { return Get(FalloffExponent); }

    void SetLightType(int32_t value) { type = value; }
    int32_t GetLightType() const { return type; }

private:
    Managed<Controller> values[ValueCount];
    int32_t type = Omni;
};

}  // namespace Nimbrel::Utils::SceneGraph
