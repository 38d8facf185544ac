#pragma once
// ResourceType: what a resource request asks the proxy for.
//
// The upper 16 bits group related types (0 basic data and I/O, 1 bitmaps, 2 textures,
// 4 shaders and programs, 5 geometry, 6 fonts and text, 7 audio, 8 XML, 0x10 scene, 0x11 GUI);
// nothing tests the group. Custom and above are left to applications; no standard service
// produces them.

#include <cstdint>

namespace Nimbrel::Utils {

enum class ResourceType : uint32_t {
    Unknown = 0,
    String = 1,
    InputStream = 2,
    OutputStream = 3,
    Buffer = 4,
    FileSystem = 5,
    Bitmap2D = 0x10000,
    Texture = 0x20000,
    Texture2D = 0x20001,
    Texture3D = 0x20002,
    TextureCube = 0x20003,
    VertexShader = 0x40000,
    PixelShader = 0x40001,
    GeometryShader = 0x40002,
    Program = 0x40003,
    Geometry = 0x50000,
    FontFace = 0x60000,
    RichText = 0x60001,
    AudioClip = 0x70000,
    SoundBuffer = 0x70001,
    AudioStream = 0x70002,
    XmlDocument = 0x80000,
    XmlElement = 0x80001,
    Scene = 0x100000,
    SceneNode = 0x100001,
    SceneController = 0x100002,
    GUIWidget = 0x110000,
    Custom = 0xF0000000,
};

}  // namespace Nimbrel::Utils
