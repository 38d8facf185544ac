#pragma once
// ProbeVector<V, N>: a handle to N probes that together form one vector value V, named after
// a prefix with ".x", ".y", ".z" and ".w" appended (registered in that order). The instance in
// use is ProbeVector<Math::Vector3t<float>, 3>. V must be constructible from N floats.
//
// Like ProbeValue, a handle holds a counted reference to its proxy; an unbound handle throws
// "PVector::GetValue: Uninitalized Probe" when read.

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/ProbeProxy.h"

#include <utility>

namespace Nimbrel::Utils {

template <class V, int N>
class ProbeVector {
    static_assert(N >= 1 && N <= 4, "a probe vector has one to four components");

public:
    ProbeVector() = default;
    // Binds to the global proxy; throws "No Global ProbeProxy" when there is none.
    explicit ProbeVector(const String& name) : ProbeVector(ProbeProxy::GetGlobal(), name) {}
    ProbeVector(ProbeProxy* proxy, const String& name)
    {
        if (!proxy)
            throw Exception("PVector::PVector: No ProbeProxy given");
        static const char* const suffixes[4] = {".x", ".y", ".z", ".w"};
        for (int i = 0; i < N; ++i)
            indices[i] = proxy->GetProbeIndex(name + suffixes[i]);
        proxy->AddRef();
        this->proxy.Set(proxy);
    }
    ProbeVector(const ProbeVector&) = default;
    ProbeVector& operator=(const ProbeVector&) = default;
    virtual ~ProbeVector() = default;

    // The N cells in component order.
    V GetValue() const
    {
        if (!proxy)
            throw Exception("PVector::GetValue: Uninitalized Probe");
        return Gather(std::make_integer_sequence<int, N>());
    }

    // Throws for a component outside 0 ... N - 1.
    int GetIndex(int component) const
    {
        if (component < 0 || component >= N)
            throw Exception("PVector::GetIndex: No such component");
        return indices[component];
    }
    ProbeProxy* GetProxy() const { return proxy.Get(); }

private:
    template <int... I>
    V Gather(std::integer_sequence<int, I...>) const
    {
        return V(proxy->GetValue(indices[I])...);
    }

    Managed<ProbeProxy> proxy;
    int32_t indices[N] = {};
};

}  // namespace Nimbrel::Utils
