#pragma once
// FakeDevice: a complete test double of Graphics::Device, for tests of code that drives a
// device (the render state, effects, drawing utilities, loaders) without a window or GL.
//
// It keeps the device contract where callers can see it: equal descriptors give the identical
// state object, Create... returns a new reference, setters take none, getters return what was
// set last, selecting a framebuffer resets the viewport to the target's size. Everything asked
// of it, and of the programs it makes, is appended in order to `log` ("SetProgram",
// "CreateBlendState", "World.SetMatrix4", ...) while `recording` is true; turn recording off to
// measure code whose own work must not allocate. `failAt` makes one chosen call throw, to test
// how callers recover.
//
// Shaders take a fake source: uniform declarations "type name;" or "type name[n];" (Cg type
// names: float, float2 ... float4x4, int..., bool..., sampler2D, samplerCube, sampler3D; a
// leading "uniform" is allowed). A program made of two shaders has the union of their
// uniforms; MakeProgram builds one straight from such a text.

#include "core/Exception.h"
#include "core/Managed.h"
#include "core/String.h"
#include "graphics/Device.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

using CallLog = std::vector<std::string>;

// A state object that remembers the descriptor it was made from.
template <class Base, class Descriptor>
class FakeStateObject : public Base {
public:
    explicit FakeStateObject(const Descriptor& descriptor) : descriptor(descriptor) {}
    Descriptor descriptor;
};
using FakeSamplerState = FakeStateObject<Graphics::SamplerState, Graphics::SamplerStateDescriptor>;
using FakeBlendState = FakeStateObject<Graphics::BlendState, Graphics::BlendStateDescriptor>;
using FakeDepthStencilState = FakeStateObject<Graphics::DepthStencilState, Graphics::DepthStencilStateDescriptor>;
using FakeRasterizerState = FakeStateObject<Graphics::RasterizerState, Graphics::RasterizerStateDescriptor>;

class FakeSurface : public Graphics::Surface {
public:
    struct CopyCall {
        Graphics::Surface* source;
        Graphics::Rect sourceRect;
        Graphics::Rect destRect;
        Graphics::Filter filter;
    };

    FakeSurface(int width, int height, Graphics::PixelFormat format = Graphics::PixelFormatR8G8B8A8, int samples = 0)
        : width(width), height(height), format(format), samples(samples)
    {
    }
    void Copy(Graphics::Surface* source, const Graphics::Rect& sourceRect, const Graphics::Rect& destRect,
              Graphics::Filter filter) override
    {
        copies.push_back({source, sourceRect, destRect, filter});
    }
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }

    int width;
    int height;
    Graphics::PixelFormat format;
    int samples;
    std::vector<CopyCall> copies;
};

class FakeTexture2D : public Graphics::Texture2D {
public:
    FakeTexture2D(int width, int height, Graphics::PixelFormat format = Graphics::PixelFormatR8G8B8A8,
                  bool renderable = false)
        : width(width), height(height), format(format), renderable(renderable)
    {
    }
    Graphics::PixelFormat GetPixelFormat() override { return format; }
    Graphics::TextureType GetTextureType() override { return Graphics::TextureType2D; }
    void SetData(int level, const void*, bool generateMipmaps) override
    {
        levelsSet.push_back(level);
        if (generateMipmaps)
            ++mipmapGenerations;
    }
    void GenerateMipmaps() override { ++mipmapGenerations; }
    Graphics::Surface* GetSurface(int level) override
    {
        if (level < 0 || level > 15)
            throw Exception("FakeTexture2D::GetSurface(): level out of range");
        if (!surfaces[level])
            surfaces[level].Set(new FakeSurface(std::max(1, width >> level), std::max(1, height >> level), format));
        return surfaces[level].Get();
    }
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }

    int width;
    int height;
    Graphics::PixelFormat format;
    bool renderable;
    std::vector<int> levelsSet;
    int mipmapGenerations = 0;

private:
    std::array<Managed<FakeSurface>, 16> surfaces;
};

class FakeTextureCube : public Graphics::TextureCube {
public:
    FakeTextureCube(int size, Graphics::PixelFormat format = Graphics::PixelFormatR8G8B8A8, bool renderable = false)
        : size(size), format(format), renderable(renderable)
    {
    }
    Graphics::PixelFormat GetPixelFormat() override { return format; }
    Graphics::TextureType GetTextureType() override { return Graphics::TextureTypeCube; }
    void SetData(Graphics::TextureFace, int, const void*, bool generateMipmaps) override
    {
        if (generateMipmaps)
            ++mipmapGenerations;
    }
    void GenerateMipmaps() override { ++mipmapGenerations; }
    Graphics::Surface* GetSurface(Graphics::TextureFace face, int level) override
    {
        if (face < 0 || face > 5 || level < 0 || level > 15)
            throw Exception("FakeTextureCube::GetSurface(): face or level out of range");
        Managed<FakeSurface>& surface = surfaces[face * 16 + level];
        if (!surface)
            surface.Set(new FakeSurface(std::max(1, size >> level), std::max(1, size >> level), format));
        return surface.Get();
    }
    int GetSize() override { return size; }

    int size;
    Graphics::PixelFormat format;
    bool renderable;
    int mipmapGenerations = 0;

private:
    std::array<Managed<FakeSurface>, 6 * 16> surfaces;
};

// The bytes of a vertex or index buffer, kept in memory.
template <class Base>
class FakeBuffer : public Base {
public:
    explicit FakeBuffer(int size) : bytes(static_cast<size_t>(std::max(0, size))) {}
    void SetData(const void* data, int offset, int size) override
    {
        if (size == 0)
            size = static_cast<int>(bytes.size()) - offset;
        if (offset < 0 || size < 0 || static_cast<size_t>(offset) + static_cast<size_t>(size) > bytes.size())
            throw Exception("FakeBuffer::SetData(): range outside the buffer");
        if (size > 0)
            std::memcpy(bytes.data() + offset, data, static_cast<size_t>(size));
    }
    void* Lock(Graphics::LockMode, int offset, int) override
    {
        if (locked)
            throw Exception("FakeBuffer::Lock(): already locked");
        if (offset < 0 || static_cast<size_t>(offset) > bytes.size())
            throw Exception("FakeBuffer::Lock(): offset outside the buffer");
        locked = true;
        return bytes.data() + offset;
    }
    void Unlock() override
    {
        if (!locked)
            throw Exception("FakeBuffer::Unlock(): not locked");
        locked = false;
    }
    int GetSize() override { return static_cast<int>(bytes.size()); }

    std::vector<uint8_t> bytes;
    bool locked = false;
};

class FakeVertexBuffer : public FakeBuffer<Graphics::VertexBuffer> {
public:
    FakeVertexBuffer(int size, int stride) : FakeBuffer(size), stride(stride) {}
    int GetStride() override { return stride; }
    int stride;
};

class FakeIndexBuffer : public FakeBuffer<Graphics::IndexBuffer> {
public:
    FakeIndexBuffer(int size, int indexSize) : FakeBuffer(size), indexSize(indexSize == 2 ? 2 : 4) {}
    int GetIndexSize() override { return indexSize; }
    int indexSize;
};

class FakeInputLayout : public Graphics::InputLayout {
public:
    FakeInputLayout(const Graphics::InputElement* elements, int count) : elements(elements, elements + count) {}
    int GetElements(int maxCount, Graphics::InputElement* out) override
    {
        const int n = std::min(maxCount, static_cast<int>(elements.size()));
        for (int i = 0; i < n; ++i)
            out[i] = elements[i];
        return n;
    }
    std::vector<Graphics::InputElement> elements;
};

class FakeSemanticMap : public Graphics::SemanticMap {
public:
    explicit FakeSemanticMap(const String* source)
    {
        for (int i = 0; i < 16; ++i)
            names[i] = source[i];
    }
    std::array<String, 16> names;
};

struct FakeUniform {
    std::string name;
    Graphics::ParameterType type;
    int arraySize;
};

class FakeShader : public Graphics::Shader {
public:
    FakeShader(Graphics::ShaderType type, std::string entryPoint, std::vector<FakeUniform> uniforms)
        : type(type), entryPoint(std::move(entryPoint)), uniforms(std::move(uniforms))
    {
    }

    // Reads "type name;" declarations; an unknown type or a malformed one throws.
    static std::vector<FakeUniform> ParseUniforms(const char* source)
    {
        static const std::map<std::string, Graphics::ParameterType> types = {
            {"float", Graphics::ParameterTypeFloat},       {"float2", Graphics::ParameterTypeFloat2},
            {"float3", Graphics::ParameterTypeFloat3},     {"float4", Graphics::ParameterTypeFloat4},
            {"float2x2", Graphics::ParameterTypeFloat2x2}, {"float3x3", Graphics::ParameterTypeFloat3x3},
            {"float4x4", Graphics::ParameterTypeFloat4x4}, {"int", Graphics::ParameterTypeInt},
            {"int2", Graphics::ParameterTypeInt2},         {"int3", Graphics::ParameterTypeInt3},
            {"int4", Graphics::ParameterTypeInt4},         {"bool", Graphics::ParameterTypeBool},
            {"bool2", Graphics::ParameterTypeBool2},       {"bool3", Graphics::ParameterTypeBool3},
            {"bool4", Graphics::ParameterTypeBool4},       {"sampler2D", Graphics::ParameterTypeSampler2D},
            {"samplerCube", Graphics::ParameterTypeSamplerCube}, {"sampler3D", Graphics::ParameterTypeSampler3D},
        };
        std::vector<FakeUniform> uniforms;
        std::stringstream declarations(source ? source : "");
        std::string declaration;
        while (std::getline(declarations, declaration, ';')) {
            std::stringstream words(declaration);
            std::string type, name, rest;
            words >> type;
            if (type.empty())
                continue;
            if (type == "uniform")
                words >> type;
            words >> name;
            if (name.empty() || (words >> rest) || !types.count(type))
                throw Exception(("FakeShader: bad declaration \"" + declaration + "\"").c_str());
            int arraySize = 1;
            if (const size_t bracket = name.find('['); bracket != std::string::npos) {
                arraySize = std::stoi(name.substr(bracket + 1));
                name.erase(bracket);
            }
            uniforms.push_back({name, types.at(type), arraySize});
        }
        return uniforms;
    }

    Graphics::ShaderType type;
    std::string entryPoint;
    std::vector<FakeUniform> uniforms;
};

// A uniform of a FakeProgram. It keeps the last value set; an invalid one ignores values, as
// the contract says, but counts the attempts so a test can tell that none was made.
class FakeParameter : public Graphics::Parameter {
public:
    FakeParameter(const FakeUniform& uniform, bool valid, CallLog* log, const bool* recording)
        : name(uniform.name), type(uniform.type), arraySize(valid ? uniform.arraySize : 0), valid(valid), log(log),
          recording(recording)
    {
    }

    String GetName() override { return String(name.c_str()); }
    Graphics::ParameterType GetParameterType() override
    {
        if (!valid)
            throw Exception("GetParameterType(): Parameter is not valid");
        return type;
    }
    int GetArraySize() override { return arraySize; }
    bool IsValid() override { return valid; }

    void SetSampler(int count, Graphics::Texture* const* textures, Graphics::SamplerState* const* states) override
    {
        if (Note("SetSampler") && count > 0) {
            texture = textures[0];
            sampler = states ? states[0] : nullptr;
        }
    }
    void SetSampler(int count, Graphics::Texture* const* textures) override { SetSampler(count, textures, nullptr); }
    void SetSampler(Graphics::Texture* newTexture, Graphics::SamplerState* state) override
    {
        if (Note("SetSampler")) {
            texture = newTexture;
            sampler = state;
        }
    }
    void SetSampler(Graphics::Texture* newTexture) override { SetSampler(newTexture, nullptr); }

    void SetFloat(int count, const float* v) override { Store("SetFloat", count, 1, v); }
    void SetFloat2(int count, const float* v) override { Store("SetFloat2", count, 2, v); }
    void SetFloat3(int count, const float* v) override { Store("SetFloat3", count, 3, v); }
    void SetFloat4(int count, const float* v) override { Store("SetFloat4", count, 4, v); }
    void SetInt(int count, const int* v) override { StoreOther("SetInt", count, 1, v); }
    void SetInt2(int count, const int* v) override { StoreOther("SetInt2", count, 2, v); }
    void SetInt3(int count, const int* v) override { StoreOther("SetInt3", count, 3, v); }
    void SetInt4(int count, const int* v) override { StoreOther("SetInt4", count, 4, v); }
    void SetBool(int count, const bool* v) override { StoreOther("SetBool", count, 1, v); }
    void SetBool2(int count, const bool* v) override { StoreOther("SetBool2", count, 2, v); }
    void SetBool3(int count, const bool* v) override { StoreOther("SetBool3", count, 3, v); }
    void SetBool4(int count, const bool* v) override { StoreOther("SetBool4", count, 4, v); }
    void SetMatrix2(int count, const float* v) override { Store("SetMatrix2", count, 4, v); }
    void SetMatrix3(int count, const float* v) override { Store("SetMatrix3", count, 9, v); }
    void SetMatrix4(int count, const float* v) override { Store("SetMatrix4", count, 16, v); }

    // The values of the last float or matrix setter (the first element of an array).
    std::vector<float> Values() const { return std::vector<float>(values.begin(), values.begin() + valueCount); }

    std::string name;
    Graphics::ParameterType type;
    int arraySize;
    bool valid;
    // Accepted setter calls, and the setter and count of the last one.
    int setCount = 0;
    const char* lastSetter = "";
    int lastCount = 0;
    // Setter calls made on an invalid parameter, which changed nothing.
    int ignoredSets = 0;
    Graphics::Texture* texture = nullptr;
    Graphics::SamplerState* sampler = nullptr;

private:
    bool Note(const char* setter)
    {
        if (!valid) {
            ++ignoredSets;
            return false;
        }
        ++setCount;
        lastSetter = setter;
        if (*recording)
            log->push_back(name + "." + setter);
        return true;
    }
    void Store(const char* setter, int count, int width, const float* v)
    {
        if (!Note(setter))
            return;
        lastCount = count;
        valueCount = width;
        std::copy(v, v + width, values.begin());
    }
    template <class T>
    void StoreOther(const char* setter, int count, int width, const T* v)
    {
        if (!Note(setter))
            return;
        lastCount = count;
        valueCount = width;
        for (int i = 0; i < width; ++i)
            values[i] = static_cast<float>(v[i]);
    }

    CallLog* log;
    const bool* recording;
    std::array<float, 16> values{};
    int valueCount = 0;
};

class FakeProgram : public Graphics::Program {
public:
    // log and recording belong to whoever made the program (usually a FakeDevice) and must
    // outlive it.
    FakeProgram(const std::vector<FakeUniform>& uniforms, CallLog* log, const bool* recording)
        : log(log), recording(recording)
    {
        for (const FakeUniform& uniform : uniforms)
            if (!parameters.count(uniform.name))
                parameters[uniform.name].Set(new FakeParameter(uniform, true, log, recording));
        for (auto& entry : parameters)
            table.push_back(entry.second.Get());
    }

    int GetParameterCount() override { return static_cast<int>(table.size()); }
    Graphics::Parameter* GetParameter(const String& name) override
    {
        ++lookups;
        return Find(name.CStr());
    }
    Graphics::Parameter* GetParameter(int index) override
    {
        if (index < 0 || index >= static_cast<int>(table.size()))
            throw Exception("FakeProgram::GetParameter(): index out of range");
        return table[static_cast<size_t>(index)];
    }

    // The parameter of that name, valid or not (an unknown name makes an invalid one, kept).
    FakeParameter* Find(const std::string& name)
    {
        if (auto found = parameters.find(name); found != parameters.end())
            return found->second.Get();
        Managed<FakeParameter>& unused = invalid[name];
        if (!unused)
            unused.Set(new FakeParameter({name, Graphics::ParameterTypeFloat, 0}, false, log, recording));
        return unused.Get();
    }

    // Name lookups so far, so a test can tell a cached parameter set from a rebuilt one.
    int lookups = 0;

private:
    CallLog* log;
    const bool* recording;
    std::map<std::string, Managed<FakeParameter>> parameters;
    std::map<std::string, Managed<FakeParameter>> invalid;
    std::vector<FakeParameter*> table;
};

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
    };

    explicit FakeDevice(int width = 800, int height = 600) : backBuffer(new FakeSurface(width, height))
    {
        viewport = scissor = Graphics::Rect{0, 0, width, height};
    }

    // Everything asked of the device and of its programs, in order, while recording is on.
    CallLog log;
    bool recording = true;
    // A call (by its log name) that throws "FakeDevice: <name> failed" instead of running.
    std::string failAt;
    // Answers of the capability queries.
    bool screenSpaceConformant = true;
    bool glDepthRange = true;
    // What Present returns, and what runs inside it (where a real device pumps window events).
    bool presentResult = true;
    std::function<void()> onPresent;
    std::vector<ClearCall> clears;
    std::vector<DrawCall> draws;

    // A program with the uniforms of the declarations, owned by the caller; it logs into this
    // device's log.
    FakeProgram* MakeProgram(const char* declarations)
    {
        return new FakeProgram(FakeShader::ParseUniforms(declarations), &log, &recording);
    }

    // The state objects made so far, one per distinct descriptor (the device holds one
    // reference on each).
    int StateObjectCount() const
    {
        return static_cast<int>(samplerStates.size() + blendStates.size() + depthStencilStates.size() +
                                rasterizerStates.size());
    }
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

    void Clear(int flags, float r, float g, float b, float a, float depth, int stencil) override
    {
        Log("Clear");
        clears.push_back({flags, r, g, b, a, depth, stencil});
    }
    void Flush() override { Log("Flush"); }
    bool Present() override
    {
        Log("Present");
        if (onPresent)
            onPresent();
        return presentResult;
    }
    bool SupportsShadingLanguage(Graphics::ShadingLanguage language) override
    {
        Log("SupportsShadingLanguage");
        return language == Graphics::ShadingLanguageCg;
    }
    bool IsScreenSpaceConformant() override
    {
        Log("IsScreenSpaceConformant");
        return screenSpaceConformant;
    }
    bool UsesGLDepthRange() override
    {
        Log("UsesGLDepthRange");
        return glDepthRange;
    }
    int GetMaxSlots() override { return 16; }
    Graphics::Surface* GetBackBuffer() override { return backBuffer.Get(); }

    Graphics::VertexBuffer* CreateVertexBuffer(Graphics::BufferMode, int size, int stride) override
    {
        Log("CreateVertexBuffer");
        return new FakeVertexBuffer(size, stride);
    }
    Graphics::IndexBuffer* CreateIndexBuffer(Graphics::BufferMode, int size, int indexSize) override
    {
        Log("CreateIndexBuffer");
        return new FakeIndexBuffer(size, indexSize);
    }
    Graphics::Surface* CreateSurface(int width, int height, Graphics::PixelFormat format, int samples) override
    {
        Log("CreateSurface");
        return new FakeSurface(width, height, format, samples);
    }
    Graphics::Texture2D* CreateTexture2D(int width, int height, Graphics::PixelFormat format, bool renderable) override
    {
        Log("CreateTexture2D");
        return new FakeTexture2D(width, height, format, renderable);
    }
    Graphics::Texture* CreateTexture3D(int, int, int, Graphics::PixelFormat, bool) override
    {
        throw Exception("This backend does not support 3d textures");
    }
    Graphics::TextureCube* CreateTextureCube(int size, Graphics::PixelFormat format, bool renderable) override
    {
        Log("CreateTextureCube");
        return new FakeTextureCube(size, format, renderable);
    }
    Graphics::Shader* CreateShader(Graphics::ShaderType type, bool, const char* entryPoint, const char*,
                                   const char* source) override
    {
        Log("CreateShader");
        return new FakeShader(type, entryPoint ? entryPoint : "", FakeShader::ParseUniforms(source));
    }
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel,
                                     Graphics::Shader* geometry) override
    {
        if (geometry)
            throw Exception("This implementation does not support geometry shaders");
        return CreateProgram(vertex, pixel);
    }
    Graphics::Program* CreateProgram(Graphics::Shader* vertex, Graphics::Shader* pixel) override
    {
        Log("CreateProgram");
        std::vector<FakeUniform> uniforms;
        for (Graphics::Shader* shader : {vertex, pixel})
            if (auto* fake = dynamic_cast<FakeShader*>(shader))
                uniforms.insert(uniforms.end(), fake->uniforms.begin(), fake->uniforms.end());
        return new FakeProgram(uniforms, &log, &recording);
    }
    Graphics::BlendState* CreateBlendState(const Graphics::BlendStateDescriptor& descriptor) override
    {
        Log("CreateBlendState");
        return Cached(blendStates, descriptor);
    }
    Graphics::DepthStencilState* CreateDepthStencilState(const Graphics::DepthStencilStateDescriptor& descriptor) override
    {
        Log("CreateDepthStencilState");
        return Cached(depthStencilStates, descriptor);
    }
    Graphics::RasterizerState* CreateRasterizerState(const Graphics::RasterizerStateDescriptor& descriptor) override
    {
        Log("CreateRasterizerState");
        return Cached(rasterizerStates, descriptor);
    }
    Graphics::InputLayout* CreateInputLayout(const Graphics::InputElement* elements, int count) override
    {
        Log("CreateInputLayout");
        if (count < 0 || count > 16)
            throw Exception("FakeDevice::CreateInputLayout(): at most 16 elements");
        return new FakeInputLayout(elements, count);
    }
    Graphics::SemanticMap* CreateSemanticMap(const String* names) override
    {
        Log("CreateSemanticMap");
        return new FakeSemanticMap(names);
    }
    Graphics::SamplerState* CreateSamplerState(const Graphics::SamplerStateDescriptor& descriptor) override
    {
        Log("CreateSamplerState");
        return Cached(samplerStates, descriptor);
    }

    void SetViewports(int count, const Graphics::Rect* rects) override
    {
        Log("SetViewports");
        if (count > 0)
            viewport = rects[0];
    }
    void SetScissorRects(int count, const Graphics::Rect* rects) override
    {
        Log("SetScissorRects");
        if (count > 0)
            scissor = rects[0];
    }
    void SetBlendState(Graphics::BlendState* state) override
    {
        Log("SetBlendState");
        blendState = state;
    }
    void SetDepthStencilState(Graphics::DepthStencilState* state) override
    {
        Log("SetDepthStencilState");
        depthStencilState = state;
    }
    void SetRasterizerState(Graphics::RasterizerState* state) override
    {
        Log("SetRasterizerState");
        rasterizerState = state;
    }
    void SetInputLayout(Graphics::InputLayout* layout) override
    {
        Log("SetInputLayout");
        inputLayout = layout;
    }
    void SetSemanticMap(Graphics::SemanticMap* map) override
    {
        Log("SetSemanticMap");
        semanticMap = map;
    }
    void SetVertexBuffer(int stream, Graphics::VertexBuffer* buffer) override
    {
        Log("SetVertexBuffer");
        if (stream < 0 || stream > 15)
            throw Exception("FakeDevice::SetVertexBuffer(): stream out of range");
        vertexBuffers[static_cast<size_t>(stream)] = buffer;
    }
    void SetIndexBuffer(Graphics::IndexBuffer* buffer) override
    {
        Log("SetIndexBuffer");
        indexBuffer = buffer;
    }
    void SetPrimitiveType(Graphics::PrimitiveType type) override
    {
        Log("SetPrimitiveType");
        primitiveType = type;
    }
    void SetProgram(Graphics::Program* newProgram) override
    {
        Log("SetProgram");
        program = newProgram;
    }
    void SetFramebuffer(int count, Graphics::Surface* const* colors, Graphics::Surface* depthStencil) override
    {
        Log("SetFramebuffer");
        if (count < 0 || count > 16)
            throw Exception("FakeDevice::SetFramebuffer(): 0 to 16 colour targets");
        colorCount = count;
        for (int i = 0; i < count; ++i)
            colorTargets[static_cast<size_t>(i)] = colors[i];
        depthStencilTarget = depthStencil;
        Graphics::Surface* sized = count > 0 ? colors[0] : depthStencil;
        if (!sized || (count == 1 && colors[0] == backBuffer.Get()))
            sized = backBuffer.Get();
        viewport = Graphics::Rect{0, 0, sized->GetWidth(), sized->GetHeight()};
    }

    int GetViewports(int count, Graphics::Rect* out) override
    {
        Log("GetViewports");
        if (count > 0)
            out[0] = viewport;
        return 1;
    }
    int GetScissorRects(int count, Graphics::Rect* out) override
    {
        Log("GetScissorRects");
        if (count > 0)
            out[0] = scissor;
        return 1;
    }
    Graphics::BlendState* GetBlendState() override { return blendState; }
    Graphics::DepthStencilState* GetDepthStencilState() override { return depthStencilState; }
    Graphics::RasterizerState* GetRasterizerState() override { return rasterizerState; }
    Graphics::InputLayout* GetInputLayout() override { return inputLayout; }
    Graphics::SemanticMap* GetSemanticMap() override { return semanticMap; }
    Graphics::VertexBuffer* GetVertexBuffer(int stream) override
    {
        if (stream < 0 || stream > 15)
            throw Exception("FakeDevice::GetVertexBuffer(): stream out of range");
        return vertexBuffers[static_cast<size_t>(stream)];
    }
    Graphics::IndexBuffer* GetIndexBuffer() override { return indexBuffer; }
    Graphics::PrimitiveType GetPrimitiveType() override { return primitiveType; }
    Graphics::Program* GetProgram() override { return program; }
    Graphics::Surface* GetColorTarget(int index) override
    {
        Log("GetColorTarget");
        if (index < 0 || index >= colorCount)
            return nullptr;
        return colorTargets[static_cast<size_t>(index)];
    }
    int GetColorTargetCount() override
    {
        Log("GetColorTargetCount");
        return colorCount;
    }
    Graphics::Surface* GetDepthStencilTarget() override { return depthStencilTarget; }

    void Draw(int first, int count) override
    {
        Notify();
        Log("Draw");
        draws.push_back({false, first, count});
    }
    void DrawIndexed(int first, int count, int, int) override
    {
        Notify();
        Log("DrawIndexed");
        draws.push_back({true, first, count});
    }
    int AddDrawCallListener(Graphics::DrawCallListener* listener) override
    {
        listeners.push_back(listener);
        return static_cast<int>(listeners.size());
    }
    void RemoveDrawCallListener(Graphics::DrawCallListener* listener) override
    {
        listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
    }

private:
    void Log(const char* call)
    {
        if (!failAt.empty() && failAt == call)
            throw Exception(("FakeDevice: " + failAt + " failed").c_str());
        if (recording)
            log.emplace_back(call);
    }
    void Notify()
    {
        for (Graphics::DrawCallListener* listener : listeners)
            listener->OnDrawCall();
    }
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

}  // namespace Nimbrel::Testing
