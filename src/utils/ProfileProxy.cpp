#include "utils/ProfileProxy.h"

#include "core/Exception.h"
#include "platform/Clock.h"

namespace Nimbrel::Utils {

namespace ProfileProxyDetail {
ProfileProxy* global = nullptr;
}

ProfileProxy::ProfileProxy() : ProfileProxy(ProbeProxy::GetGlobal()) {}

ProfileProxy::ProfileProxy(ProbeProxy* probes) : clock(&GetSeconds)
{
    if (!probes)
        throw Exception("ProfileProxy: No ProbeProxy given");
    probes->AddRef();
    this->probes.Set(probes);
    if (!ProfileProxyDetail::global)
        ProfileProxyDetail::global = this;
}

ProfileProxy::ProfileProxy(ProbeProxy* probes, const String& name) : ProfileProxy(probes)
{
    Begin(name);
}

ProfileProxy::~ProfileProxy()
{
    if (ProfileProxyDetail::global == this)
        ProfileProxyDetail::global = nullptr;
}

void ProfileProxy::SetGlobal()
{
    ProfileProxyDetail::global = this;
}

ProfileProxy* ProfileProxy::GetGlobal()
{
    if (!ProfileProxyDetail::global)
        throw Exception("No Global ProfileProxy Set");
    return ProfileProxyDetail::global;
}

void ProfileProxy::Begin(const String& name)
{
    Open(name, false);
}

void ProfileProxy::BeginAccumulate(const String& name)
{
    Open(name, true);
}

void ProfileProxy::Open(const String& name, bool accumulate)
{
    ActiveProfile profile;
    profile.name = active.IsEmpty() ? name : active.Top().name + "." + name;
    profile.accumulate = accumulate;
    profile.start = clock();
    active.Push(profile);
}

ProbeValue<float> ProfileProxy::End()
{
    ActiveProfile profile = active.Pop();
    ProbeValue<float> probe(probes.Get(), profile.name);
    double duration = clock() - profile.start;
    if (profile.accumulate)
        probe.SetValue(static_cast<float>(probe.GetValue() + duration));
    else
        probe.SetValue(static_cast<float>(duration));
    return probe;
}

}  // namespace Nimbrel::Utils
