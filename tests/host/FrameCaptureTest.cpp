// The capture's frame arithmetic, file names and progress line, and the frames an earlier
// capture left behind.
#include "FrameCapture.h"

#include "support/TempFolder.h"

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

TEST(FrameCaptureTest, FramesAnEarlierLongerCaptureLeftPastTheSpanAreRemoved)
{
    Nimbrel::Testing::TempFolder temp;
    for (int frame : {0, 1, 2, 3, 4, 6})
        temp.Write(FrameCapture::FrameName(frame), "old");
    temp.Write("audio.wav", "old");
    temp.Write("notes.txt", "mine");
    FrameCapture(temp.Path().c_str()).RemoveFramesFrom(2);
    for (int frame : {0, 1})
        EXPECT_TRUE(temp.Exists(FrameCapture::FrameName(frame))) << frame << ", written over by the capture";
    for (int frame : {2, 3, 4})
        EXPECT_FALSE(temp.Exists(FrameCapture::FrameName(frame))) << frame;
    EXPECT_TRUE(temp.Exists(FrameCapture::FrameName(6))) << "past a gap, where a video stops anyway";
    EXPECT_TRUE(temp.Exists("notes.txt"));
    EXPECT_TRUE(temp.Exists("audio.wav")) << "the capture writes it anew";
}

}  // namespace frame_capture_test
