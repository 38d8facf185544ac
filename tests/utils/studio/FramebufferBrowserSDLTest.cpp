// The framebuffer browser in a real window under Xvfb (its previews draw through the 2D
// effect): one row per texture of the global framebuffer pool with previews scaled down to fit
// and never enlarged, textures taller than wide included; rows updated and removed when the
// pool changes; and a pooled framebuffer's pixels read back from the preview, cut to the list
// and lying under the preview's labels.
#include "io/NativeFileSystem.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"
#include "support/SDLVideo.h"
#include "utils/FramebufferProxy.h"
#include "utils/gui/Label.h"
#include "utils/gui/ListBox.h"
#include "utils/studio/FramebufferBrowser.h"
#include "utils/studio/TextureWidget.h"

#include "StudioSDLFixture.h"

#include <string>
#include <vector>

namespace studio_framebuffer_browser_test {

using namespace Nimbrel;
using Testing::Rgb;
using Utils::GUI::Point;
using Utils::Studio::FramebufferBrowser;

class FramebufferBrowserTest : public Testing::StudioSDLTest {
protected:
    // A pooled framebuffer of this size cleared to a colour, locked once and given back.
    static void Pool(Utils::FramebufferProxy* proxy, int width, int height, Rgb colour = {0, 0, 0})
    {
        Utils::Framebuffer framebuffer(proxy, width, height, 0, Graphics::PixelFormatR8G8B8A8, false, false);
        framebuffer.Lock();
        framebuffer.Clear(Graphics::ClearColor, colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f, 1, 1, 0);
        framebuffer.Unlock();
    }
    FramebufferBrowser* Browser() const
    {
        for (int i = root->GetChildCount() - 1; i >= 0; --i)
            if (auto* browser = dynamic_cast<FramebufferBrowser*>(root->GetChild(i)))
                return browser;
        return nullptr;
    }
    struct Row {
        Point preview;
        std::string text;
        bool operator==(const Row&) const = default;
    };
    // What each row shows, after checking that it shows the pool's texture at its index.
    static std::vector<Row> Rows(FramebufferBrowser* browser)
    {
        Utils::FramebufferProxy* proxy = Utils::FramebufferProxy::GetGlobal();
        std::vector<Row> rows;
        EXPECT_EQ(browser->GetList()->GetItemCount(), browser->GetRowCount());
        for (int i = 0; i < browser->GetRowCount(); ++i) {
            Utils::Studio::TextureWidget* preview = browser->GetPreview(i);
            EXPECT_EQ(preview->GetTexture(), proxy->GetInstanceTexture(i)) << "row " << i;
            EXPECT_EQ(browser->GetList()->GetItem(i), preview) << "row " << i;
            const std::string text = browser->GetSizeLabel(i)->GetText().CStr();
            EXPECT_EQ(browser->GetShadowLabel(i)->GetText().CStr(), text) << "row " << i;
            rows.push_back({preview->GetSize(), text});
        }
        return rows;
    }
};

TEST_F(FramebufferBrowserTest, RowsFollowThePoolWithPreviewsScaledDownToFitAndNeverEnlarged)
{
    Utils::FramebufferProxy* pool = Utils::FramebufferProxy::GetGlobal();
    for (Point size : {Point(512, 256), Point(64, 512), Point(1000, 3000), Point(100, 50)})
        Pool(pool, size.x, size.y);
    FramebufferBrowser* browser = root->OpenFramebufferBrowser();
    Render();
    EXPECT_STREQ(browser->GetTitle().CStr(), "Framebuffer Browser");
    ASSERT_EQ(browser->GetSize(), Point(400, 300));
    EXPECT_EQ(Rows(browser), (std::vector<Row>{{{388, 194}, "512x256"},
                                               {{64, 512}, "64x512"},
                                               {{388, 1164}, "1000x3000"},
                                               {{100, 50}, "100x50"}}));
    EXPECT_EQ(browser->GetShadowLabel(0)->GetTextColor(), Utils::GUI::Color(0, 0, 0, 255));
    EXPECT_EQ(browser->GetShadowLabel(0)->GetPosition(), Point(1, 1));
    EXPECT_EQ(browser->GetSizeLabel(0)->GetPosition(), Point(0, 0));
    EXPECT_EQ(browser->GetSizeLabel(0)->GetParent(), browser->GetPreview(0));

    browser->SetSize(200, 300);
    Render();
    EXPECT_EQ(Rows(browser), (std::vector<Row>{{{188, 94}, "512x256"},
                                               {{64, 512}, "64x512"},
                                               {{188, 564}, "1000x3000"},
                                               {{100, 50}, "100x50"}}));

    // Another pool, with fewer and other textures: rows are updated and the rest removed.
    Managed<Utils::FramebufferProxy> other(new Utils::FramebufferProxy(app->GetGraphicsDevice()));
    Pool(other.Get(), 32, 16);
    const int widgets = Utils::GUI::Widget::GetWidgetCount();
    Render();
    EXPECT_EQ(Rows(browser), (std::vector<Row>{{{32, 16}, "32x16"}}));
    Utils::GUI::Widget::Collect();
    EXPECT_EQ(Utils::GUI::Widget::GetWidgetCount(), widgets - 3 * 3) << "three previews and their labels freed";
    Pool(other.Get(), 16, 48);
    Render();
    EXPECT_EQ(Rows(browser), (std::vector<Row>{{{32, 16}, "32x16"}, {{16, 48}, "16x48"}}));
    // The root goes while the other pool is still the global one.
    app->SetInputListener(nullptr);
    root->Close();
    root = nullptr;
    Utils::GUI::Widget::Collect();
}

TEST_F(FramebufferBrowserTest, APooledFramebuffersPixelsShowInThePreviewCutToTheListUnderItsLabels)
{
    const Rgb wide = {200, 40, 90};
    const Rgb tall = {30, 180, 60};
    Utils::FramebufferProxy* pool = Utils::FramebufferProxy::GetGlobal();
    Pool(pool, 200, 100, wide);
    Pool(pool, 64, 512, tall);
    ChooseFromMenu("Monitoring", "Framebuffer Browser");
    FramebufferBrowser* browser = Browser();
    ASSERT_NE(browser, nullptr);
    ASSERT_EQ(browser->GetRowCount(), 2);
    const Testing::Frame frame = Render();
    Testing::WritePng(PicturePath("studio-framebuffer-browser.png"), frame.width, frame.height, frame.rgb);

    const auto count = [&frame](Point from, Point to, const Rgb& colour, int tolerance) {
        int found = 0;
        for (int y = from.y; y < to.y; ++y)
            for (int x = from.x; x < to.x; ++x)
                found += Testing::Near(frame.At(x, y), colour, tolerance) ? 1 : 0;
        return found;
    };
    // The wide preview: its colour below its label, white and black text over it at the top.
    const Point first = browser->GetPreview(0)->GetScreenPosition();
    ASSERT_EQ(browser->GetPreview(0)->GetSize(), Point(200, 100));
    EXPECT_EQ(count(first + Point(0, 20), first + Point(200, 100), wide, 6), 200 * 80);
    const Point text = browser->GetSizeLabel(0)->GetSize();
    EXPECT_GT(count(first, first + text, {255, 255, 255}, 40), 10) << "the size label lies over the preview";
    EXPECT_GT(count(first, first + text + Point(1, 1), {0, 0, 0}, 40), 10) << "and so does its shadow";

    // The tall preview runs past the list: it shows down to the list's content edge only.
    const Point second = browser->GetPreview(1)->GetScreenPosition();
    const Utils::GUI::ClipRect clip = browser->GetList()->GetContent()->GetClipRect();
    ASSERT_EQ(second.y, first.y + 100);
    ASSERT_LT(clip.y1, second.y + 512);
    EXPECT_EQ(count(second + Point(0, 20), Point(second.x + 64, clip.y1), tall, 6), 64 * (clip.y1 - second.y - 20));
    EXPECT_EQ(count(Point(second.x, clip.y1), Point(second.x + 64, ScreenHeight), tall, 6), 0);
}

TEST_F(FramebufferBrowserTest, TheLayoutFileBringsTheBrowserBackWhereItWas)
{
    Testing::TempFolder temp;
    Managed<IO::NativeFileSystem> folder(IO::NativeFileSystem::Create((temp.Path() + "/").c_str()));
    root->SetDataFolder(Utils::Studio::FolderResource(folder.Get()));
    FramebufferBrowser* browser = root->OpenFramebufferBrowser();
    browser->SetPosition(100, 50);
    browser->SetSize(250, 180);
    root->Save();
    EXPECT_NE(temp.Read("gui_layout.xml").find("<framebuffer_browser pos=\"(100, 50)\" size=\"(250, 180)\""),
              std::string::npos)
        << temp.Read("gui_layout.xml");
    browser->Close();
    ASSERT_EQ(Browser(), nullptr);

    root->Load();
    browser = Browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->GetPosition(), Point(100, 50));
    EXPECT_EQ(browser->GetSize(), Point(250, 180));
}

}  // namespace studio_framebuffer_browser_test
