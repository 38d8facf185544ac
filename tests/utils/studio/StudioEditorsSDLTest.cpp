// The Studio's editors in a real window under Xvfb, driven by events pushed into SDL's queue:
// a picture of the Tracker and the Sequencer with a few blocks ("studio-editors.png" beside the
// test program), and a value typed into the Tracker (and made a step key with F7) and saved
// from the menu, which a fresh process loads and reads from the probe at that time.
#include "support/PngFile.h"
#include "support/SDLVideo.h"
#include "support/WaitFor.h"
#include "support/TempFolder.h"
#include "io/NativeFileSystem.h"
#include "utils/PCamera.h"
#include "utils/ProbeProxy.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Slider.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/Sequencer.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/studio/TrackerCell.h"

#include "StudioSDLFixture.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace studio_editors_sdl_test {

using namespace Nimbrel;
using Testing::Rgb;
using Utils::GUI::Point;
using Utils::Studio::Block;
using Utils::Studio::Sequencer;
using Utils::Studio::SyncData;
using Utils::Studio::Tracker;

// Names the project folder for the run of the fresh process; unset in an ordinary run.
constexpr const char* ProjectVariable = "NIMBREL_STUDIO_E2E_PROJECT";
constexpr const char* ValueFileName = "probe-value.txt";
constexpr int BlockStart = 128;
constexpr int TypedRow = 3;  // beats into the block, at the Tracker's resolution of a beat

class StudioEditorsTest : public Testing::StudioSDLTest {
protected:
    Point ScreenSize() const override { return {1024, 640}; }
    // Right of the Tracker and above the Sequencer.
    static constexpr Point FreeSpot{700, 40};

    template <class Window>
    Window* Find() const
    {
        for (int i = root->GetChildCount() - 1; i >= 0; --i)
            if (auto* window = dynamic_cast<Window*>(root->GetChild(i)))
                return window;
        return nullptr;
    }
    // A group bound to a fresh probe, with one track.
    int BoundGroup(const char* probe)
    {
        return Utils::Studio::ProbeBrowser::CreateTrackGroup(root, Utils::ProbeProxy::GetGlobal()->GetProbe(probe));
    }
    // Opens the Sequencer and the Tracker from the menu, places them one above the other and
    // opens the block in the Tracker with a pushed click on its panel.
    void OpenEditors(int blockIndex)
    {
        ChooseFromMenu("Syncing", "Sequencer", FreeSpot);
        sequencer = Find<Sequencer>();
        ASSERT_NE(sequencer, nullptr);
        ChooseFromMenu(nullptr, "Tracker", FreeSpot);
        tracker = dynamic_cast<Tracker*>(root->GetTracker());
        ASSERT_NE(tracker, nullptr);
        tracker->SetPosition(10, 10);
        sequencer->SetPosition(10, 330);
        Render();
        Utils::GUI::Panel* panel = sequencer->GetBlockPanel(blockIndex);
        ASSERT_NE(panel, nullptr);
        PushClick(panel->GetScreenPosition() + Point(4, panel->GetSize().y / 2));
        Pump();
        ASSERT_EQ(tracker->GetBlock(), root->GetSyncData()->GetBlock(blockIndex));
    }

    Sequencer* sequencer = nullptr;
    Tracker* tracker = nullptr;
};

TEST_F(StudioEditorsTest, PictureOfTheTrackerAndTheSequencerWithAFewBlocks)
{
    Utils::PCamera camera(".camera1");
    SyncData* sync = root->GetSyncData();
    Utils::Studio::TrackGroup* cameraGroup = sync->GetTrackGroup(BoundGroup(".camera1"));
    Utils::Studio::TrackGroup* fade = sync->GetTrackGroup(BoundGroup("fade"));
    Utils::Studio::TrackGroup* flash = sync->GetTrackGroup(BoundGroup("flash"));
    const int shot = sync->CreateBlock(0, 256, cameraGroup);
    sync->CreateBlock(320, 192, cameraGroup);
    const int fadeIn = sync->CreateBlock(64, 128, fade);
    sync->CreateBlock(384, 256, fade);
    sync->CreateBlock(192, 64, flash);
    Block* block = sync->GetBlock(shot);
    const float positions[][3] = {{0, 2, -10}, {4, 2.5f, -8}, {8, 3, -5}};
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            block->GetPattern(c)->SetKey(
                Utils::Studio::Key{Utils::Studio::InterpolationCosine, positions[k][c], positions[k][c], k * 64});
    block->GetPattern(3)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationLinear, 0, 90, 32});
    block->GetPattern(6)->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationStep, 60, 45, 128});
    root->SetTimeQticks(100.0);
    root->Pause();

    OpenEditors(shot);
    sequencer->GetZoomBar()->SetValue(40.0f);  // 30 pixels per bar
    Render();
    const Testing::Frame frame = Render();
    Testing::WritePng(PicturePath("studio-editors.png"), frame.width, frame.height, frame.rgb);

    // The block opened by the click is selected (red); the others show their own colours, shaded
    // by the skin's panel as the red one is.
    const auto middle = [](Utils::GUI::Widget* widget) {
        const Point size = widget->GetSize();
        return widget->GetScreenPosition() + Point(size.x / 2, size.y / 2);
    };
    const Point selected = middle(sequencer->GetBlockPanel(shot));
    const Rgb red = frame.At(selected.x, selected.y);
    ASSERT_TRUE(red[0] > 150 && red[1] < 8 && red[2] < 8) << Testing::ToText(red);
    const auto shaded = [&red](int channel) { return channel * red[0] / 255; };
    const Utils::GUI::Color own = sequencer->GetBlockColour(fadeIn);
    const Point other = middle(sequencer->GetBlockPanel(fadeIn));
    EXPECT_TRUE(Testing::Near(frame.At(other.x, other.y), Rgb{shaded(own.red), shaded(own.green), shaded(own.blue)}, 8))
        << Testing::ToText(frame.At(other.x, other.y)) << " for " << int(own.red) << "," << int(own.green) << ","
        << int(own.blue);
    // The Tracker shows the camera group's seven columns, with the step key's red stripe.
    EXPECT_EQ(tracker->GetVisibleColumns(), 7);
    Utils::Studio::TrackerCell* stepCell = tracker->GetCell(6, 8);
    const Point stripe = stepCell->GetScreenPosition() + Point(stepCell->GetSize().x - 2, 2);
    EXPECT_TRUE(Testing::Near(frame.At(stripe.x, stripe.y), Rgb{255, 0, 0}, 8))
        << Testing::ToText(frame.At(stripe.x, stripe.y));
}

// The fresh process: loads the project named by the environment and writes the probe's value
// at the typed row's time into the project folder. Skipped in an ordinary run.
TEST_F(StudioEditorsTest, FreshProcessLoadsTheProjectAndReadsTheProbe)
{
    const char* project = std::getenv(ProjectVariable);
    if (!project)
        GTEST_SKIP() << "run by TypedValueSavedFromTheMenuDrivesTheProbeInAFreshProcess";
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((std::string(project) + "/").c_str()));
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    root->Load();
    ASSERT_NE(root->GetTracker(), nullptr) << "the layout brings the Tracker back";
    root->SetTimeQticks(BlockStart + TypedRow * 16 + 8);
    Render();
    Utils::ProbeProxy* probes = Utils::ProbeProxy::GetGlobal();
    std::ofstream out(std::string(project) + "/" + ValueFileName);
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", probes->GetValue(probes->GetProbeIndex("fade")));
    out << text;
    ASSERT_TRUE(out.good());
}

// Runs the test program again with only the fresh-process test and the project folder in the
// environment; its exit status, or -1 when it was still running at the deadline.
int RunFreshProcess(const std::string& project)
{
    const std::string filter = "--gtest_filter=StudioEditorsTest.FreshProcessLoadsTheProjectAndReadsTheProbe";
    const std::string program = "/proc/self/exe";
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(filter.c_str()), nullptr};
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable)
        variables.emplace_back(*variable);
    variables.push_back(std::string(ProjectVariable) + "=" + project);
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environment.data()) != 0)
        return -2;
    // A child under the sanitizers on two loaded cores starts slowly: the deadline is generous.
    int status = 0;
    if (!Testing::WaitFor([&] { return waitpid(child, &status, WNOHANG) != 0; }, {}, 300.0)) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(StudioEditorsTest, TypedValueSavedFromTheMenuDrivesTheProbeInAFreshProcess)
{
    if (std::getenv(ProjectVariable))
        GTEST_SKIP() << "inside the fresh process";
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    SyncData* sync = root->GetSyncData();
    const int block = sync->CreateBlock(BlockStart, 512, sync->GetTrackGroup(BoundGroup("fade")));
    // Keys around the typed row: only a step key at that very row holds its value half a row on.
    Utils::Studio::Pattern* fade = sync->GetBlock(block)->GetPattern(0);
    fade->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationCosine, 1.0f, 1.0f, 0});
    fade->SetKey(Utils::Studio::Key{Utils::Studio::InterpolationCosine, 5.0f, 5.0f, 8 * 16});
    root->Pause();

    OpenEditors(block);
    Utils::Studio::TrackerCell* cell = tracker->GetCell(0, TypedRow);
    PushClick(cell->GetScreenPosition() + Point(10, cell->GetSize().y / 2));
    Pump();  // a pass hands keys on before the pointer: the click first makes the cell the one typed into
    PushText("-2");
    PushText(".75");
    Pump();
    Render();  // the cell's text box reports its text when it draws
    PushKey(SDLK_F7);
    Pump();
    Utils::Studio::Key typed;
    ASSERT_TRUE(fade->GetKey(TypedRow * 16, typed)) << "the typed value is in the block at the row";
    EXPECT_EQ(typed, (Utils::Studio::Key{Utils::Studio::InterpolationStep, -2.75f, -2.75f, TypedRow * 16}));
    ChooseFromMenu("Project", "Save Project", FreeSpot);
    ASSERT_EQ(root->GetErrorWindow(), nullptr);
    ASSERT_TRUE(temp.Exists("syncdata.bin"));

    ASSERT_EQ(RunFreshProcess(temp.Path()), 0);
    ASSERT_TRUE(temp.Exists(ValueFileName));
    EXPECT_EQ(temp.Read(ValueFileName), "-2.75");
}

}  // namespace studio_editors_sdl_test
