#pragma once
// FrameCapture: the files of a capture in one folder, for turning into a video.
//
// Frames are "frame-000000.png", "frame-000001.png", ...: 8-bit RGB, top row first, written
// with fast compression, since a capture writes thousands of them. The music of the span is
// "audio.wav": the decoded stream's own float samples (format 3, 32 bits), interleaved as
// the stream gives them, at its rate and channel count. Every failure to create the folder
// or write a file throws an Exception naming the path.

#include "core/String.h"

#include <cstdint>
#include <string>

namespace Nimbrel::Utils::Audio {
class Stream;
}

namespace host {

class FrameCapture {
public:
    // Creates the folder and its parents when missing.
    explicit FrameCapture(const Nimbrel::String& folder);

    // Frames of a capture from `from` to `to` seconds at `fps`: frame n shows from + n / fps,
    // and every frame starts before `to`.
    static int FrameCount(double from, double to, int fps);
    static double FrameTime(double from, int fps, int frame);
    static std::string FrameName(int frame);
    // "frame 12 of 300, 0:25 left": the time left assumes the frames still to come take as
    // long as those done so far.
    static std::string Progress(int done, int total, double elapsedSeconds);

    // Removes the frames an earlier, longer capture left in the folder from `first` on, as far
    // as they run without a gap: a video made from the numbered frames would go on into them.
    // Nothing else in the folder is touched.
    void RemoveFramesFrom(int first) const;
    // `pixels` holds width x height RGB triples with the bottom row first, as OpenGL reads
    // them back.
    void WriteFrame(int frame, int width, int height, const uint8_t* pixels) const;
    // Writes the stream's frames from `first` (inclusive) to `end` (exclusive), clamped to the
    // stream's length, as audio.wav. Seeks the stream.
    void WriteAudio(Nimbrel::Utils::Audio::Stream* stream, int64_t first, int64_t end) const;

private:
    std::string folder;
};

}  // namespace host
