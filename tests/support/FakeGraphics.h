#pragma once
// A graphics backend that records what is asked of it, for tests of code that drives a device
// (the Application, the render state, ...) without a window system or GL.

#include "core/String.h"
#include "graphics/Device.h"
#include "platform/Window.h"

#include <functional>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class RecordingDevice : public Graphics::Device {
public:
    struct ClearCall {
        int flags;
        float r, g, b, a, depth;
        int stencil;
    };

    // Every call in order, by name ("Clear", "Flush", "Present").
    std::vector<std::string> calls;
    std::vector<ClearCall> clears;
    int presentCount = 0;
    // What Present returns.
    bool presentResult = true;
    // Runs inside Present before it returns: the place where a real device pumps window
    // events, so a test queues its input here.
    std::function<void()> onPresent;

    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) override
    {
        calls.push_back("Clear");
        clears.push_back({flags, r, g, b, a, depth, stencil});
    }
    void Flush() override { calls.push_back("Flush"); }
    bool Present() override
    {
        calls.push_back("Present");
        ++presentCount;
        if (onPresent)
            onPresent();
        return presentResult;
    }
    bool IsScreenSpaceConformant() override { return true; }
    bool UsesGLDepthRange() override { return true; }
    int GetMaxSlots() override { return 16; }
};

class RecordingDeviceFactory : public Graphics::Device::Factory {
public:
    struct Request {
        Window* window;
        int windowWidth;
        int windowHeight;
        int format;
        int samples;
        int flags;
    };

    std::vector<Request> requests;
    // The device made last (borrowed; whoever asked for it owns it).
    RecordingDevice* lastDevice = nullptr;
    // When set, CreateDevice throws an Exception with this message.
    std::string failWith;

    Graphics::Device* CreateDevice(Window* window, Graphics::DepthStencilFormat format, int samples,
                                   int flags) override
    {
        requests.push_back({window, window ? window->GetWidth() : 0, window ? window->GetHeight() : 0,
                            static_cast<int>(format), samples, flags});
        if (!failWith.empty())
            throw Exception(failWith.c_str());
        lastDevice = new RecordingDevice();
        return lastDevice;
    }
};

}  // namespace Nimbrel::Testing
