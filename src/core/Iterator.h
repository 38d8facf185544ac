#pragma once
// Iterator<T>: the forward-only cursor that maps hand out.
//
// A new iterator stands before the first element: while MoveNext() returns true, Current()
// gives the element it moved to. Current() throws when the iterator stands on no element
// (before the first MoveNext or after the last). Changing the container while iterating, or
// destroying it, invalidates the iterator.

#include "core/Exception.h"

namespace Nimbrel {

template <class T>
class Iterator : public Object {
public:
    virtual T Current() const = 0;
    virtual bool MoveNext() = 0;

protected:
    [[noreturn]] static void ThrowNoCurrent() { throw Exception("Iterator::Current(): The iterator stands on no element"); }
};

}  // namespace Nimbrel
