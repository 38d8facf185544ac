#pragma once
// Mutex: a lock owned by one thread at a time, recursive for its owner (the owner may lock it
// again and then unlocks it as often). Nothing in the engine creates one; it is there for
// engine users.

#include "core/Object.h"

namespace Nimbrel {

class Mutex : public Object {
public:
    // A new mutex that nobody owns.
    static Mutex* Create();

    ~Mutex() override = default;
    // Waits up to the given time for ownership (-1 without limit, 0 tries once); true when
    // the calling thread owns the mutex.
    virtual bool Lock(int milliseconds) = 0;
    // Gives up one level of ownership; false when the calling thread does not own the mutex.
    virtual bool Unlock() = 0;
};

}  // namespace Nimbrel
