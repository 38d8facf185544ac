// The host's command line: what each accepted line turns into, and the message of each line
// that is refused (the host prints it with the usage and exits 2).
#include "CommandLine.h"

#include "core/Exception.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace command_line_test {

using host::CommandLine;

CommandLine ParseLine(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "host");
    return CommandLine::Parse(static_cast<int>(arguments.size()), arguments.data());
}

std::string Describe(const CommandLine& line)
{
    char text[256];
    std::snprintf(text, sizeof text, "help %d windowed %d studio %d startup %d capture %d '%s' fps %d from %g to %g",
                  line.help, line.windowed, !line.noStudio, line.startupTime, line.capture, line.captureFolder.CStr(),
                  line.fps, line.from, line.to);
    return text;
}

TEST(CommandLineTest, AcceptedLines)
{
    struct Case {
        std::vector<const char*> arguments;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "help 0 windowed 0 studio 1 startup 0 capture 0 '' fps 0 from 0 to -1"},
        {{"--help"}, "help 1 windowed 0 studio 1 startup 0 capture 0 '' fps 0 from 0 to -1"},
        {{"--windowed", "--no-studio", "--startup-time"},
         "help 0 windowed 1 studio 0 startup 1 capture 0 '' fps 0 from 0 to -1"},
        {{"--capture", "out", "--fps", "10"}, "help 0 windowed 0 studio 0 startup 0 capture 1 'out' fps 10 from 0 to -1"},
        {{"--to", "30", "--fps", "25", "--from", "12.5", "--capture", "/tmp/a b"},
         "help 0 windowed 0 studio 0 startup 0 capture 1 '/tmp/a b' fps 25 from 12.5 to 30"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(ParseLine(c.arguments)), c.expected) << Describe(ParseLine(c.arguments));
}

TEST(CommandLineTest, RefusedLinesSayWhy)
{
    struct Case {
        std::vector<const char*> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{"--fullscreen"}, "Unknown argument '--fullscreen'"},
        {{"data"}, "Unknown argument 'data'"},
        {{"--capture"}, "--capture needs a value"},
        {{"--capture", "--fps", "10"}, "--capture needs a value"},
        {{"--capture", "out"}, "--capture needs --fps"},
        {{"--fps", "10"}, "--fps, --from and --to go with --capture"},
        {{"--capture", "out", "--fps", "0"}, "--fps takes a whole number of frames a second from 1 to 1000, not '0'"},
        {{"--capture", "out", "--fps", "12.5"}, "--fps takes a whole number of frames a second from 1 to 1000, not '12.5'"},
        {{"--capture", "out", "--fps", "1001"}, "--fps takes a whole number of frames a second from 1 to 1000, not '1001'"},
        {{"--capture", "out", "--fps", "10", "--from", "-1"}, "--from takes a number of seconds from 0 on, not '-1'"},
        {{"--capture", "out", "--fps", "10", "--to", "nan"}, "--to takes a number of seconds from 0 on, not 'nan'"},
        {{"--capture", "out", "--fps", "10", "--to", "5s"}, "--to takes a number of seconds from 0 on, not '5s'"},
        {{"--capture", "out", "--fps", "10", "--from", "1e999"}, "--from takes a number of seconds from 0 on, not '1e999'"},
        {{"--capture", "out", "--fps", "10", "--from", "20", "--to", "20"}, "--to must come after --from"},
    };
    for (const Case& c : cases) {
        try {
            ParseLine(c.arguments);
            ADD_FAILURE() << "accepted, expected: " << c.message;
        } catch (const Nimbrel::Exception& e) {
            EXPECT_STREQ(e.GetMessage().CStr(), c.message);
        }
    }
}

}  // namespace command_line_test
