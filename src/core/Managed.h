#pragma once
// Managed<T>: a counted pointer to an Object.
//
// Constructing from a raw pointer or Set() adopts the creator's reference without adding
// one; callers that keep their own reference AddRef() before handing the pointer over.
// Copying adds a reference, moving transfers it, destruction releases it.

#include "core/Exception.h"

#include <type_traits>
#include <utility>

namespace Nimbrel {

namespace Detail {
[[noreturn]] void ThrowManagedNull();
}

template <class T>
class Managed {
public:
    Managed() = default;
    explicit Managed(T* adopted) : object(adopted) {}
    Managed(const Managed& other) : object(other.object)
    {
        if (object)
            object->AddRef();
    }
    Managed(Managed&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Managed(const Managed<U>& other) : object(other.Get())
    {
        if (object)
            object->AddRef();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Managed(Managed<U>&& other) noexcept : object(other.Detach())
    {
    }
    ~Managed()
    {
        if (object)
            object->Release();
    }

    Managed& operator=(const Managed& other)
    {
        if (other.object)
            other.object->AddRef();
        Set(other.object);
        return *this;
    }
    Managed& operator=(Managed&& other) noexcept
    {
        if (this != &other)
            Set(std::exchange(other.object, nullptr));
        return *this;
    }

    // Releases the held object and adopts the given pointer's reference.
    void Set(T* adopted)
    {
        T* old = std::exchange(object, adopted);
        if (old)
            old->Release();
    }
    // Gives up the held reference to the caller without releasing it.
    T* Detach() { return std::exchange(object, nullptr); }

    T* Get() const { return object; }
    T* operator->() const
    {
        if (!object)
            Detail::ThrowManagedNull();
        return object;
    }
    T& operator*() const
    {
        if (!object)
            Detail::ThrowManagedNull();
        return *object;
    }
    explicit operator bool() const { return object != nullptr; }
    bool operator==(const Managed& other) const { return object == other.object; }

private:
    T* object = nullptr;
};

}  // namespace Nimbrel
