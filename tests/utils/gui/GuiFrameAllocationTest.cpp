// A steady frame of a window full of widgets allocates nothing, pulsing button and blinking
// caret included: the tree drawn by the device blitter over the fake device.

#include "support/AllocationWatch.h"
#include "support/FakeDevice.h"
#include "support/GuiFixtures.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/gui/Applet.h"
#include "utils/gui/Button.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Gauge.h"
#include "utils/gui/ListBox.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Panel.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Slider.h"
#include "utils/gui/Table.h"
#include "utils/gui/TextBox.h"
#include "utils/gui/TreeWidget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;
using Nimbrel::Testing::MouseMove;

namespace gui_frame_allocation_test {

TEST(GuiFrameAllocation, ASteadyFrameOfAWindowFullOfWidgetsAllocatesNothing)
{
    Testing::GuiTestTime() = 0.0;
    SetTimeSource([] { return Testing::GuiTestTime(); });
    const int widgetsBefore = Widget::GetWidgetCount();
    Managed<Testing::FakeDevice> device(new Testing::FakeDevice());
    Managed<Draw2D::GraphicsDeviceBlitter> blitter(new Draw2D::GraphicsDeviceBlitter(device.Get(), 2000));
    Managed<Typography::FontFace> face = Testing::MonospaceFace();
    {
        Managed<DefaultSkin> skin(new DefaultSkin(blitter.Get()));
        Managed<Widget> root(new Widget(blitter.Get()));
        root->SetSize(800, 600);
        root->SetFont(FontResource(face.Get()));
        Applet* applet = new Applet(skin.Get());
        root->AddChild(applet);
        applet->SetSize(600, 500);
        Button* button = skin->CreateButton();
        applet->AddChild(button);
        button->SetPosition(10, 10);
        int y = 50;
        for (Widget* widget : {static_cast<Widget*>(skin->CreateSlider()), static_cast<Widget*>(skin->CreateGauge()),
                               static_cast<Widget*>(skin->CreateScrollBar())}) {
            applet->AddChild(widget);
            widget->SetPosition(200, y += 25);
            widget->SetSize(150, 20);
        }
        ListBox* list = new ListBox(skin.Get());
        applet->AddChild(list);
        list->SetPosition(10, 100);
        for (int i = 0; i < 20; ++i)
            list->AddItem(String("item ") + String(i));
        TreeWidget* tree = new TreeWidget(skin.Get(), "tree");
        applet->AddChild(tree);
        tree->SetPosition(200, 100);
        tree->AddChild(new TreeWidget(skin.Get(), "node"));
        tree->SetExpanded(true);
        Table* table = new Table(blitter.Get(), 3, 3);
        applet->AddChild(table);
        table->SetPosition(400, 100);
        Menu* menu = new Menu(skin.Get(), root.Get(), nullptr);
        menu->AddItem("File")->GetSubMenu()->AddItem("New");
        menu->SetPosition(650, 10);
        menu->Show();
        TextBox* text = new TextBox(blitter.Get());
        applet->AddChild(text);
        text->SetPosition(300, 300);
        text->SetText("caret");
        text->Activate();

        const Point over = button->GetScreenPosition() + Point(50, 12);
        root->HandleMouse(over, MouseMove(over.x, over.y));
        device->recording = false;
        auto frame = [&](double time) {
            Testing::GuiTestTime() = time;
            device->draws.clear();
            blitter->Begin();
            root->Frame();
            blitter->End();
            blitter->Draw();
        };
        for (int warm = 0; warm < 3; ++warm)
            frame(0.1 * warm);
        Panel* buttonPanel = static_cast<Panel*>(button->GetChild(0));
        uint8_t alphas[20] = {};
        if (!Testing::AllocationWatch::Available())
            GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
        {
            Testing::AllocationWatch allocations;
            for (int i = 0; i < 20; ++i) {
                frame(1.0 + 0.07 * i);
                alphas[i] = buttonPanel->GetColor().alpha;
            }
            EXPECT_EQ(allocations.AllocationCount(), 0u);
        }
        // The frames did animate: the hovered button pulsed.
        EXPECT_GT(*std::max_element(alphas, alphas + 20), *std::min_element(alphas, alphas + 20));
        EXPECT_TRUE(text->IsActive());
        root->Close();
        root.Detach();
    }
    Widget::Collect();
    EXPECT_EQ(Widget::GetWidgetCount(), widgetsBefore);
    SetTimeSource(nullptr);
}

}  // namespace gui_frame_allocation_test
