#pragma once
// Test support over POSIX descriptors: the process's standard input or output pointed at a
// temporary file, and a watchdog that ends a test process that hangs.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace Nimbrel::Testing {

// Points the process's standard input or output at a temporary file holding `contents` for
// the lifetime of the object, then puts the original back.
class PosixRedirect {
public:
    enum Which { Input, Output };

    PosixRedirect(Which which, const std::string& contents)
        : descriptor(which == Input ? STDIN_FILENO : STDOUT_FILENO),
          stream(which == Input ? stdin : stdout), file(std::tmpfile())
    {
        if (!file)
            throw std::runtime_error("no temporary file");
        std::fwrite(contents.data(), 1, contents.size(), file);
        std::fflush(file);
        std::rewind(file);
        std::fflush(stream);
        saved = dup(descriptor);
        dup2(fileno(file), descriptor);
        std::clearerr(stream);
    }
    ~PosixRedirect()
    {
        std::fflush(stream);  // on input from a file this drops whatever was read ahead
        dup2(saved, descriptor);
        close(saved);
        std::clearerr(stream);
        std::fclose(file);
    }
    PosixRedirect(const PosixRedirect&) = delete;
    PosixRedirect& operator=(const PosixRedirect&) = delete;

    std::string Written()
    {
        std::fflush(stream);
        std::rewind(file);
        std::string text;
        for (int c; (c = std::fgetc(file)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

private:
    int descriptor;
    FILE* stream;
    FILE* file;
    int saved = -1;
};

// A read that never sees the end of input would spin forever; end the test process instead.
struct PosixWatchdog {
    PosixWatchdog() { alarm(20); }
    ~PosixWatchdog() { alarm(0); }
};

}  // namespace Nimbrel::Testing
