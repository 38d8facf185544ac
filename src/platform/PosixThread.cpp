#include "platform/PosixThread.h"

#include <chrono>

namespace Nimbrel {

Thread* Thread::Create(Procedure procedure, void* argument)
{
    return new PosixThread(procedure, argument);
}

PosixThread::PosixThread(Procedure procedure, void* argument)
    : procedure(procedure), argument(argument)
{
}

PosixThread::~PosixThread()
{
    if (thread.joinable())
        thread.join();
}

bool PosixThread::Start()
{
    if (started)
        return false;
    started = true;
    thread = std::thread([this] {
        procedure(argument);
        std::lock_guard<std::mutex> guard(lock);
        finished = true;
        ended.notify_all();
    });
    return true;
}

bool PosixThread::Suspend()
{
    return false;
}

bool PosixThread::Resume()
{
    if (!started)
        return Start();
    return true;
}

bool PosixThread::Terminate()
{
    return false;
}

bool PosixThread::Wait(int milliseconds)
{
    if (!thread.joinable())
        return finished;
    {
        std::unique_lock<std::mutex> guard(lock);
        if (milliseconds < 0)
            ended.wait(guard, [this] { return finished; });
        else if (!ended.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return finished; }))
            return false;
    }
    thread.join();
    return true;
}

}  // namespace Nimbrel
