#pragma once
// A nested request for an object that must not be shared through the cache.
//
// The proxy hands every request with the same type and descriptor the same cached object.
// A decoder cannot share its input that way: it keeps a read position inside it, and an
// audio stream given to an outlet is read on the feeder thread from then on. A loader that
// needs an object of its own asks for it with RequestPrivate: the proxy loads it afresh for
// the same descriptor (the hints of the outer request still apply, so the same file is
// found) and records nothing, so the object goes when its user lets go, also when the
// loader fails after asking, and a failure report reads the same every time.

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

// The new object, or "Resource '<descriptor>' is not of the requested type" when a service
// made something else.
template <class T>
Managed<T> RequestPrivate(ResourceProxy* proxy, ResourceType type, const String& descriptor)
{
    Object* loaded = proxy->GetPrivate(type, descriptor);
    T* typed = dynamic_cast<T*>(loaded);
    if (!typed) {
        loaded->Release();
        throw Exception("Resource '" + descriptor + "' is not of the requested type");
    }
    return Managed<T>(typed);
}

}  // namespace Nimbrel::Utils::Loaders
