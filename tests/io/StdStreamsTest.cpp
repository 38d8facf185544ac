#include "io/StdStreams.h"
#include "core/Managed.h"
#include "support/Expect.h"

#include "support/PosixRedirect.h"

#include <cstdio>
#include <string>

using namespace Nimbrel;

namespace std_streams_test {

using Testing::PosixRedirect;
using Testing::PosixWatchdog;

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
    PosixRedirect redirect(PosixRedirect::Output, "");
    EXPECT_EQ(out->Write("ab", 1, 2), 2);
    out->WriteLine("cd");
    out->WriteInt32(1);
    out->Flush();
    EXPECT_EQ(redirect.Written(), std::string("abcd\n\x01\0\0\0", 9));
}

TEST(StdStreams, InputReportsTheBytesThatReallyArrived)
{
    PosixWatchdog watchdog;
    Managed<IO::StdInStream> in(IO::CreateStdInStream());
    {
        PosixRedirect redirect(PosixRedirect::Input, "xyz");
        char bytes[10] = {};
        EXPECT_EQ(in->Read(bytes, 1, 10), 3);
        EXPECT_EQ(std::string(bytes, 3), "xyz");
        EXPECT_EQ(in->Read(bytes, 1, 10), 0);
        EXPECT_THROW_MESSAGE(in->ReadInt32(), "Unable to read data from stream");
    }
    {
        PosixRedirect redirect(PosixRedirect::Input, "ab\r\nc");
        EXPECT_EQ(in->ReadLine(), "ab\r");
        EXPECT_THROW_MESSAGE(in->ReadLine(), "Reached end of stream before string was terminated");
        EXPECT_THROW_MESSAGE(in->ReadLine(), "Reached end of stream before string was terminated");
    }
    {
        PosixRedirect redirect(PosixRedirect::Input, "");
        EXPECT_THROW_MESSAGE(in->ReadString(), "Unable to read data from stream");
    }
}

}  // namespace std_streams_test
