#pragma once
// An input context whose queues and joysticks a test fills by hand, and which records every
// event handed to it, for tests of the Application and of the SDL event translation.

#include "core/Array.h"
#include "core/Exception.h"
#include "input/Context.h"

#include <deque>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class FakeKeyboard : public Input::Keyboard {
public:
    std::deque<Input::KeyEvent> queue;
    bool HasNextEvent() override { return !queue.empty(); }
    Input::KeyEvent GetNextEvent() override
    {
        if (queue.empty())
            throw Exception("FakeKeyboard: empty");
        Input::KeyEvent event = queue.front();
        queue.pop_front();
        return event;
    }
};

class FakeMouse : public Input::Mouse {
public:
    std::deque<Input::MouseEvent> queue;
    int hideCount = 0;
    int showCount = 0;
    bool HasNextEvent() override { return !queue.empty(); }
    Input::MouseEvent GetNextEvent() override
    {
        if (queue.empty())
            throw Exception("FakeMouse: empty");
        Input::MouseEvent event = queue.front();
        queue.pop_front();
        return event;
    }
    void HideCursor() override { ++hideCount; }
    void ShowCursor() override { ++showCount; }
    void SetCursorPosition(int, int) override {}
};

class FakeJoystick : public Input::Joystick {
public:
    std::vector<bool> buttons;
    std::vector<float> axes;
    int updateCount = 0;

    FakeJoystick(int buttonCount, int axisCount) : buttons(buttonCount), axes(axisCount) {}
    int GetButtonCount() override { return static_cast<int>(buttons.size()); }
    int GetAxisCount() override { return static_cast<int>(axes.size()); }
    bool GetButton(int index) override { return buttons.at(index); }
    float GetAxis(int index) override { return axes.at(index); }
    int Update() override
    {
        ++updateCount;
        return 0;
    }
};

class FakeInputContext : public Input::Context {
public:
    // Every event handed to the context, in order (key events and mouse events separately).
    std::vector<Input::KeyEvent> keyEvents;
    std::vector<Input::MouseEvent> mouseEvents;
    FakeKeyboard* fakeKeyboard;
    FakeMouse* fakeMouse;
    Array<Managed<FakeJoystick>> joysticks;
    Window* window = nullptr;

    FakeInputContext()
    {
        fakeKeyboard = new FakeKeyboard();
        keyboard.Set(fakeKeyboard);
        fakeMouse = new FakeMouse();
        mouse.Set(fakeMouse);
    }

    FakeJoystick* AddJoystick(int buttonCount, int axisCount)
    {
        auto* joystick = new FakeJoystick(buttonCount, axisCount);
        joysticks.Add(Managed<FakeJoystick>(joystick));
        return joystick;
    }

    void KeyEvent(int key, int action) override
    {
        keyEvents.push_back({key, action});
        fakeKeyboard->queue.push_back({key, action});
    }
    void MouseEvent(int buttons, int x, int y, int reserved0, int reserved1, int wheel, int action) override
    {
        const Input::MouseEvent event{buttons, x, y, reserved0, reserved1, wheel, action};
        mouseEvents.push_back(event);
        fakeMouse->queue.push_back(event);
    }
    int GetJoystickCount() override { return joysticks.Count(); }
    Input::Joystick* GetJoystick(int index) override
    {
        return index >= 0 && index < joysticks.Count() ? joysticks[index].Get() : nullptr;
    }
};

// Hands out one prepared FakeInputContext (the test keeps a borrowed pointer to it).
class FakeInputContextFactory : public Input::Context::Factory {
public:
    FakeInputContext* context = new FakeInputContext();
    int createCount = 0;
    // When set, CreateContext throws an Exception with this message.
    std::string failWith;

    ~FakeInputContextFactory() override
    {
        if (context)
            context->Release();
    }
    Input::Context* CreateContext(Window* window) override
    {
        ++createCount;
        if (!failWith.empty())
            throw Exception(failWith.c_str());
        context->window = window;
        context->AddRef();  // the caller adopts one reference, the factory keeps its own
        return context;
    }
};

}  // namespace Nimbrel::Testing
