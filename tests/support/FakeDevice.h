#pragma once
// FakeDevice: the test double of Graphics::Device, for tests of code that drives a device (the
// Application, the render state, effects, geometry, meshes and their loaders) without a window
// or GL. FakeDeviceFactory hands it out where code asks a factory for its device.
//
// It keeps the device contract where callers can see it: equal descriptors give the identical
// state object, Create... returns a new reference, setters take none, getters return what was
// set last, selecting a framebuffer resets the viewport to the target's size. Everything asked
// of it, and of the programs it makes, is appended in order to `log` ("SetProgram",
// "CreateBlendState", "World.SetMatrix4", ...) while `recording` is true; turn recording off to
// measure code whose own work must not allocate. `failAt` makes one chosen call throw, to test
// how callers recover. The objects it makes are those of support/FakeResources.h.

#include "support/FakeResources.h"

#include "graphics/Device.h"
#include "platform/Window.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class FakeDevice : public Graphics::Device {
public:
    struct ClearCall {
        int flags;
        float r, g, b, a, depth;
        int stencil;
    };
    struct DrawCall {
        bool indexed;
        int first;
        int count;
        int minVertex;
        int maxVertex;
    };

    explicit FakeDevice(int width = 800, int height = 600);

    // Everything asked of the device and of its programs, in order, while recording is on.
    CallLog log;
    bool recording = true;
    // A call (by its log name) that throws "FakeDevice: <name> failed" instead of running.
    std::string failAt;
    // Whether geometry shaders can be made. Without them (as on the GL back end) a geometry
    // CreateShader throws "FakeDevice: no geometry shaders"; with them a program of three
    // shaders is logged as "CreateProgram(geometry)".
    bool geometryShaders = false;
    // Answers of the capability queries.
    bool screenSpaceConformant = true;
    bool glDepthRange = true;
    // What Present returns, and what runs inside it (where a real device pumps window events).
    bool presentResult = true;
    std::function<void()> onPresent;
    int presentCount = 0;
    std::vector<ClearCall> clears;
    std::vector<DrawCall> draws;
    // The buffer mode of every vertex and index buffer made, in order.
    std::vector<Graphics::BufferMode> modes;

    // A program with the uniforms of the declarations, owned by the caller; it logs into this
    // device's log.
    FakeProgram* MakeProgram(const char* declarations);

    // The state objects made so far, one per distinct descriptor (the device holds one
    // reference on each).
    int StateObjectCount() const;
    template <class Visit>
    void ForEachStateObject(Visit visit) const
    {
        for (auto& entry : samplerStates)
            visit(static_cast<Object*>(entry.second.Get()));
        for (auto& entry : blendStates)
            visit(static_cast<Object*>(entry.second.Get()));
        for (auto& entry : depthStencilStates)
            visit(static_cast<Object*>(entry.second.Get()));
        for (auto& entry : rasterizerStates)
            visit(static_cast<Object*>(entry.second.Get()));
    }

    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) override;
    void Flush() override { Log("Flush"); }
    bool Present() override;
    bool SupportsShadingLanguage(Graphics::ShadingLanguage language) override;
    bool IsScreenSpaceConformant() override;
    bool UsesGLDepthRange() override;
    int GetMaxSlots() override { return 16; }
    Graphics::Surface* GetBackBuffer() override { return backBuffer.Get(); }

    Graphics::VertexBuffer* CreateVertexBuffer(Graphics::BufferMode mode, int size, int stride) override;
    Graphics::IndexBuffer* CreateIndexBuffer(Graphics::BufferMode mode, int size, int indexSize) override;
    Graphics::Surface* CreateSurface(int width, int height, Graphics::PixelFormat format, int samples) override;
    Graphics::Texture2D* CreateTexture2D(int width, int height, Graphics::PixelFormat format, bool renderable) override;
    Graphics::Texture* CreateTexture3D(int, int, int, Graphics::PixelFormat, bool) override;
    Graphics::TextureCube* CreateTextureCube(int size, Graphics::PixelFormat format, bool renderable) override;
    Graphics::Shader* CreateShader(Graphics::ShaderType type, bool, const char* entryPoint, const char*,
                                   const char* source) override;
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel,
                                     Graphics::Shader* geometry) override;
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel) override;
    Graphics::BlendState* CreateBlendState(const Graphics::BlendStateDescriptor& descriptor) override;
    Graphics::DepthStencilState* CreateDepthStencilState(const Graphics::DepthStencilStateDescriptor& descriptor) override;
    Graphics::RasterizerState* CreateRasterizerState(const Graphics::RasterizerStateDescriptor& descriptor) override;
    Graphics::InputLayout* CreateInputLayout(const Graphics::InputElement* elements, int count) override;
    Graphics::SemanticMap* CreateSemanticMap(const String* names) override;
    Graphics::SamplerState* CreateSamplerState(const Graphics::SamplerStateDescriptor& descriptor) override;

    void SetViewports(int count, const Graphics::Rect* rects) override;
    void SetScissorRects(int count, const Graphics::Rect* rects) override;
    void SetBlendState(Graphics::BlendState* state) override;
    void SetDepthStencilState(Graphics::DepthStencilState* state) override;
    void SetRasterizerState(Graphics::RasterizerState* state) override;
    void SetInputLayout(Graphics::InputLayout* layout) override;
    void SetSemanticMap(Graphics::SemanticMap* map) override;
    void SetVertexBuffer(int stream, Graphics::VertexBuffer* buffer) override;
    void SetIndexBuffer(Graphics::IndexBuffer* buffer) override;
    void SetPrimitiveType(Graphics::PrimitiveType type) override;
    void SetProgram(Graphics::Program* newProgram) override;
    void SetFramebuffer(int count, Graphics::Surface* const* colors, Graphics::Surface* depthStencil) override;

    int GetViewports(int count, Graphics::Rect* out) override;
    int GetScissorRects(int count, Graphics::Rect* out) override;
    Graphics::BlendState* GetBlendState() override { return blendState; }
    Graphics::DepthStencilState* GetDepthStencilState() override { return depthStencilState; }
    Graphics::RasterizerState* GetRasterizerState() override { return rasterizerState; }
    Graphics::InputLayout* GetInputLayout() override { return inputLayout; }
    Graphics::SemanticMap* GetSemanticMap() override { return semanticMap; }
    Graphics::VertexBuffer* GetVertexBuffer(int stream) override;
    Graphics::IndexBuffer* GetIndexBuffer() override { return indexBuffer; }
    Graphics::PrimitiveType GetPrimitiveType() override { return primitiveType; }
    Graphics::Program* GetProgram() override { return program; }
    Graphics::Surface* GetColorTarget(int index) override;
    int GetColorTargetCount() override;
    Graphics::Surface* GetDepthStencilTarget() override { return depthStencilTarget; }

    void Draw(int first, int count) override;
    void DrawIndexed(int first, int count, int minVertex, int maxVertex) override;
    int AddDrawCallListener(Graphics::DrawCallListener* listener) override;
    void RemoveDrawCallListener(Graphics::DrawCallListener* listener) override;

private:
    void Log(const char* call);
    void Notify();
    template <class Made, class Descriptor>
    static Made* Cached(std::map<Descriptor, Managed<FakeStateObject<Made, Descriptor>>>& cache,
                        const Descriptor& descriptor)
    {
        auto& object = cache[descriptor];
        if (!object)
            object.Set(new FakeStateObject<Made, Descriptor>(descriptor));
        object->AddRef();
        return object.Get();
    }

    Managed<FakeSurface> backBuffer;
    Graphics::Rect viewport;
    Graphics::Rect scissor;
    std::map<Graphics::SamplerStateDescriptor, Managed<FakeSamplerState>> samplerStates;
    std::map<Graphics::BlendStateDescriptor, Managed<FakeBlendState>> blendStates;
    std::map<Graphics::DepthStencilStateDescriptor, Managed<FakeDepthStencilState>> depthStencilStates;
    std::map<Graphics::RasterizerStateDescriptor, Managed<FakeRasterizerState>> rasterizerStates;
    Graphics::BlendState* blendState = nullptr;
    Graphics::DepthStencilState* depthStencilState = nullptr;
    Graphics::RasterizerState* rasterizerState = nullptr;
    Graphics::InputLayout* inputLayout = nullptr;
    Graphics::SemanticMap* semanticMap = nullptr;
    std::array<Graphics::VertexBuffer*, 16> vertexBuffers{};
    Graphics::IndexBuffer* indexBuffer = nullptr;
    Graphics::PrimitiveType primitiveType = Graphics::PrimitiveTriangles;
    Graphics::Program* program = nullptr;
    std::array<Graphics::Surface*, 16> colorTargets{};
    int colorCount = 0;
    Graphics::Surface* depthStencilTarget = nullptr;
    std::vector<Graphics::DrawCallListener*> listeners;
};

// Makes FakeDevices and records what each request asked for.
class FakeDeviceFactory : public Graphics::Device::Factory {
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
    FakeDevice* lastDevice = nullptr;
    // When set, CreateDevice throws an Exception with this message.
    std::string failWith;

    Graphics::Device* CreateDevice(Window* window, Graphics::DepthStencilFormat format, int samples,
                                   int flags) override;
};

}  // namespace Nimbrel::Testing
