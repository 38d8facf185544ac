#pragma once
// Target: something an effect draws. Its type picks the effect's handler (Effect::Render).

#include "core/Object.h"
#include "utils/TargetType.h"

namespace Nimbrel::Utils {

class Target : public Object {
public:
    ~Target() override = default;
    virtual TargetType GetType() = 0;
};

}  // namespace Nimbrel::Utils
