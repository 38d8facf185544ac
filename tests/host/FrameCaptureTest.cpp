// The capture's frame arithmetic, file names and progress line.
#include "FrameCapture.h"

#include <gtest/gtest.h>

namespace frame_capture_test {

using host::FrameCapture;

TEST(FrameCaptureTest, CaptureSpansCountEveryFrameThatStartsBeforeTheEnd)
{
    EXPECT_EQ(FrameCapture::FrameCount(0, 30, 10), 300);
    EXPECT_EQ(FrameCapture::FrameCount(0, 0.25, 10), 3) << "0, 0.1, 0.2";
    EXPECT_EQ(FrameCapture::FrameCount(12.5, 13.5, 3), 3);
    EXPECT_EQ(FrameCapture::FrameCount(0.1, 0.3, 10), 2) << "0.1 and 0.2; 0.3 is the end";
    EXPECT_EQ(FrameCapture::FrameTime(0, 10, 160), 16.0) << "scene 0 starts on its frame exactly";
    EXPECT_EQ(FrameCapture::FrameName(0), "frame-000000.png");
    EXPECT_EQ(FrameCapture::FrameName(1234567), "frame-1234567.png");
    EXPECT_EQ(FrameCapture::Progress(30, 300, 6.0), "frame 30 of 300, 0:54 left");
    EXPECT_EQ(FrameCapture::Progress(0, 300, 0.0), "frame 0 of 300, 0:00 left");
}

}  // namespace frame_capture_test
