#pragma once
// ProbeValue<T>: a handle to one probe, resolved by name once and then read and written by
// index (T is float or int; an int is stored as a float, the cell's only type).
//
// A handle holds a counted reference to its proxy, so the proxy outlives every handle bound
// to it. A default-constructed handle is unbound: reading or writing it throws
// "PValue::GetValue: Uninitalized Probe".

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/ProbeProxy.h"

#include <type_traits>

namespace Nimbrel::Utils {

template <class T>
class ProbeValue {
    static_assert(std::is_same_v<T, float> || std::is_same_v<T, int>, "probes hold float or int values");

public:
    ProbeValue() = default;
    // Binds to the global proxy; throws "No Global ProbeProxy" when there is none.
    explicit ProbeValue(const String& name) : ProbeValue(ProbeProxy::GetGlobal(), name) {}
    ProbeValue(ProbeProxy* proxy, const String& name) : index(proxy ? proxy->GetProbeIndex(name) : 0)
    {
        if (!proxy)
            throw Exception("PValue::PValue: No ProbeProxy given");
        proxy->AddRef();
        this->proxy.Set(proxy);
    }
    ProbeValue(const ProbeValue&) = default;
    ProbeValue& operator=(const ProbeValue&) = default;
    virtual ~ProbeValue() = default;

    // The cell's value. For an int probe this is the stored float.
    float GetValue() const { return Bound()->GetValue(index); }
    void SetValue(T value) { Bound()->SetValue(index, static_cast<float>(value)); }
    ProbeValue& operator=(T value)
    {
        SetValue(value);
        return *this;
    }

    int GetIndex() const { return index; }
    ProbeProxy* GetProxy() const { return proxy.Get(); }

private:
    ProbeProxy* Bound() const
    {
        if (!proxy)
            throw Exception("PValue::GetValue: Uninitalized Probe");
        return proxy.Get();
    }

    Managed<ProbeProxy> proxy;
    int32_t index = 0;
};

}  // namespace Nimbrel::Utils
