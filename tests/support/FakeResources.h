#pragma once
// The objects a FakeDevice makes: surfaces and textures that remember their size and what was
// uploaded, buffers that keep their bytes, input layouts and semantic maps that keep what they
// were made from, state objects that keep their descriptor, and shaders and programs built from
// a fake source.
//
// A fake shader source is a list of uniform declarations "type name;" or "type name[n];" (Cg
// type names: float, float2 ... float4x4, int..., bool..., sampler2D, samplerCube, sampler3D; a
// leading "uniform" is allowed). A program made of two shaders has the union of their uniforms.

#include "core/Exception.h"
#include "core/Managed.h"
#include "core/String.h"
#include "graphics/Device.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
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
    void SetData(int level, const void*, bool generateMipmaps) override;
    void GenerateMipmaps() override { ++mipmapGenerations; }
    Graphics::Surface* GetSurface(int level) override;
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
    void SetData(Graphics::TextureFace face, int level, const void*, bool generateMipmaps) override
    {
        uploads.push_back("face " + std::to_string(face) + " level " + std::to_string(level));
        if (generateMipmaps)
            GenerateMipmaps();
    }
    void GenerateMipmaps() override
    {
        uploads.push_back("generate");
        ++mipmapGenerations;
    }
    Graphics::Surface* GetSurface(Graphics::TextureFace face, int level) override;
    int GetSize() override { return size; }

    int size;
    Graphics::PixelFormat format;
    bool renderable;
    int mipmapGenerations = 0;
    // "face f level m" per SetData and "generate" per mipmap generation, in order.
    std::vector<std::string> uploads;

private:
    std::array<Managed<FakeSurface>, 6 * 16> surfaces;
};

// The bytes of a vertex or index buffer, kept in memory, and whether they are locked.
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
    int GetElements(int maxCount, Graphics::InputElement* out) override;
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
    static std::vector<FakeUniform> ParseUniforms(const char* source);

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
    Graphics::ParameterType GetParameterType() override;
    int GetArraySize() override { return arraySize; }
    bool IsValid() override { return valid; }

    void SetSampler(int count, Graphics::Texture* const* textures, Graphics::SamplerState* const* states) override;
    void SetSampler(int count, Graphics::Texture* const* textures) override { SetSampler(count, textures, nullptr); }
    void SetSampler(Graphics::Texture* newTexture, Graphics::SamplerState* state) override;
    void SetSampler(Graphics::Texture* newTexture) override { SetSampler(newTexture, nullptr); }

    void SetFloat(int count, const float* v) override { Store("SetFloat", count, 1, v); }
    void SetFloat2(int count, const float* v) override { Store("SetFloat2", count, 2, v); }
    void SetFloat3(int count, const float* v) override { Store("SetFloat3", count, 3, v); }
    void SetFloat4(int count, const float* v) override { Store("SetFloat4", count, 4, v); }
    void SetInt(int count, const int* v) override { Store("SetInt", count, 1, v); }
    void SetInt2(int count, const int* v) override { Store("SetInt2", count, 2, v); }
    void SetInt3(int count, const int* v) override { Store("SetInt3", count, 3, v); }
    void SetInt4(int count, const int* v) override { Store("SetInt4", count, 4, v); }
    void SetBool(int count, const bool* v) override { Store("SetBool", count, 1, v); }
    void SetBool2(int count, const bool* v) override { Store("SetBool2", count, 2, v); }
    void SetBool3(int count, const bool* v) override { Store("SetBool3", count, 3, v); }
    void SetBool4(int count, const bool* v) override { Store("SetBool4", count, 4, v); }
    void SetMatrix2(int count, const float* v) override { Store("SetMatrix2", count, 4, v); }
    void SetMatrix3(int count, const float* v) override { Store("SetMatrix3", count, 9, v); }
    void SetMatrix4(int count, const float* v) override { Store("SetMatrix4", count, 16, v); }

    // The values of the last setter (the first element of an array), as floats.
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
    bool Note(const char* setter);
    template <class T>
    void Store(const char* setter, int count, int width, const T* v)
    {
        if (!Note(setter))
            return;
        lastCount = count;
        valueCount = width;
        for (int i = 0; i < width; ++i)
            values[static_cast<size_t>(i)] = static_cast<float>(v[i]);
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
    FakeProgram(const std::vector<FakeUniform>& uniforms, CallLog* log, const bool* recording);

    int GetParameterCount() override { return static_cast<int>(table.size()); }
    Graphics::Parameter* GetParameter(const String& name) override
    {
        ++lookups;
        return Find(name.CStr());
    }
    Graphics::Parameter* GetParameter(int index) override;

    // The parameter of that name, valid or not (an unknown name makes an invalid one, kept).
    FakeParameter* Find(const std::string& name);

    // Name lookups so far, so a test can tell a cached parameter set from a rebuilt one.
    int lookups = 0;

private:
    CallLog* log;
    const bool* recording;
    std::map<std::string, Managed<FakeParameter>> parameters;
    std::map<std::string, Managed<FakeParameter>> invalid;
    std::vector<FakeParameter*> table;
};

}  // namespace Nimbrel::Testing
