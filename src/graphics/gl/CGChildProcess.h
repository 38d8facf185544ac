#pragma once
// CGChildProcess: a forked copy of this process that serves requests with one work function,
// so that a fault inside a third-party compiler ends that copy, never the engine.
//
// The child is forked by Prepare or the first call and then kept: it answers one request
// after another, so what the work sets up once (a compiler's tables) serves every later
// request. When it dies on a request (a signal, an exit) or overruns the time limit (it is
// then killed), that call reports it and the next call forks a new child.
//
// The work runs in the child with the parent's memory as it was at the fork; it must not
// touch OpenGL, the window system or files the parent is writing, and it reports only through
// the returned string. The child ends with _exit (no atexit handlers, no stdio flush, no leak
// check) when the parent closes its end, which the parent's exit does. Used from one thread.

#include <string>
#include <sys/types.h>

namespace Nimbrel::Graphics {

class CGChildProcess {
public:
    using Work = std::string (*)(const std::string& request);

    struct Outcome {
        bool completed = false;  // the work returned and its answer arrived whole
        std::string output;      // the answer (when completed)
        int signal = 0;          // the signal that ended the child, 0 when none
        bool timedOut = false;   // killed after the time limit
        std::string failure;     // why it did not complete, in words
    };

    explicit CGChildProcess(Work work) : work(work) {}
    ~CGChildProcess() { Stop(); }
    CGChildProcess(const CGChildProcess&) = delete;
    CGChildProcess& operator=(const CGChildProcess&) = delete;

    // Has the child run work on the request and waits at most timeoutSeconds for the answer.
    // Never throws for what happens in the child; a failure to start one is reported in the
    // outcome too.
    Outcome Call(const std::string& request, double timeoutSeconds);
    // Forks the child now unless one runs; false when it cannot be started (Call tries again).
    bool Prepare();
    // Ends the child, if there is one.
    void Stop();
    // The child's process id, -1 when none runs.
    pid_t GetChild() const { return child; }

    // Answers beyond this size are not accepted from the child.
    static constexpr size_t MaxOutput = 64u << 20;

private:
    bool Start(std::string& failure);
    [[noreturn]] void Serve();

    Work work;
    pid_t child = -1;
    int channel = -1;  // the parent's end of the socket pair
};

}  // namespace Nimbrel::Graphics
