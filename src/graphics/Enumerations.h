#pragma once
// Enumerations of the graphics device. The numeric values are fixed: descriptors compare them,
// the backend indexes tables with them and data files are converted to them, so never renumber.

#include <cstdint>

namespace Nimbrel::Graphics {

// Texel layout of textures, surfaces and bitmaps.
enum PixelFormat : int32_t {
    PixelFormatR8G8B8A8 = 0,              // 4 bytes: R, G, B, A
    PixelFormatFloatR16 = 1,              // one float channel
    PixelFormatFloatR32 = 2,              // one float channel
    PixelFormatFloatR16G16B16A16 = 3,     // four half-float channels
    PixelFormatFloatR32G32B32A32 = 4,     // four float channels
    PixelFormatLuminance8 = 5,            // 1 byte
    PixelFormatDepth24Stencil8 = 6,       // depth 24 bits (+ stencil 8 bits on surfaces)
    PixelFormatDepth16 = 7,               // depth 16 bits
    PixelFormatDXT1 = 8,                  // compressed, 4 bits per texel
    PixelFormatDXT3 = 9,                  // compressed, 8 bits per texel
    PixelFormatDXT5 = 10,                 // compressed, 8 bits per texel
};

// Depth and stencil buffer of the window, chosen when the device is made. The values 2 and 3
// are defined too, for backends that have more formats; the GL backend refuses them.
enum DepthStencilFormat : int32_t {
    DepthStencilFormatD16 = 0,    // 16-bit depth, no stencil
    DepthStencilFormatD24S8 = 1,  // 24-bit depth, 8-bit stencil
    DepthStencilFormatReserved2 = 2,
    DepthStencilFormatReserved3 = 3,
};

// Bits of the flags a device is made with. The GL backend reads only the first.
enum DeviceFlags : int32_t {
    DeviceFlagFullScreen = 1,
    DeviceFlagVSync = 2,
};

// Sampler filters and surface copies. FilterNone is meaningful only as a mip filter.
enum Filter : int32_t {
    FilterNone = 0,
    FilterPoint = 1,
    FilterLinear = 2,
    FilterAnisotropic = 3,
};

enum AddressMode : int32_t {
    AddressWrap = 0,
    AddressClamp = 1,
};

enum BlendOperand : int32_t {
    BlendZero = 0,
    BlendOne = 1,
    BlendSrcAlpha = 2,
    BlendInvSrcAlpha = 3,
    BlendSrcColor = 4,
    BlendInvSrcColor = 5,
    BlendDestAlpha = 6,
    BlendInvDestAlpha = 7,
    BlendDestColor = 8,
    BlendInvDestColor = 9,
};

enum CompareFunction : int32_t {
    CompareAlways = 0,
    CompareLess = 1,
    CompareLessEqual = 2,
    CompareEqual = 3,
    CompareNotEqual = 4,
    CompareGreaterEqual = 5,
    CompareGreater = 6,
    CompareNever = 7,
};

enum StencilOperation : int32_t {
    StencilZero = 0,
    StencilKeep = 1,
    StencilReplace = 2,
    StencilIncrement = 3,
    StencilDecrement = 4,
    StencilInvert = 5,
};

enum PrimitiveType : int32_t {
    PrimitivePoints = 0,
    PrimitiveLines = 1,
    PrimitiveLineStrip = 2,
    PrimitiveTriangles = 3,
    PrimitiveTriangleStrip = 4,
};

// Component type of a vertex element.
enum DataType : int32_t {
    DataTypeByte = 0,
    DataTypeUnsignedByte = 1,
    DataTypeShort = 2,
    DataTypeUnsignedShort = 3,
    DataTypeFloat = 4,
};

// Usage hint of a buffer.
enum BufferMode : int32_t {
    BufferModeStatic = 0,    // written once
    BufferModeDynamic = 1,
    BufferModeVolatile = 2,  // rewritten often
};

enum LockMode : int32_t {
    LockRead = 1,
    LockWrite = 2,
    LockReadWrite = 3,
};

// Faces of a cube texture.
enum TextureFace : int32_t {
    FacePositiveX = 0,
    FacePositiveY = 1,
    FacePositiveZ = 2,
    FaceNegativeX = 3,
    FaceNegativeY = 4,
    FaceNegativeZ = 5,
};

enum TextureType : int32_t {
    TextureType2D = 0,
    TextureType3D = 1,
    TextureTypeCube = 2,
};

enum ShaderType : int32_t {
    ShaderTypePixel = 0,
    ShaderTypeVertex = 1,
    ShaderTypeGeometry = 2,
};

enum ShadingLanguage : int32_t {
    ShadingLanguageCg = 1,
    ShadingLanguageHLSL = 2,
};

// Type of a program parameter; an array parameter has the type of its elements. The values
// 16 to 21 are not produced by any backend.
enum ParameterType : int32_t {
    ParameterTypeFloat = 1,
    ParameterTypeInt = 2,
    ParameterTypeBool = 3,
    ParameterTypeFloat2 = 4,
    ParameterTypeFloat3 = 5,
    ParameterTypeFloat4 = 6,
    ParameterTypeInt2 = 7,
    ParameterTypeInt3 = 8,
    ParameterTypeInt4 = 9,
    ParameterTypeBool2 = 10,
    ParameterTypeBool3 = 11,
    ParameterTypeBool4 = 12,
    ParameterTypeFloat2x2 = 13,
    ParameterTypeFloat3x3 = 14,
    ParameterTypeFloat4x4 = 15,
    ParameterTypeSampler2D = 22,
    ParameterTypeSamplerCube = 23,
    ParameterTypeSampler3D = 24,
};

enum CullMode : int32_t {
    CullNone = 0,
    CullFront = 1,
    CullBack = 2,
};

// Bits of the flags given to Device::Clear.
enum ClearFlags : int32_t {
    ClearColor = 1,
    ClearDepth = 2,
    ClearStencil = 4,
};

}  // namespace Nimbrel::Graphics
