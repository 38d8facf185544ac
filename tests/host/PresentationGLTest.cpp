// The presentation on the OpenGL device, over a copy of the demo's content: a floor program
// edited while frames are drawn is drawn with from the watcher's next poll on.
#include "GLFrameReader.h"
#include "Presentation.h"

#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace presentation_gl_test {

using namespace Nimbrel;

class PresentationGLTest : public Testing::SDLApplicationTest {};

TEST_F(PresentationGLTest, AFloorProgramEditedWhilePlayingIsDrawnFromTheNextPollOn)
{
    Testing::TempFolder temp;
    std::filesystem::copy(NIMBREL_DEMO_DATA, temp / "data", std::filesystem::copy_options::recursive);
    app->SetFileSystemRoot((temp.Path() + "/").c_str());
    StartApplication("presentation", 320, 240);
    if (HasFatalFailure())
        return;
    host::Presentation presentation(*app);
    host::GLFrameReader reader(app->GetGraphicsDevice());
    // Before 16 s the floor fills the middle of the picture.
    auto centre = [&] {
        presentation.Draw(1.0f);
        const uint8_t* pixel = reader.Read() + (static_cast<size_t>(120) * 320 + 160) * 3;
        return uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
    };
    ASSERT_NE(centre(), 0x00FF00u);

    std::string source = temp.Read("data/floor.cg");
    const std::string last = "return float4(lerp(colour, background, fade * fade), 1.0);";
    ASSERT_NE(source.find(last), std::string::npos);
    source.replace(source.find(last), last.size(), "return float4(0.0, 1.0, 0.0, 1.0);");
    temp.Write("data/floor.cg", source);
    const std::filesystem::path file = temp / "data/floor.cg";
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));

    EXPECT_TRUE(Testing::WaitFor([&] { return centre() == 0x00FF00u; })) << std::hex << centre();
}

}  // namespace presentation_gl_test
