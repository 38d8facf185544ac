#pragma once
// Resource<T, type>: the client's handle to a loaded object.
//
// A handle made from a descriptor asks a proxy for it (the global proxy unless one is
// given) and holds a counted reference to both the object and the proxy, so the proxy lives
// at least as long as the handles it served. A handle can also wrap an object that did not
// come from a proxy. Copies share the object and add references; destruction releases the
// object, then the proxy.
//
//     Resource<IO::Stream, ResourceType::InputStream> file(proxy, "data/notes.txt");
//     int length = file->GetLength();
//
// Access to an empty handle throws "Accessing uninitialized resource".

#include "core/Exception.h"
#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils {

template <class T, ResourceType type>
class Resource {
public:
    Resource() = default;
    explicit Resource(const String& descriptor) : Resource(ResourceProxy::GetGlobal(), descriptor) {}
    Resource(ResourceProxy* proxy, const String& descriptor)
        : descriptor(descriptor), object(Request(proxy, descriptor)), proxy(proxy)
    {
        proxy->AddRef();
    }
    // Wraps an object that is not the proxy's; adds a reference to it.
    explicit Resource(T* existing) : object(existing)
    {
        if (object)
            object->AddRef();
    }
    // Wraps an object a proxy served under `descriptor` without holding the proxy: for owners
    // the proxy itself keeps alive, where a handle on the proxy would close a cycle. The
    // descriptor stays, so the object can still be referred to by name.
    static Resource WithoutProxy(T* existing, const String& descriptor)
    {
        Resource handle(existing);
        handle.descriptor = descriptor;
        return handle;
    }
    Resource(const Resource& other) : descriptor(other.descriptor), object(other.object), proxy(other.proxy)
    {
        if (object)
            object->AddRef();
        if (proxy)
            proxy->AddRef();
    }
    ~Resource() { ReleaseAll(); }

    // Takes the other handle's proxy, descriptor (when it has a proxy) and object. References
    // are taken before the old ones go, so assigning a handle to itself changes nothing.
    Resource& operator=(const Resource& other)
    {
        T* newObject = other.object;
        ResourceProxy* newProxy = other.proxy;
        String newDescriptor = other.descriptor;
        if (newObject)
            newObject->AddRef();
        if (newProxy)
            newProxy->AddRef();
        ReleaseAll();
        proxy = newProxy;
        if (proxy)
            descriptor = newDescriptor;
        object = newObject;
        return *this;
    }

    T* Get() const
    {
        if (!object)
            throw Exception("Accessing uninitialized resource");
        return object;
    }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    bool IsEmpty() const { return object == nullptr; }

    const String& GetDescriptor() const { return descriptor; }
    ResourceProxy* GetProxy() const { return proxy; }

private:
    // The object the proxy returns, with the proxy's reference for this handle. An object
    // that is not a T is a fault of the service that made it.
    static T* Request(ResourceProxy* proxy, const String& descriptor)
    {
        if (!proxy)
            throw Exception("Resource: No ResourceProxy given");
        Object* loaded = proxy->Get(type, descriptor);
        T* typed = dynamic_cast<T*>(loaded);
        if (!typed) {
            loaded->Release();
            throw Exception("Resource '" + descriptor + "' is not of the requested type");
        }
        return typed;
    }

    void ReleaseAll()
    {
        if (object)
            object->Release();
        if (proxy)
            proxy->Release();
        object = nullptr;
        proxy = nullptr;
    }

    String descriptor;
    T* object = nullptr;
    ResourceProxy* proxy = nullptr;
};

}  // namespace Nimbrel::Utils
