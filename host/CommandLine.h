#pragma once
// The host's command line. With no flags the host plays as it always has: full screen, the
// Studio over the presentation, the music heard as it plays.
//
//   --help                    the usage, exit 0
//   --windowed                a 1024 x 768 window instead of full screen
//   --no-studio               player mode: no Studio windows and no editor input; the sync
//                             data still drives the values
//   --capture DIR --fps N     renders frames at a fixed time step, as fast as it can, into DIR
//   [--from S] [--to S]       (frame-000000.png ...) with the music of the span as audio.wav,
//                             then exits; implies player mode
//   --startup-time            prints the seconds from the start of the process until the
//                             first frame with all content was presented
//
// Parse throws an Exception whose message says what is wrong; the host prints it with the
// usage and exits 2.

#include "core/String.h"

namespace host {

struct CommandLine {
    bool help = false;
    bool windowed = false;
    bool noStudio = false;
    bool startupTime = false;
    bool capture = false;
    Nimbrel::String captureFolder;
    int fps = 0;
    double from = 0.0;
    // Negative: the end of the music.
    double to = -1.0;

    static CommandLine Parse(int argc, const char* const* argv);
    static const char* Usage();
};

}  // namespace host
