// The Studio root in a real window under Xvfb: a right click pushed into SDL's queue travels
// through the Application to the root, which opens its menu at the pointer; the root's own
// blitter and 2D effect composite it over a cleared frame, which is read back. The picture is
// written beside the test binary as "studio-menu.png".

#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "support/CgGLWindow.h"
#include "support/MemoryFileSystem.h"
#include "support/PngFile.h"
#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "StudioSDLFixture.h"
#include "utils/Application.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Rectangle.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/studio/TrackerCell.h"
#include "utils/typography/FontFace.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace studio_sdl_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Testing::Frame;
using Testing::Rgb;

using Testing::StudioSDLTest;

TEST_F(StudioSDLTest, RightClickOpensTheMenuAtThePointerOverTheFrame)
{
    const Frame before = Render();
    for (int y = 0; y < ScreenHeight; y += 37)
        for (int x = 0; x < ScreenWidth; x += 41)
            ASSERT_TRUE(Testing::Near(before.At(x, y), Backdrop, 1)) << "nothing over the frame at " << x << "," << y;

    PushRightClick(200, 150);
    Pump();
    GUI::Menu* menu = root->GetMenu();
    ASSERT_TRUE(menu->IsVisible());
    EXPECT_EQ(menu->GetScreenPosition(), GUI::Point(200, 150));
    Render();  // quads made in the first frame of the menu are uploaded by then
    const Frame frame = Render();

    const GUI::Point size = menu->GetSize();
    ASSERT_GT(size.x, 40);
    ASSERT_GT(size.y, 100);
    // Outside the menu the frame shows through unchanged; inside it the skin's panel covers it.
    for (GUI::Point outside : {GUI::Point(190, 160), GUI::Point(200 + size.x + 12, 160), GUI::Point(210, 140),
                               GUI::Point(210, 150 + size.y + 12)})
        EXPECT_TRUE(Testing::Near(frame.At(outside.x, outside.y), Backdrop, 1))
            << Testing::ToText(frame.At(outside.x, outside.y)) << " at " << outside.x << "," << outside.y;
    int covered = 0;
    for (int y = 152; y < 150 + size.y - 2; y += 3)
        for (int x = 202; x < 200 + size.x - 2; x += 3)
            covered += Testing::Near(frame.At(x, y), Backdrop, 8) ? 0 : 1;
    EXPECT_GT(covered, 0);
    // The "Exit" row carries text: some of its pixels differ from the row's panel colour.
    GUI::MenuItem* exit = menu->GetItem(menu->GetItemCount() - 1);
    const GUI::Point row = exit->GetScreenPosition();
    const Rgb panel = frame.At(row.x + 2, row.y + 1);
    int ink = 0;
    for (int x = row.x; x < row.x + exit->GetSize().x; ++x)
        for (int y = row.y; y < row.y + exit->GetSize().y; ++y)
            ink += Testing::Near(frame.At(x, y), panel, 24) ? 0 : 1;
    EXPECT_GT(ink, 10) << "the item's label is drawn";

    Testing::WritePng(PicturePath("studio-menu.png"), frame.width, frame.height, frame.rgb);
}

TEST_F(StudioSDLTest, TheTrackerOpenedFromTheMenuShowsKeysWithTheirStripes)
{
    Studio::SyncData* sync = root->GetSyncData();
    Studio::TrackGroup* group = sync->GetTrackGroup(sync->AddTrackGroup(".shot"));
    for (const char* name : {".shot.Position.x", ".shot.Fov"})
        group->AddTrack(sync->GetTrack(sync->AddTrack(name)));
    Studio::Block* block = sync->GetBlock(sync->CreateBlock(0, 512, group));
    block->GetPattern(0)->SetKey(Studio::Key{Studio::InterpolationCosine, 1.5f, 1.5f, 16});
    block->GetPattern(1)->SetKey(Studio::Key{Studio::InterpolationStep, 45.0f, 60.0f, 32});

    PushRightClick(20, 20);
    Pump();
    GUI::Menu* menu = root->GetMenu();
    GUI::MenuItem* entry = nullptr;
    for (int i = 0; i < menu->GetItemCount(); ++i)
        if (menu->GetItem(i)->GetText() == "Tracker")
            entry = menu->GetItem(i);
    ASSERT_NE(entry, nullptr);
    Render();
    const GUI::Point at = entry->GetScreenPosition() + GUI::Point(10, entry->GetSize().y / 2);
    PushClick(at.x, at.y, SDL_BUTTON_LEFT);
    Pump();
    auto* tracker = dynamic_cast<Studio::Tracker*>(root->GetTracker());
    ASSERT_NE(tracker, nullptr);
    tracker->EditBlock(block);
    root->SetTimeQticks(40.0);
    root->Pause();
    Render();
    Render();
    const Frame frame = Render();

    struct Stripe {
        int column, row;
        Rgb colour;
    } stripes[] = {{0, 1, {0, 255, 0}}, {1, 2, {255, 0, 0}}};
    for (const Stripe& stripe : stripes) {
        Studio::TrackerCell* cell = tracker->GetCell(stripe.column, stripe.row);
        const GUI::Point corner = cell->GetScreenPosition() + GUI::Point(cell->GetSize().x - 2, 2);  // above the cursor line
        EXPECT_TRUE(Testing::Near(frame.At(corner.x, corner.y), stripe.colour, 8))
            << Testing::ToText(frame.At(corner.x, corner.y)) << " at " << corner.x << "," << corner.y;
    }
    const GUI::Point line = tracker->GetCursorLine()->GetScreenPosition() + GUI::Point(20, 1);
    EXPECT_TRUE(Testing::Near(frame.At(line.x, line.y), Rgb{0, 0, 0}, 8)) << "the cursor line at 2.5 rows";

    Testing::WritePng(PicturePath("studio-tracker.png"), frame.width, frame.height, frame.rgb);
}

}  // namespace studio_sdl_test
