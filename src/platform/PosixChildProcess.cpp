#include "platform/PosixChildProcess.h"

#include "io/ByteReader.h"
#include "io/ByteWriter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Nimbrel {

namespace PosixChildProcessDetail {

using Clock = std::chrono::steady_clock;

constexpr size_t HeaderBytes = 8;

std::string Header(uint64_t size)
{
    IO::ByteWriter writer;
    writer.U64(size);
    return std::string(reinterpret_cast<const char*>(writer.Data()), writer.Size());
}

uint64_t HeaderSize(const char* header)
{
    IO::ByteReader reader(header, HeaderBytes);
    return reader.U64();
}

// Sends on the socket; a closed peer gives false, never SIGPIPE.
bool SendAll(int socket, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool SendMessage(int socket, const std::string& message)
{
    std::string header = Header(message.size());
    return SendAll(socket, header.data(), header.size()) && SendAll(socket, message.data(), message.size());
}

bool ReceiveAll(int socket, char* data, size_t size)
{
    while (size > 0) {
        ssize_t count = read(socket, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= size_t(count);
    }
    return true;
}

enum class Received { Message, Closed, TimedOut, TooLarge };

// Reads one message, waiting no later than the deadline.
Received ReceiveMessage(int socket, std::string& message, Clock::time_point deadline)
{
    std::string received;
    uint64_t expected = UINT64_MAX;
    char chunk[65536];
    for (;;) {
        if (expected == UINT64_MAX && received.size() >= HeaderBytes) {
            expected = HeaderSize(received.data());
            if (expected > ChildProcess::MaxOutput)
                return Received::TooLarge;
        }
        if (expected != UINT64_MAX && received.size() - HeaderBytes == expected) {
            message = received.substr(HeaderBytes);
            return Received::Message;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Received::TimedOut;
        pollfd poller = {socket, POLLIN, 0};
        int ready = poll(&poller, 1, int(std::min<int64_t>(left, 1000)));
        if (ready < 0 && errno != EINTR)
            return Received::Closed;
        if (ready <= 0)
            continue;
        size_t wanted = sizeof chunk;
        if (expected != UINT64_MAX)
            wanted = std::min<uint64_t>(wanted, expected + HeaderBytes - received.size());
        else
            wanted = HeaderBytes - received.size();
        ssize_t count = read(socket, chunk, wanted);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return Received::Closed;
        received.append(chunk, size_t(count));
    }
}

// Waits for a child that has ended or is ending. Returns the wait status, or -1 when it
// cannot be read (an ignored SIGCHLD reaps children by itself).
int Reap(pid_t child)
{
    int status = 0;
    pid_t result;
    while ((result = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    return result == child ? status : -1;
}

}  // namespace PosixChildProcessDetail

ChildProcess* ChildProcess::Create(Work work, const String& name)
{
    return new PosixChildProcess(work, name);
}

PosixChildProcess::PosixChildProcess(Work work, const String& name) : work(work), name(name.CStr(), size_t(name.Length()))
{
}

PosixChildProcess::~PosixChildProcess()
{
    Stop();
}

pid_t PosixChildProcess::Forget()
{
    pid_t forgotten = child;
    close(channel);
    child = -1;
    channel = -1;
    return forgotten;
}

bool PosixChildProcess::Start(std::string& failure)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        failure = "no channel to a " + name + " process: " + std::strerror(errno);
        return false;
    }
    pid_t forked = fork();
    if (forked < 0) {
        failure = "no " + name + " process could be started: " + std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (forked == 0) {
        close(ends[0]);
        channel = ends[1];
        Serve();
    }
    close(ends[1]);
    child = forked;
    channel = ends[0];
    return true;
}

void PosixChildProcess::Serve()
{
    using namespace PosixChildProcessDetail;
    // A fault must end the child with its signal: handlers inherited from the parent (a
    // sanitizer's, a crash reporter's) would turn it into something else or linger.
    for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(signalNumber, SIG_DFL);
    // An interrupt from the terminal reaches the whole process group; the parent decides
    // what it means, and the child ends when the parent closes the channel.
    signal(SIGINT, SIG_IGN);
    for (;;) {
        char header[HeaderBytes];
        if (!ReceiveAll(channel, header, sizeof header))
            _exit(0);  // the parent is done (or gone)
        uint64_t size = HeaderSize(header);
        if (size > MaxRequest)
            _exit(5);
        std::string request(size_t(size), '\0');
        if (!ReceiveAll(channel, request.data(), request.size()))
            _exit(0);
        std::string answer;
        try {
            answer = work(request);
        } catch (...) {
            _exit(3);
        }
        if (!SendMessage(channel, answer))
            _exit(4);
    }
}

bool PosixChildProcess::Prepare()
{
    std::string failure;
    return child > 0 || Start(failure);
}

void PosixChildProcess::Stop()
{
    if (child <= 0)
        return;
    // The child reads the end of its input and exits.
    PosixChildProcessDetail::Reap(Forget());
}

ChildProcess::Outcome PosixChildProcess::Call(const std::string& request, double timeoutSeconds)
{
    using namespace PosixChildProcessDetail;
    Outcome outcome;
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));

    // A child that ended since the last call (killed from outside) is replaced first; one
    // that ends while the request goes out is replaced once.
    if (child > 0) {
        int status = 0;
        pid_t result = waitpid(child, &status, WNOHANG);
        if (result == child || (result < 0 && errno == ECHILD))
            Forget();
    }
    bool sent = false;
    for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        if (child <= 0 && !Start(outcome.failure))
            return outcome;
        sent = SendMessage(channel, request);
        if (!sent) {
            kill(child, SIGKILL);
            Reap(Forget());
        }
    }
    if (!sent) {
        outcome.failure = "the " + name + " process could not be reached";
        return outcome;
    }

    Received received = ReceiveMessage(channel, outcome.output, deadline);
    if (received == Received::Message) {
        outcome.completed = true;
        return outcome;
    }
    outcome.output.clear();
    if (received != Received::Closed)
        kill(child, SIGKILL);
    int status = Reap(Forget());
    if (received == Received::TimedOut) {
        outcome.timedOut = true;
        outcome.failure = "the " + name + " did not finish in time and was stopped";
    } else if (received == Received::TooLarge) {
        outcome.failure = "the " + name + " produced more output than is accepted";
    } else if (status != -1 && WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
        const char* signalName = strsignal(outcome.signal);
        outcome.failure = "the " + name + " crashed (signal " + std::to_string(outcome.signal) + ", " +
                          (signalName ? signalName : "unknown") + ")";
    } else if (status != -1 && WIFEXITED(status)) {
        outcome.failure = "the " + name + " ended with status " + std::to_string(WEXITSTATUS(status));
    } else {
        outcome.failure = "the " + name + " process ended without an answer";
    }
    return outcome;
}

}  // namespace Nimbrel
