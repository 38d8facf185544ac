#pragma once
// A widget that records the key and mouse events it is handed, for tests of what reaches the
// input listener. It records instead of dispatching, has no painter and usually lives on the
// stack (so it takes itself out of the widget list when it goes, and is never closed).

#include "utils/gui/Widget.h"

#include <vector>

namespace Nimbrel::Testing {

class RecordingWidget : public Utils::GUI::Widget {
public:
    struct MouseCall {
        Math::Vector2t<int> position;
        Input::MouseEvent event;
    };
    std::vector<Input::KeyEvent> keys;
    std::vector<MouseCall> mice;

    RecordingWidget() : Widget(nullptr) {}

    void HandleMouse(const Math::Vector2t<int>& position, const Input::MouseEvent& event) override
    {
        mice.push_back({position, event});
    }
    void HandleKey(int key, int state) override { keys.push_back({key, state}); }
};

}  // namespace Nimbrel::Testing
