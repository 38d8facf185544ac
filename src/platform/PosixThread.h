#pragma once
// Thread on std::thread. The std::thread is only made by Start(), which is what makes a new
// Thread "suspended".

#include "platform/Thread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace Nimbrel {

class PosixThread : public Thread {
public:
    PosixThread(Procedure procedure, void* argument);
    ~PosixThread() override;

    bool Start() override;
    bool Suspend() override;
    bool Resume() override;
    bool Terminate() override;
    bool Wait(int milliseconds) override;

private:
    Procedure procedure;
    void* argument;
    std::thread thread;
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    // Set by the first Start for good: a thread runs its procedure at most once.
    bool started = false;
};

}  // namespace Nimbrel
