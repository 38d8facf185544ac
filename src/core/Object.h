#pragma once
// The common base of every engine class: an intrusive reference count.
//
// A new object starts with a count of 1, owned by whoever created it (usually adopted at
// once by a Managed<T>). Release() destroys the object through its virtual destructor when
// the last reference goes. Counts are not thread safe: only the main thread adds or drops
// references. Objects that live inside other objects or on the stack are never released to
// zero by their owners.

#include <cstdint>

namespace Nimbrel {

class Object {
public:
    Object() = default;
    // A copy is a new object with its own single reference; the count is never copied.
    Object(const Object&) {}
    Object& operator=(const Object&) { return *this; }
    virtual ~Object() = default;

    void AddRef() { ++refCount; }
    void Release()
    {
        if (refCount-- == 1)
            delete this;
    }
    int32_t GetRefCount() const { return refCount; }

private:
    int32_t refCount = 1;
};

}  // namespace Nimbrel
