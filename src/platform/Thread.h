#pragma once
// Thread: a thread of the engine, created suspended.
//
// Nothing runs until Start() (or Resume()). A Thread destroyed without being started never
// runs its procedure; destroying a started Thread waits for the procedure to return, so an
// owner that wants a bounded wait calls Wait() first. This platform cannot stop or pause a
// running thread from outside: Suspend() and Terminate() do nothing and report failure.
// A Thread object is created, driven and destroyed by one owner thread.

#include "core/Object.h"

namespace Nimbrel {

class Thread : public Object {
public:
    using Procedure = void (*)(void* argument);

    // A new suspended thread that will call procedure(argument) once started.
    static Thread* Create(Procedure procedure, void* argument);

    ~Thread() override = default;
    // Lets the thread run. False when it was already started, running or done.
    virtual bool Start() = 0;
    virtual bool Suspend() = 0;
    // Lets a thread that was never started run; true when the thread is (now) running or done.
    virtual bool Resume() = 0;
    virtual bool Terminate() = 0;
    // Waits for the procedure to return: true when it returned within the time (-1 waits
    // without limit). A thread that was never started cannot end: false at once.
    virtual bool Wait(int milliseconds) = 0;
};

}  // namespace Nimbrel
