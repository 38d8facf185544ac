#pragma once
// DefaultResourceProxy: the resource proxy with the engine's standard services.
//
// The order of registration decides the order of attempts: for a type, the service
// registered last is tried first. The full list, in order, is in DefaultResourceProxy.cpp.

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils {

class DefaultResourceProxy : public ResourceProxy {
public:
    DefaultResourceProxy();

private:
    // Registers the service and drops the creation reference; the proxy keeps its own.
    void Register(Service* service);
};

}  // namespace Nimbrel::Utils
