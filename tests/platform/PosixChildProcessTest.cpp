// A child process: answers come back, and a child that crashes, exits, hangs or answers
// too much is reported and replaced, while this process goes on.
#include "core/Managed.h"
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

namespace child_process_test {

using Nimbrel::ChildProcess;
using Nimbrel::Managed;

std::string Work(const std::string& request)
{
    if (request == "crash")
        raise(SIGSEGV);
    if (request == "exit")
        _exit(7);
    if (request == "hang")
        for (;;)
            pause();
    if (request == "throw")
        throw 1;
    if (request == "flood")
        return std::string(ChildProcess::MaxOutput + 1, 'x');
    return "echo:" + request;
}

TEST(PosixChildProcessTest, OneChildAnswersRequestAfterRequest)
{
    Managed<ChildProcess> process(ChildProcess::Create(&Work, "compiler"));
    EXPECT_EQ(process->GetChild(), -1);
    ASSERT_TRUE(process->Prepare());
    pid_t child = process->GetChild();
    EXPECT_GT(child, 0);
    EXPECT_TRUE(process->Prepare());
    ChildProcess::Outcome first = process->Call("a", 10);
    ASSERT_TRUE(first.completed) << first.failure;
    EXPECT_EQ(first.output, "echo:a");
    EXPECT_EQ(process->GetChild(), child);
    std::string large(300000, 'z');  // larger than a socket buffer both ways
    ChildProcess::Outcome second = process->Call(large, 10);
    ASSERT_TRUE(second.completed) << second.failure;
    EXPECT_EQ(second.output, "echo:" + large);
    EXPECT_EQ(process->GetChild(), child);
    ChildProcess::Outcome empty = process->Call("", 10);
    ASSERT_TRUE(empty.completed);
    EXPECT_EQ(empty.output, "echo:");
}

TEST(PosixChildProcessTest, AChildThatDiesOrHangsIsReportedAndReplaced)
{
    struct Case {
        const char* request;
        double timeout;
        const char* failure;
        int signal;
        bool timedOut;
    };
    const Case cases[] = {
        {"crash", 10, "the compiler crashed (signal 11, Segmentation fault)", SIGSEGV, false},
        {"exit", 10, "the compiler ended with status 7", 0, false},
        {"throw", 10, "the compiler ended with status 3", 0, false},
        {"hang", 0.3, "the compiler did not finish in time and was stopped", 0, true},
        {"flood", 10, "the compiler produced more output than is accepted", 0, false},
    };
    Managed<ChildProcess> process(ChildProcess::Create(&Work, "compiler"));
    for (const Case& c : cases) {
        ASSERT_TRUE(process->Call("warm", 10).completed);
        pid_t before = process->GetChild();
        ChildProcess::Outcome outcome = process->Call(c.request, c.timeout);
        EXPECT_FALSE(outcome.completed) << c.request;
        EXPECT_EQ(outcome.failure, c.failure) << c.request;
        EXPECT_EQ(outcome.signal, c.signal) << c.request;
        EXPECT_EQ(outcome.timedOut, c.timedOut) << c.request;
        EXPECT_EQ(process->GetChild(), -1) << c.request;
        ChildProcess::Outcome after = process->Call("next", 10);
        ASSERT_TRUE(after.completed) << c.request << ": " << after.failure;
        EXPECT_EQ(after.output, "echo:next");
        EXPECT_NE(process->GetChild(), before);
    }
}

TEST(PosixChildProcessTest, AChildKilledBetweenCallsIsReplacedWithoutAFailure)
{
    Managed<ChildProcess> process(ChildProcess::Create(&Work, "compiler"));
    ASSERT_TRUE(process->Call("a", 10).completed);
    pid_t child = process->GetChild();
    ASSERT_EQ(kill(child, SIGKILL), 0);
    // Wait until it has ended, leaving it for the process object to collect (with SIGCHLD
    // ignored the system collects it, and there is nothing left to wait for).
    siginfo_t ended{};
    int waited;
    while ((waited = waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT)) < 0 && errno == EINTR) {
    }
    if (waited == 0)
        EXPECT_EQ(ended.si_code, CLD_KILLED);
    else
        EXPECT_EQ(errno, ECHILD);
    ChildProcess::Outcome outcome = process->Call("b", 10);
    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.output, "echo:b");
    EXPECT_NE(process->GetChild(), child);
}

}  // namespace child_process_test
