#include "graphics/gl/GLFunctions.h"

#include "core/Exception.h"
#include "core/String.h"

#include <cstdio>
#include <cstring>

namespace Nimbrel::Graphics {

namespace GLFunctionsDetail {

// Core version that has the feature, and the extensions that give it otherwise with the
// suffix of their entry points.
struct FeatureSource {
    int major;
    int minor;
    const char* extensions[3];
    const char* suffixes[3];
};

const FeatureSource featureSources[GLFeatureCount] = {
    {1, 1, {}, {}},
    {1, 3, {"GL_ARB_multitexture"}, {"ARB"}},
    {1, 3, {"GL_ARB_texture_compression"}, {"ARB"}},
    {1, 4, {"GL_EXT_blend_func_separate"}, {"EXT"}},
    {1, 5, {"GL_ARB_vertex_buffer_object"}, {"ARB"}},
    {2, 0, {}, {}},
    {2, 0, {"GL_ARB_draw_buffers"}, {"ARB"}},
    {3, 0, {"GL_ARB_framebuffer_object", "GL_EXT_framebuffer_object"}, {"", "EXT"}},
    {3, 0, {"GL_ARB_framebuffer_object", "GL_EXT_framebuffer_blit"}, {"", "EXT"}},
    {3, 0, {"GL_ARB_framebuffer_object", "GL_EXT_framebuffer_multisample"}, {"", "EXT"}},
    {2, 1, {}, {}},
};

bool AtLeast(int major, int minor, int wantMajor, int wantMinor)
{
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

}  // namespace GLFunctionsDetail

bool GLFunctions::HasExtension(const std::string& extensions, const char* name)
{
    const size_t length = std::strlen(name);
    if (length == 0)
        return false;
    size_t at = 0;
    while ((at = extensions.find(name, at)) != std::string::npos) {
        const bool startsWord = at == 0 || extensions[at - 1] == ' ';
        const bool endsWord = at + length == extensions.size() || extensions[at + length] == ' ';
        if (startsWord && endsWord)
            return true;
        at += length;
    }
    return false;
}

void GLFunctions::ParseVersion(const char* text, int& major, int& minor)
{
    major = 0;
    minor = 0;
    if (!text || std::sscanf(text, "%d.%d", &major, &minor) != 2 || major < 0 || minor < 0) {
        major = 0;
        minor = 0;
    }
}

void GLFunctions::Load(Resolver resolve)
{
    GetString = reinterpret_cast<decltype(GetString)>(resolve("glGetString"));
    GetIntegerv = reinterpret_cast<decltype(GetIntegerv)>(resolve("glGetIntegerv"));
    if (!GetString)
        throw Exception("The following extensions were not detected: glGetString ");
    int major = 0;
    int minor = 0;
    ParseVersion(reinterpret_cast<const char*>(GetString(GL_VERSION)), major, minor);

    std::string extensions;
    if (const GLubyte* list = GetString(GL_EXTENSIONS)) {
        extensions = reinterpret_cast<const char*>(list);
    } else if (auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(resolve("glGetStringi"));
               getStringi && GetIntegerv && major >= 3) {
        // Core profiles list their extensions one by one.
        GLint count = 0;
        GetIntegerv(GL_NUM_EXTENSIONS, &count);
        for (GLint i = 0; i < count; ++i) {
            if (const GLubyte* name = getStringi(GL_EXTENSIONS, static_cast<GLuint>(i))) {
                extensions += reinterpret_cast<const char*>(name);
                extensions += ' ';
            }
        }
    }
    Resolve(resolve, major, minor, extensions);
}

void GLFunctions::Resolve(Resolver resolve, int major, int minor, const std::string& extensions)
{
    using namespace GLFunctionsDetail;
    majorVersion = major;
    minorVersion = minor;

    // The suffix each feature is resolved under, or null when the context lacks it.
    const char* suffix[GLFeatureCount];
    for (int f = 0; f < GLFeatureCount; ++f) {
        const FeatureSource& source = featureSources[f];
        suffix[f] = nullptr;
        if (AtLeast(major, minor, source.major, source.minor)) {
            suffix[f] = "";
            continue;
        }
        for (int e = 0; e < 3 && source.extensions[e]; ++e) {
            if (HasExtension(extensions, source.extensions[e])) {
                suffix[f] = source.suffixes[e];
                break;
            }
        }
    }

    std::string missing;
    auto resolveOne = [&](GLFeature feature, const char* name) -> void* {
        if (!suffix[feature]) {
            missing += name;
            missing += ' ';
            return nullptr;
        }
        const std::string full = std::string(name) + suffix[feature];
        void* address = resolve(full.c_str());
        if (!address) {
            missing += full;
            missing += ' ';
        }
        return address;
    };
#define NIMBREL_GL_RESOLVE(feature, member, name, type) \
    member = reinterpret_cast<decltype(member)>(resolveOne(feature, #name));
    NIMBREL_GL_FUNCTIONS(NIMBREL_GL_RESOLVE)
#undef NIMBREL_GL_RESOLVE

    hasNVFloatBuffer = HasExtension(extensions, "GL_NV_float_buffer");
    hasFloatTextures = AtLeast(major, minor, 3, 0) || HasExtension(extensions, "GL_ARB_texture_float");
    hasRedTextures = AtLeast(major, minor, 3, 0) || HasExtension(extensions, "GL_ARB_texture_rg");
    // One float channel on a 2D texture: red where the driver has red textures, luminance
    // (which samples as red too) where it has only the float formats.
    hasSingleChannelFloat = hasFloatTextures;
    hasS3TC = HasExtension(extensions, "GL_EXT_texture_compression_s3tc");

    if (!missing.empty())
        throw Exception(String("The following extensions were not detected: ") + missing.c_str());
}

}  // namespace Nimbrel::Graphics
