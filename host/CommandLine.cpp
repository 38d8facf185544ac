#include "CommandLine.h"

#include "core/Exception.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace host {

using namespace Nimbrel;

namespace command_line_detail {

// The flag's value: the next argument, which must exist and must not be another flag.
const char* TakeValue(int argc, const char* const* argv, int& i)
{
    const char* flag = argv[i];
    if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0)
        throw Exception(String::Format("%s needs a value", flag));
    return argv[++i];
}

double ParseSeconds(const char* flag, const char* text)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value) || value < 0.0)
        throw Exception(String::Format("%s takes a number of seconds from 0 on, not '%s'", flag, text));
    return value;
}

int ParseFps(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > 1000)
        throw Exception(String::Format("--fps takes a whole number of frames a second from 1 to 1000, not '%s'", text));
    return static_cast<int>(value);
}

}  // namespace command_line_detail

CommandLine CommandLine::Parse(int argc, const char* const* argv)
{
    using namespace command_line_detail;
    CommandLine line;
    bool fpsGiven = false, fromGiven = false, toGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* flag = argv[i];
        if (std::strcmp(flag, "--help") == 0) {
            line.help = true;
        } else if (std::strcmp(flag, "--windowed") == 0) {
            line.windowed = true;
        } else if (std::strcmp(flag, "--no-studio") == 0) {
            line.noStudio = true;
        } else if (std::strcmp(flag, "--startup-time") == 0) {
            line.startupTime = true;
        } else if (std::strcmp(flag, "--capture") == 0) {
            line.capture = true;
            line.captureFolder = TakeValue(argc, argv, i);
        } else if (std::strcmp(flag, "--fps") == 0) {
            line.fps = ParseFps(TakeValue(argc, argv, i));
            fpsGiven = true;
        } else if (std::strcmp(flag, "--from") == 0) {
            line.from = ParseSeconds(flag, TakeValue(argc, argv, i));
            fromGiven = true;
        } else if (std::strcmp(flag, "--to") == 0) {
            line.to = ParseSeconds(flag, TakeValue(argc, argv, i));
            toGiven = true;
        } else {
            throw Exception(String::Format("Unknown argument '%s'", flag));
        }
    }
    if (!line.capture && (fpsGiven || fromGiven || toGiven))
        throw Exception("--fps, --from and --to go with --capture");
    if (line.capture && !fpsGiven)
        throw Exception("--capture needs --fps");
    if (toGiven && line.to <= line.from)
        throw Exception("--to must come after --from");
    if (line.capture)
        line.noStudio = true;
    return line;
}

const char* CommandLine::Usage()
{
    return "Usage: host [--windowed] [--no-studio] [--startup-time]\n"
           "       host --capture DIR --fps N [--from S] [--to S]\n"
           "       host --help\n"
           "\n"
           "Plays the presentation in data/ with the Studio over it; Escape ends it.\n"
           "  --windowed       a 1024 x 768 window instead of full screen\n"
           "  --no-studio      no Studio windows and no editor input; the sync data still plays\n"
           "  --capture DIR    writes frame-000000.png ... and audio.wav of the span into DIR at a\n"
           "                   fixed time step, without waiting for real time, then exits\n"
           "  --fps N          frames a second of the capture (1 to 1000)\n"
           "  --from S         first second of the capture (default 0)\n"
           "  --to S           second the capture ends at (default the end of the music)\n"
           "  --startup-time   prints the seconds from start until the first frame with all\n"
           "                   content was shown\n"
           "  --help           this text\n";
}

}  // namespace host
