// Tree nodes: the expand button, heights that follow expansion at every depth, and label
// widgets put in place of the text.

#include "utils/gui/TreeWidget.h"

#include "support/GuiFixtures.h"
#include "utils/gui/Button.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;

namespace tree_widget_test {

struct ClickOwner : Widget {
    explicit ClickOwner(Draw2D::Blitter* painter) : Widget(painter) {}
    void OnClick(Widget* sender, const Input::MouseEvent&) override { senders.push_back(sender); }
    std::vector<Widget*> senders;
};

class TreeWidgetTest : public Testing::GuiTest {
protected:
    Managed<DefaultSkin> skin{new DefaultSkin(blitter.Get())};
};

TEST_F(TreeWidgetTest, ExpandingShowsTheNodesBelowTheLabelAndTheHeightFollows)
{
    ClickOwner* owner = Testing::AddTo<ClickOwner>(root.Get(), blitter.Get());
    owner->SetSize(400, 400);
    TreeWidget* tree = Testing::AddTo<TreeWidget>(owner, skin.Get(), "Probes");
    tree->SetPosition(10, 10);
    DrawFrame();
    EXPECT_FALSE(tree->GetExpandButton()->IsVisible());
    EXPECT_EQ(tree->GetLabelWidget()->GetPosition(), Point(0, 0));
    EXPECT_EQ(tree->GetSize().y, 15 + 5);

    Widget* a = Testing::AddTo<Widget>(tree, blitter.Get());
    a->SetSize(100, 15);
    Widget* b = Testing::AddTo<Widget>(tree, blitter.Get());
    b->SetSize(100, 20);
    DrawFrame();
    EXPECT_TRUE(tree->GetExpandButton()->IsVisible());
    EXPECT_EQ(tree->GetLabelWidget()->GetPosition(), Point(15, 0));
    EXPECT_FALSE(a->IsVisible());
    EXPECT_EQ(tree->GetSize().y, 20);

    Click(15, 15);  // the expand button at the node's top-left
    EXPECT_EQ(owner->senders, std::vector<Widget*>{tree->GetExpandButton()});
    EXPECT_TRUE(tree->IsExpanded());
    EXPECT_EQ(tree->GetExpandButton()->GetText(), "-");
    DrawFrame();
    EXPECT_EQ(tree->GetSize().y, 15 + 5 + 17 + 22);
    EXPECT_EQ(a->GetPosition(), Point(25, 20));
    EXPECT_EQ(b->GetPosition(), Point(25, 37));
    EXPECT_TRUE(b->IsVisible());

    Click(15, 15);
    DrawFrame();
    EXPECT_EQ(tree->GetSize().y, 20);
    EXPECT_EQ(tree->GetExpandButton()->GetText(), "+");
    EXPECT_FALSE(b->IsVisible());
}

TEST_F(TreeWidgetTest, ANestedExpansionResizesEveryAncestorInTheSameFrame)
{
    TreeWidget* top = Testing::AddTo<TreeWidget>(root.Get(), skin.Get(), "top");
    TreeWidget* middle = Testing::AddTo<TreeWidget>(top, skin.Get(), "middle");
    Widget* leaf = Testing::AddTo<Widget>(middle, blitter.Get());
    leaf->SetSize(50, 30);
    Widget* below = Testing::AddTo<Widget>(top, blitter.Get());
    below->SetSize(50, 10);
    top->SetExpanded(true);
    DrawFrame();
    EXPECT_EQ(middle->GetSize().y, 20);
    EXPECT_EQ(top->GetSize().y, 20 + 22 + 12);

    middle->SetExpanded(true);
    DrawFrame();
    EXPECT_EQ(middle->GetSize().y, 20 + 32);
    EXPECT_EQ(top->GetSize().y, 20 + 54 + 12);
    EXPECT_EQ(below->GetPosition(), Point(25, 20 + 54));
}

TEST_F(TreeWidgetTest, ALabelWidgetReplacesAndClosesTheTextLabel)
{
    TreeWidget* tree = Testing::AddTo<TreeWidget>(root.Get(), skin.Get(), "text");
    Widget* old = tree->GetLabelWidget();
    old->AddRef();
    Label* custom = new Label(blitter.Get(), "custom");
    tree->SetLabelWidget(custom);
    EXPECT_EQ(old->GetParent(), nullptr);
    EXPECT_FALSE(old->IsVisible());
    EXPECT_EQ(old->GetRefCount(), 2);  // the test's and the widget list's: the tree let go
    old->Release();
    EXPECT_EQ(custom->GetParent(), tree);
    EXPECT_EQ(tree->GetNodeCount(), 0);
    DrawFrame();
    EXPECT_EQ(blitter->DrawnText(), "custom");
}

}  // namespace tree_widget_test
