#pragma once
// A widget that records the key and mouse events it is handed, for tests of what reaches the
// input listener.

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

    void HandleMouse(const Math::Vector2t<int>& position, const Input::MouseEvent& event) override
    {
        mice.push_back({position, event});
    }
    void HandleKey(int key, int state) override { keys.push_back({key, state}); }
};

}  // namespace Nimbrel::Testing
