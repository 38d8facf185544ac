#include "platform/PosixMutex.h"

#include <chrono>

namespace Nimbrel {

Mutex* Mutex::Create()
{
    return new PosixMutex();
}

bool PosixMutex::Lock(int milliseconds)
{
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(guard);
    if (depth > 0 && owner == self) {
        ++depth;
        return true;
    }
    auto isFree = [this] { return depth == 0; };
    if (milliseconds < 0)
        released.wait(hold, isFree);
    else if (!released.wait_for(hold, std::chrono::milliseconds(milliseconds), isFree))
        return false;
    owner = self;
    depth = 1;
    return true;
}

bool PosixMutex::Unlock()
{
    std::lock_guard<std::mutex> hold(guard);
    if (depth == 0 || owner != std::this_thread::get_id())
        return false;
    if (--depth == 0) {
        owner = std::thread::id();
        released.notify_one();
    }
    return true;
}

}  // namespace Nimbrel
