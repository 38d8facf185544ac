#pragma once
// GUI::Widget, as far as the Application needs it: the listener that receives the raw key and
// mouse events of each main-loop pass. The widget tree, its dispatch and drawing build on this.
//
// Key events carry an engine key code and a state (0 pressed, 1 released, 2 character, where
// the key is then the character). Mouse events carry the input layer's record unchanged; the
// root widget receives the position in screen coordinates.

#include "core/Object.h"
#include "input/Events.h"
#include "math/Vector2t.h"

namespace Nimbrel::Utils::GUI {

class Widget : public Object {
public:
    ~Widget() override = default;
    virtual void HandleMouse(const Math::Vector2t<int>& position, const Input::MouseEvent& event) = 0;
    virtual void HandleKey(int key, int state) = 0;
};

}  // namespace Nimbrel::Utils::GUI
