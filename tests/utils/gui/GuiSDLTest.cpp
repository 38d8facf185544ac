// The GUI in a real window under Xvfb: SDL mouse events pushed into SDL's queue travel through
// the Application to the root widget; the tree is drawn by the device blitter through the 2D
// effect and read back. A picture of a window holding every kind of widget is written beside
// the test binary as "gui-widgets.png".

#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "support/CgGLWindow.h"
#include "support/MemoryFileSystem.h"
#include "support/PngFile.h"
#include "support/SDLApplicationTest.h"
#include "support/SDLVideo.h"
#include "utils/Application.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/State.h"
#include "utils/draw2d/Default2DEffect.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/gui/Applet.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Gauge.h"
#include "utils/gui/Image.h"
#include "utils/gui/Label.h"
#include "utils/gui/ListBox.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Rectangle.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Slider.h"
#include "utils/gui/Table.h"
#include "utils/gui/TextBox.h"
#include "utils/gui/TreeWidget.h"
#include "utils/gui/Button.h"
#include "utils/typography/FontFace.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Testing::Frame;
using Testing::Rgb;

namespace gui_sdl_test {

constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;
const Rgb Backdrop = {51, 64, 77};

// Counts the clicks that reach it, by sender.
struct ClickCounter : Widget {
    ClickCounter() : Widget(nullptr) {}
    void OnClick(Widget* sender, const Input::MouseEvent&) override { senders.push_back(sender); }
    std::vector<Widget*> senders;
};

class GuiSDLTest : public Testing::SDLApplicationTest {
protected:
    void SetUp() override
    {
        StartApplication("GuiSDLTest", ScreenWidth, ScreenHeight);
        if (HasFatalFailure())
            return;
        Graphics::Device* device = app->GetGraphicsDevice();
        blitter.Set(new Draw2D::GraphicsDeviceBlitter(device, 4000));
        effect.Set(new Effects::Default2DEffect(device));
        skin.Set(new DefaultSkin(blitter.Get()));
        root.Set(new Widget(blitter.Get()));
        root->SetSize(ScreenWidth, ScreenHeight);
        root->SetFont(FontResource(face.Get()));
        app->SetInputListener(root.Get());
    }
    void TearDown() override
    {
        if (app)
            app->SetInputListener(nullptr);
        if (root) {
            root->Close();
            root.Detach();
        }
        Widget::Collect();
        skin.Set(nullptr);
        effect.Set(nullptr);
        blitter.Set(nullptr);
        app.Set(nullptr);
    }

    void PushMotion(int x, int y, bool leftHeld) { Testing::PushMouseMotion(windowID, x, y, leftHeld ? SDL_BUTTON_LMASK : 0); }
    void PushButton(bool down, int x, int y) { Testing::PushMouseButton(windowID, SDL_BUTTON_LEFT, down, x, y); }
    Applet* MakeApplet(const char* title, int x, int y, int width, int height)
    {
        Applet* applet = new Applet(skin.Get());
        root->AddChild(applet);
        applet->SetTitle(title);
        applet->SetPosition(x, y);
        applet->SetSize(width, height);
        return applet;
    }

    // The tree drawn over the backdrop as the Studio composes its overlay, read back.
    Frame Render()
    {
        Graphics::Device* device = app->GetGraphicsDevice();
        device->Clear(Graphics::ClearColor, Backdrop[0] / 255.0f, Backdrop[1] / 255.0f, Backdrop[2] / 255.0f, 1, 1, 0);
        blitter->Begin();
        root->Frame();
        blitter->End();
        State& state = *app->GetState();
        Graphics::BlendStateDescriptor blend;
        blend.blendEnable = true;
        blend.srcBlend = blend.srcBlendAlpha = Graphics::BlendOne;
        blend.destBlend = blend.destBlendAlpha = Graphics::BlendInvSrcAlpha;
        Graphics::SamplerStateDescriptor sampler;
        sampler.mipFilter = Graphics::FilterNone;
        state.blendStates.Push(blend);
        state.diffuseSamplers.Push(sampler);
        state.diffuseMaps.Push(blitter->GetTexture());
        effect->Render(*blitter, state);
        state.diffuseMaps.Pop();
        state.diffuseSamplers.Pop();
        state.blendStates.Pop();
        return ReadFrame();
    }
    Frame ReadFrame() { return Testing::ReadBackBuffer(static_cast<Graphics::GLDevice*>(app->GetGraphicsDevice())); }

    Managed<Draw2D::GraphicsDeviceBlitter> blitter;
    Managed<Effects::Default2DEffect> effect;
    Managed<DefaultSkin> skin;
    Managed<Widget> root;
};

// A title bar's middle rows show its colour times the skin's grey (194 … 218) at full alpha.
bool ShowsTitleColour(const Rgb& pixel, const Color& colour)
{
    const int tint[3] = {colour.red, colour.green, colour.blue};
    for (int grey = 190; grey <= 222; ++grey) {
        bool all = true;
        for (int c = 0; c < 3; ++c)
            all = all && std::abs(pixel[c] - tint[c] * grey / 255) <= 3;
        if (all)
            return true;
    }
    return false;
}

TEST_F(GuiSDLTest, AWindowDraggedByItsTitleBarMovesByExactlyThePointersMovement)
{
    Applet* applet = MakeApplet("Drag me", 100, 80, 300, 200);
    Render();
    PushMotion(250, 90, false);
    PushButton(true, 250, 90);
    PushMotion(287, 121, true);
    Pump();
    EXPECT_EQ(applet->GetPosition(), Point(137, 111));
    PushMotion(310, 150, true);
    PushMotion(316, 160, true);
    PushButton(false, 316, 160);
    Pump();
    EXPECT_EQ(applet->GetPosition(), Point(166, 150));
    PushMotion(400, 400, false);
    Pump();
    EXPECT_EQ(applet->GetPosition(), Point(166, 150));

    const Frame frame = Render();
    EXPECT_EQ(frame.At(120, 90), Backdrop) << "where the title bar was";
    const Rgb title = frame.At(166 + 200, 150 + 10);
    EXPECT_TRUE(ShowsTitleColour(title, Color(51, 102, 166, 255))) << Testing::ToText(title);
}

TEST_F(GuiSDLTest, AClickOnAMenuEntryCallsItsHandlerOnce)
{
    ClickCounter* receiver = new ClickCounter();
    root->AddChild(receiver);
    Menu* menu = new Menu(skin.Get(), root.Get(), receiver);
    menu->AddItem("Open");
    MenuItem* save = menu->AddItem("Save");
    menu->AddItem("Quit");
    menu->SetPosition(50, 40);
    menu->Show();
    Render();
    const Point at = save->GetScreenPosition() + Point(save->GetSize().x / 2, save->GetSize().y / 2);
    PushMotion(at.x, at.y, false);
    PushButton(true, at.x, at.y);
    PushButton(false, at.x, at.y);
    Pump();
    Render();  // the item's new colours are quads made after the first upload
    Pump();
    EXPECT_EQ(receiver->senders, std::vector<Widget*>{save});
    EXPECT_TRUE(save->IsOpen());
}

TEST_F(GuiSDLTest, TheActiveAndTheInactiveWindowShowTheirTitleBarColours)
{
    Applet* left = MakeApplet("Left", 20, 40, 280, 200);
    Applet* right = MakeApplet("Right", 330, 40, 280, 200);
    for (Applet* clicked : {left, right}) {
        const Point inside = clicked->GetScreenPosition() + Point(140, 120);
        PushMotion(inside.x, inside.y, false);
        PushButton(true, inside.x, inside.y);
        PushButton(false, inside.x, inside.y);
        Pump();
        const Frame frame = Render();
        for (Applet* applet : {left, right}) {
            const bool active = applet == clicked;
            EXPECT_EQ(applet->IsActive(), active);
            const Rgb pixel = frame.At(applet->GetPosition().x + 200, applet->GetPosition().y + 10);
            const Color expected = active ? Color(51, 102, 166, 255) : Color(92, 108, 122, 255);
            EXPECT_TRUE(ShowsTitleColour(pixel, expected)) << applet->GetTitle().CStr() << " " << Testing::ToText(pixel);
        }
    }
}

TEST_F(GuiSDLTest, AWindowHoldingEveryKindOfWidgetIsDrawn)
{
    Applet* applet = MakeApplet("Every widget", 20, 20, 600, 440);
    Widget* client = applet->GetClient();
    std::vector<Widget*> parts;
    auto place = [&](Widget* widget, int x, int y, int width, int height) {
        applet->AddChild(widget);
        widget->SetPosition(x, y);
        if (width > 0)
            widget->SetSize(width, height);
        parts.push_back(widget);
        return widget;
    };
    Image* icon = skin->CreateIcon();
    place(icon, 10, 10, 0, 0);
    Rectangle* rectangle = new Rectangle(blitter.Get());
    rectangle->SetColor(Color(200, 40, 40, 255));
    place(rectangle, 30, 10, 60, 20);
    Panel* panel = skin->CreatePanel();
    panel->SetColor(Color(120, 200, 120, 255));
    place(panel, 100, 10, 80, 40);
    place(new Label(blitter.Get(), "A label"), 190, 10, 100, 15);
    Button* button = skin->CreateButton();
    button->SetText("Button");
    place(button, 300, 10, 100, 25);
    Slider* slider = skin->CreateSlider();
    slider->SetValue(40);
    place(slider, 10, 60, 0, 0);
    Gauge* gauge = skin->CreateGauge();
    gauge->SetValue(70);
    place(gauge, 170, 60, 0, 0);
    ScrollBar* bar = skin->CreateScrollBar();
    bar->SetHorizontal();
    bar->SetRange(50);
    bar->SetPageSize(20);
    bar->SetScrollPosition(20);
    place(bar, 330, 60, 150, 14);
    ListBox* list = new ListBox(skin.Get());
    place(list, 10, 100, 160, 120);
    for (int i = 0; i < 12; ++i)
        list->AddItem(String("List item ") + String(i));
    list->SetSelectedIndex(2);
    TreeWidget* tree = new TreeWidget(skin.Get(), "Tree");
    place(tree, 190, 100, 160, 120);
    TreeWidget* branch = new TreeWidget(skin.Get(), "Branch");
    tree->AddChild(branch);
    branch->AddChild(new Label(blitter.Get(), "Leaf"));
    tree->AddChild(new Label(blitter.Get(), "Second"));
    tree->SetExpanded(true);
    branch->SetExpanded(true);
    Table* table = new Table(blitter.Get(), 3, 2);
    place(table, 370, 100, 210, 60);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            Rectangle* cell = new Rectangle(blitter.Get());
            cell->SetColor(Color(uint8_t(60 + 60 * column), uint8_t(90 + 80 * row), 200, 255));
            table->GetCell(column, row)->AddChild(cell);
            cell->SetAnchors(15);
        }
    table->UpdateLayout();
    for (int i = 0; i < 6; ++i) {
        Widget* cell = table->GetChild(i);
        cell->GetChild(0)->SetSize(cell->GetSize());
    }
    TextBox* text = new TextBox(blitter.Get());
    text->SetTextColor(Color(0, 0, 0, 255));
    text->SetText("Editable text");
    place(text, 370, 180, 200, 16);
    text->BeginEdit();
    Menu* menu = new Menu(skin.Get(), client, nullptr);
    MenuItem* file = menu->AddItem("File");
    menu->AddItem("Edit");
    menu->AddSeparator();
    menu->AddItem("Greyed")->SetKind(MenuItem::KindGreyed);
    file->GetSubMenu()->AddItem("New");
    file->GetSubMenu()->AddItem("Open");
    menu->SetPosition(10, 240);
    menu->Show();
    file->SetOpen(true);
    parts.push_back(menu);

    Render();
    const Frame frame = Render();  // the second frame has every layout settled
    const auto picture = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "gui-widgets.png";
    Testing::WritePng(picture.string(), frame.width, frame.height, frame.rgb);

    // Each part changes pixels of the frame behind it: the client's right column, where nothing
    // is placed, shows the frame's colour for each row.
    const int emptyX = client->GetScreenPosition().x + client->GetSize().x - 3;
    for (Widget* part : parts) {
        const Point at = part->GetScreenPosition();
        const Point size = part->GetSize();
        int changed = 0;
        for (int y = at.y; y < at.y + size.y; ++y)
            for (int x = at.x; x < at.x + size.x; ++x)
                changed += !Testing::Near(frame.At(x, y), frame.At(emptyX, y), 20);
        EXPECT_GT(changed, size.x * size.y / 20) << typeid(*part).name() << " at " << at.x << "," << at.y;
    }
    EXPECT_TRUE(file->GetSubMenu()->IsVisible());
}

}  // namespace gui_sdl_test
