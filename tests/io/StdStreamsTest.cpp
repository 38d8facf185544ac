#include "io/StdStreams.h"
#include "core/Managed.h"
#include "support/Expect.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace Nimbrel;

namespace std_streams_test {

// Points one of the process's standard descriptors at a temporary file holding `contents`
// for the lifetime of the object, then puts the original back.
class Redirect {
public:
    Redirect(int descriptor, FILE* stream, const std::string& contents)
        : descriptor(descriptor), stream(stream), file(std::tmpfile())
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
    ~Redirect()
    {
        std::fflush(stream);  // on input from a file this drops whatever was read ahead
        dup2(saved, descriptor);
        close(saved);
        std::clearerr(stream);
        std::fclose(file);
    }
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

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
struct Watchdog {
    Watchdog() { alarm(20); }
    ~Watchdog() { alarm(0); }
};

TEST(StdStreams, RefuseWhatTheyDoNotSupport)
{
    Managed<IO::StdOutStream> out(IO::CreateStdOutStream());
    Managed<IO::StdInStream> in(IO::CreateStdInStream());
    char byte = 0;
    EXPECT_TRUE(out->IsWriteable());
    EXPECT_FALSE(out->IsReadable() || out->IsSeekable());
    EXPECT_TRUE(in->IsReadable());
    EXPECT_FALSE(in->IsWriteable() || in->IsSeekable());
    EXPECT_THROW_MESSAGE(out->Read(&byte, 1, 1), "Stream not readable");
    EXPECT_THROW_MESSAGE(in->Write(&byte, 1, 1), "Stream not writeable");
    EXPECT_THROW_MESSAGE(out->Seek(0, 0), "Stream not seekable");
    EXPECT_THROW_MESSAGE(in->Seek(0, 0), "Stream not seekable");
}

TEST(StdStreams, OutputReachesStandardOutput)
{
    Managed<IO::StdOutStream> out(IO::CreateStdOutStream());
    Redirect redirect(STDOUT_FILENO, stdout, "");
    EXPECT_EQ(out->Write("ab", 1, 2), 2);
    out->WriteLine("cd");
    out->WriteInt32(1);
    out->Flush();
    EXPECT_EQ(redirect.Written(), std::string("abcd\n\x01\0\0\0", 9));
}

TEST(StdStreams, InputReportsTheBytesThatReallyArrived)
{
    Watchdog watchdog;
    Managed<IO::StdInStream> in(IO::CreateStdInStream());
    {
        Redirect redirect(STDIN_FILENO, stdin, "xyz");
        char bytes[10] = {};
        EXPECT_EQ(in->Read(bytes, 1, 10), 3);
        EXPECT_EQ(std::string(bytes, 3), "xyz");
        EXPECT_EQ(in->Read(bytes, 1, 10), 0);
        EXPECT_THROW_MESSAGE(in->ReadInt32(), "Unable to read data from stream");
    }
    {
        Redirect redirect(STDIN_FILENO, stdin, "ab\r\nc");
        EXPECT_EQ(in->ReadLine(), "ab\r");
        EXPECT_THROW_MESSAGE(in->ReadLine(), "Reached end of stream before string was terminated");
        EXPECT_THROW_MESSAGE(in->ReadLine(), "Reached end of stream before string was terminated");
    }
    {
        Redirect redirect(STDIN_FILENO, stdin, "");
        EXPECT_THROW_MESSAGE(in->ReadString(), "Unable to read data from stream");
    }
}

}  // namespace std_streams_test
