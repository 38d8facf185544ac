#pragma once
// ChildProcess: a separate copy of this process that serves requests with one work function,
// so that a fault inside code the engine does not trust (a third-party compiler) ends that
// copy, never the engine.
//
// The child is started by Prepare or the first call and then kept: it answers one request
// after another, so what the work sets up once (a compiler's tables) serves every later
// request. When it dies on a request (a signal, an exit) or overruns the time limit (it is
// then killed), that call reports it and the next call starts a new child.
//
// The work runs in the child with the parent's memory as it was when the child started; it
// must not touch OpenGL, the window system or files the parent is writing, and it reports
// only through the returned bytes. The child ends without running exit handlers, flushing
// stdio or checking for leaks when the parent closes its end, which the parent's exit does.
// Requests and answers are blocks of bytes held in std::string. Used from one thread.

#include "core/Object.h"
#include "core/String.h"

#include <cstddef>
#include <string>

namespace Nimbrel {

class ChildProcess : public Object {
public:
    using Work = std::string (*)(const std::string& request);

    struct Outcome {
        bool completed = false;  // the work returned and its answer arrived whole
        std::string output;      // the answer (when completed)
        int signal = 0;          // the signal that ended the child, 0 when none
        bool timedOut = false;   // killed after the time limit
        std::string failure;     // why it did not complete, in words
    };

    // A child process that runs work; `name` says what it is in the failures it reports
    // ("compiler" gives "the compiler crashed (signal 11, ...)"). Nothing starts yet.
    static ChildProcess* Create(Work work, const String& name);

    // Ends the child, if there is one.
    ~ChildProcess() override = default;

    // Has the child run work on the request and waits at most timeoutSeconds for the answer.
    // Never throws for what happens in the child; a failure to start one is reported in the
    // outcome too.
    virtual Outcome Call(const std::string& request, double timeoutSeconds) = 0;
    // Starts the child now unless one runs; false when it cannot be started (Call tries again).
    virtual bool Prepare() = 0;
    // Ends the child, if there is one.
    virtual void Stop() = 0;
    // The child's process id, -1 when none runs.
    virtual int GetChild() const = 0;

    // Answers beyond this size are not accepted from the child.
    static constexpr size_t MaxOutput = 64u << 20;
    // Requests beyond this size are refused by the child.
    static constexpr size_t MaxRequest = 256u << 20;
};

}  // namespace Nimbrel
