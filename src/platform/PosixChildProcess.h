#pragma once
// ChildProcess on POSIX: a fork of the calling process, reached over a socket pair. Every
// message on the socket is its size as 8 little-endian bytes, then its bytes.

#include "platform/ChildProcess.h"

#include <sys/types.h>

namespace Nimbrel {

class PosixChildProcess : public ChildProcess {
public:
    PosixChildProcess(Work work, const String& name);
    ~PosixChildProcess() override;
    PosixChildProcess(const PosixChildProcess&) = delete;
    PosixChildProcess& operator=(const PosixChildProcess&) = delete;

    Outcome Call(const std::string& request, double timeoutSeconds) override;
    bool Prepare() override;
    void Stop() override;
    int GetChild() const override { return child; }

private:
    bool Start(std::string& failure);
    [[noreturn]] void Serve();
    // Closes the channel and forgets the child, whose id it returns for reaping.
    pid_t Forget();

    Work work;
    std::string name;
    pid_t child = -1;
    int channel = -1;  // the parent's end of the socket pair
};

}  // namespace Nimbrel
