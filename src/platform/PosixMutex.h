#pragma once
// Mutex with the owner recorded, so a second lock by the owner nests and an unlock by another
// thread is refused instead of being undefined.

#include "platform/Mutex.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace Nimbrel {

class PosixMutex : public Mutex {
public:
    bool Lock(int milliseconds) override;
    bool Unlock() override;

private:
    std::mutex guard;
    std::condition_variable released;
    std::thread::id owner;
    int depth = 0;
};

}  // namespace Nimbrel
