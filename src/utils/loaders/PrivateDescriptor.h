#pragma once
// A descriptor for a nested request whose object must not be shared through the cache.
//
// The proxy hands every request with the same type and descriptor the same cached object.
// A decoder cannot share its input that way: it keeps a read position inside it, and an
// audio stream given to an outlet is read on the feeder thread from then on. A loader that
// needs an object of its own asks for PrivateDescriptor(descriptor): the same descriptor
// with a hint block holding a number no earlier call returned. The hint ("Private=N") is
// ignored by every service and the hints of the outer request still apply, so the same file
// is found; the proxy records the object under the new descriptor, and Collect frees it once
// its user lets go.

#include "core/String.h"

namespace Nimbrel::Utils::Loaders {

String PrivateDescriptor(const String& descriptor);

}  // namespace Nimbrel::Utils::Loaders
