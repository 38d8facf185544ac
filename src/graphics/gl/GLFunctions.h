#pragma once
// GLFunctions: the device's table of OpenGL entry points.
//
// Every OpenGL call of the backend goes through a device's table, never through the
// library's own symbols: the entry points are resolved by name through the window system
// (SDL_GL_GetProcAddress), so tests can count the calls a device makes or hand it a
// resolver that lacks an entry point.
//
// Whether a feature is present is decided from the context's version and extension string,
// never from a null pointer alone (GLX hands back a non-null address for any name). A feature
// that is in the core of the context's version is resolved under its core name; one that
// comes only from an extension under the extension's suffixed name (glBindFramebufferEXT).
// Resolve throws "The following extensions were not detected: " followed by every missing
// name and a space.

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace Nimbrel::Graphics {

// The features the backend needs, each with the core version that has it and the
// extensions that give it otherwise (with the suffix of their entry points).
enum GLFeature : int {
    GLFeatureBase,                    // OpenGL 1.1
    GLFeatureMultitexture,            // 1.3, ARB_multitexture
    GLFeatureTextureCompression,      // 1.3, ARB_texture_compression
    GLFeatureBlendFuncSeparate,       // 1.4, EXT_blend_func_separate
    GLFeatureBufferObject,            // 1.5, ARB_vertex_buffer_object
    GLFeatureShader,                  // 2.0
    GLFeatureDrawBuffers,             // 2.0, ARB_draw_buffers
    GLFeatureFramebufferObject,       // 3.0, ARB_framebuffer_object, EXT_framebuffer_object
    GLFeatureFramebufferBlit,         // 3.0, ARB_framebuffer_object, EXT_framebuffer_blit
    GLFeatureFramebufferMultisample,  // 3.0, ARB_framebuffer_object, EXT_framebuffer_multisample
    GLFeatureNonSquareMatrices,       // 2.1 (the GLSL version the Cg layer writes)
    GLFeatureCount
};

// X(feature, member, entry point, type). The member is the entry point without its "gl" prefix.
#define NIMBREL_GL_FUNCTIONS(X) \
    X(GLFeatureBase, Clear, glClear, decltype(&::glClear)) \
    X(GLFeatureBase, ClearColor, glClearColor, decltype(&::glClearColor)) \
    X(GLFeatureBase, ClearDepth, glClearDepth, decltype(&::glClearDepth)) \
    X(GLFeatureBase, ClearStencil, glClearStencil, decltype(&::glClearStencil)) \
    X(GLFeatureBase, Flush, glFlush, decltype(&::glFlush)) \
    X(GLFeatureBase, Finish, glFinish, decltype(&::glFinish)) \
    X(GLFeatureBase, GetError, glGetError, decltype(&::glGetError)) \
    X(GLFeatureBase, GetString, glGetString, decltype(&::glGetString)) \
    X(GLFeatureBase, GetIntegerv, glGetIntegerv, decltype(&::glGetIntegerv)) \
    X(GLFeatureBase, Enable, glEnable, decltype(&::glEnable)) \
    X(GLFeatureBase, Disable, glDisable, decltype(&::glDisable)) \
    X(GLFeatureBase, ColorMask, glColorMask, decltype(&::glColorMask)) \
    X(GLFeatureBase, DepthFunc, glDepthFunc, decltype(&::glDepthFunc)) \
    X(GLFeatureBase, DepthMask, glDepthMask, decltype(&::glDepthMask)) \
    X(GLFeatureBase, StencilFunc, glStencilFunc, decltype(&::glStencilFunc)) \
    X(GLFeatureBase, StencilMask, glStencilMask, decltype(&::glStencilMask)) \
    X(GLFeatureBase, StencilOp, glStencilOp, decltype(&::glStencilOp)) \
    X(GLFeatureBase, FrontFace, glFrontFace, decltype(&::glFrontFace)) \
    X(GLFeatureBase, CullFace, glCullFace, decltype(&::glCullFace)) \
    X(GLFeatureBase, LineWidth, glLineWidth, decltype(&::glLineWidth)) \
    X(GLFeatureBase, PointSize, glPointSize, decltype(&::glPointSize)) \
    X(GLFeatureBase, Viewport, glViewport, decltype(&::glViewport)) \
    X(GLFeatureBase, Scissor, glScissor, decltype(&::glScissor)) \
    X(GLFeatureBase, DrawArrays, glDrawArrays, decltype(&::glDrawArrays)) \
    X(GLFeatureBase, DrawElements, glDrawElements, decltype(&::glDrawElements)) \
    X(GLFeatureBase, DrawBuffer, glDrawBuffer, decltype(&::glDrawBuffer)) \
    X(GLFeatureBase, ReadBuffer, glReadBuffer, decltype(&::glReadBuffer)) \
    X(GLFeatureBase, ReadPixels, glReadPixels, decltype(&::glReadPixels)) \
    X(GLFeatureBase, PixelStorei, glPixelStorei, decltype(&::glPixelStorei)) \
    X(GLFeatureBase, GenTextures, glGenTextures, decltype(&::glGenTextures)) \
    X(GLFeatureBase, BindTexture, glBindTexture, decltype(&::glBindTexture)) \
    X(GLFeatureBase, DeleteTextures, glDeleteTextures, decltype(&::glDeleteTextures)) \
    X(GLFeatureBase, TexImage2D, glTexImage2D, decltype(&::glTexImage2D)) \
    X(GLFeatureBase, TexParameteri, glTexParameteri, decltype(&::glTexParameteri)) \
    X(GLFeatureMultitexture, ActiveTexture, glActiveTexture, PFNGLACTIVETEXTUREPROC) \
    X(GLFeatureMultitexture, ClientActiveTexture, glClientActiveTexture, PFNGLCLIENTACTIVETEXTUREARBPROC) \
    X(GLFeatureMultitexture, MultiTexCoord4fv, glMultiTexCoord4fv, PFNGLMULTITEXCOORD4FVARBPROC) \
    X(GLFeatureTextureCompression, CompressedTexImage2D, glCompressedTexImage2D, PFNGLCOMPRESSEDTEXIMAGE2DPROC) \
    X(GLFeatureBlendFuncSeparate, BlendFuncSeparate, glBlendFuncSeparate, PFNGLBLENDFUNCSEPARATEPROC) \
    X(GLFeatureBufferObject, GenBuffers, glGenBuffers, PFNGLGENBUFFERSPROC) \
    X(GLFeatureBufferObject, BindBuffer, glBindBuffer, PFNGLBINDBUFFERPROC) \
    X(GLFeatureBufferObject, BufferData, glBufferData, PFNGLBUFFERDATAPROC) \
    X(GLFeatureBufferObject, BufferSubData, glBufferSubData, PFNGLBUFFERSUBDATAPROC) \
    X(GLFeatureBufferObject, GetBufferSubData, glGetBufferSubData, PFNGLGETBUFFERSUBDATAPROC) \
    X(GLFeatureBufferObject, MapBuffer, glMapBuffer, PFNGLMAPBUFFERPROC) \
    X(GLFeatureBufferObject, UnmapBuffer, glUnmapBuffer, PFNGLUNMAPBUFFERPROC) \
    X(GLFeatureBufferObject, DeleteBuffers, glDeleteBuffers, PFNGLDELETEBUFFERSPROC) \
    X(GLFeatureShader, EnableVertexAttribArray, glEnableVertexAttribArray, PFNGLENABLEVERTEXATTRIBARRAYPROC) \
    X(GLFeatureShader, DisableVertexAttribArray, glDisableVertexAttribArray, PFNGLDISABLEVERTEXATTRIBARRAYPROC) \
    X(GLFeatureShader, VertexAttribPointer, glVertexAttribPointer, PFNGLVERTEXATTRIBPOINTERPROC) \
    X(GLFeatureShader, VertexAttrib4fv, glVertexAttrib4fv, PFNGLVERTEXATTRIB4FVPROC) \
    X(GLFeatureShader, BindAttribLocation, glBindAttribLocation, PFNGLBINDATTRIBLOCATIONPROC) \
    X(GLFeatureShader, GetAttribLocation, glGetAttribLocation, PFNGLGETATTRIBLOCATIONPROC) \
    X(GLFeatureShader, CreateShader, glCreateShader, PFNGLCREATESHADERPROC) \
    X(GLFeatureShader, DeleteShader, glDeleteShader, PFNGLDELETESHADERPROC) \
    X(GLFeatureShader, ShaderSource, glShaderSource, PFNGLSHADERSOURCEPROC) \
    X(GLFeatureShader, CompileShader, glCompileShader, PFNGLCOMPILESHADERPROC) \
    X(GLFeatureShader, GetShaderiv, glGetShaderiv, PFNGLGETSHADERIVPROC) \
    X(GLFeatureShader, GetShaderInfoLog, glGetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC) \
    X(GLFeatureShader, CreateProgram, glCreateProgram, PFNGLCREATEPROGRAMPROC) \
    X(GLFeatureShader, DeleteProgram, glDeleteProgram, PFNGLDELETEPROGRAMPROC) \
    X(GLFeatureShader, AttachShader, glAttachShader, PFNGLATTACHSHADERPROC) \
    X(GLFeatureShader, DetachShader, glDetachShader, PFNGLDETACHSHADERPROC) \
    X(GLFeatureShader, LinkProgram, glLinkProgram, PFNGLLINKPROGRAMPROC) \
    X(GLFeatureShader, GetProgramiv, glGetProgramiv, PFNGLGETPROGRAMIVPROC) \
    X(GLFeatureShader, GetProgramInfoLog, glGetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC) \
    X(GLFeatureShader, UseProgram, glUseProgram, PFNGLUSEPROGRAMPROC) \
    X(GLFeatureShader, GetUniformLocation, glGetUniformLocation, PFNGLGETUNIFORMLOCATIONPROC) \
    X(GLFeatureShader, GetActiveUniform, glGetActiveUniform, PFNGLGETACTIVEUNIFORMPROC) \
    X(GLFeatureShader, Uniform1i, glUniform1i, PFNGLUNIFORM1IPROC) \
    X(GLFeatureShader, Uniform1iv, glUniform1iv, PFNGLUNIFORM1IVPROC) \
    X(GLFeatureShader, Uniform2iv, glUniform2iv, PFNGLUNIFORM2IVPROC) \
    X(GLFeatureShader, Uniform3iv, glUniform3iv, PFNGLUNIFORM3IVPROC) \
    X(GLFeatureShader, Uniform4iv, glUniform4iv, PFNGLUNIFORM4IVPROC) \
    X(GLFeatureShader, Uniform1f, glUniform1f, PFNGLUNIFORM1FPROC) \
    X(GLFeatureShader, Uniform1fv, glUniform1fv, PFNGLUNIFORM1FVPROC) \
    X(GLFeatureShader, Uniform2fv, glUniform2fv, PFNGLUNIFORM2FVPROC) \
    X(GLFeatureShader, Uniform3fv, glUniform3fv, PFNGLUNIFORM3FVPROC) \
    X(GLFeatureShader, Uniform4fv, glUniform4fv, PFNGLUNIFORM4FVPROC) \
    X(GLFeatureShader, UniformMatrix2fv, glUniformMatrix2fv, PFNGLUNIFORMMATRIX2FVPROC) \
    X(GLFeatureShader, UniformMatrix3fv, glUniformMatrix3fv, PFNGLUNIFORMMATRIX3FVPROC) \
    X(GLFeatureShader, UniformMatrix4fv, glUniformMatrix4fv, PFNGLUNIFORMMATRIX4FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix2x3fv, glUniformMatrix2x3fv, PFNGLUNIFORMMATRIX2X3FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix2x4fv, glUniformMatrix2x4fv, PFNGLUNIFORMMATRIX2X4FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix3x2fv, glUniformMatrix3x2fv, PFNGLUNIFORMMATRIX3X2FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix3x4fv, glUniformMatrix3x4fv, PFNGLUNIFORMMATRIX3X4FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix4x2fv, glUniformMatrix4x2fv, PFNGLUNIFORMMATRIX4X2FVPROC) \
    X(GLFeatureNonSquareMatrices, UniformMatrix4x3fv, glUniformMatrix4x3fv, PFNGLUNIFORMMATRIX4X3FVPROC) \
    X(GLFeatureDrawBuffers, DrawBuffers, glDrawBuffers, PFNGLDRAWBUFFERSPROC) \
    X(GLFeatureFramebufferObject, GenFramebuffers, glGenFramebuffers, PFNGLGENFRAMEBUFFERSPROC) \
    X(GLFeatureFramebufferObject, DeleteFramebuffers, glDeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC) \
    X(GLFeatureFramebufferObject, BindFramebuffer, glBindFramebuffer, PFNGLBINDFRAMEBUFFERPROC) \
    X(GLFeatureFramebufferObject, FramebufferTexture2D, glFramebufferTexture2D, PFNGLFRAMEBUFFERTEXTURE2DPROC) \
    X(GLFeatureFramebufferObject, FramebufferRenderbuffer, glFramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC) \
    X(GLFeatureFramebufferObject, CheckFramebufferStatus, glCheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC) \
    X(GLFeatureFramebufferObject, GenRenderbuffers, glGenRenderbuffers, PFNGLGENRENDERBUFFERSPROC) \
    X(GLFeatureFramebufferObject, DeleteRenderbuffers, glDeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC) \
    X(GLFeatureFramebufferObject, BindRenderbuffer, glBindRenderbuffer, PFNGLBINDRENDERBUFFERPROC) \
    X(GLFeatureFramebufferObject, RenderbufferStorage, glRenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC) \
    X(GLFeatureFramebufferObject, GenerateMipmap, glGenerateMipmap, PFNGLGENERATEMIPMAPPROC) \
    X(GLFeatureFramebufferBlit, BlitFramebuffer, glBlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC) \
    X(GLFeatureFramebufferMultisample, RenderbufferStorageMultisample, glRenderbufferStorageMultisample, PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC)

struct GLFunctions {
    // Resolves one entry point by name; null when the window system has none.
    using Resolver = void* (*)(const char* name);

#define NIMBREL_GL_MEMBER(feature, member, name, type) type member = nullptr;
    NIMBREL_GL_FUNCTIONS(NIMBREL_GL_MEMBER)
#undef NIMBREL_GL_MEMBER

    // Context version, from GL_VERSION.
    int majorVersion = 0;
    int minorVersion = 0;
    // Texture features decided from version and extensions.
    bool hasNVFloatBuffer = false;        // GL_NV_float_buffer
    bool hasSingleChannelFloat = false;   // one-channel float 2D textures (3.0, ARB_texture_float)
    bool hasFloatTextures = false;        // 3.0, ARB_texture_float
    bool hasRedTextures = false;          // 3.0, ARB_texture_rg
    bool hasS3TC = false;                 // EXT_texture_compression_s3tc

    // Reads version and extensions from the current context and resolves every entry point.
    void Load(Resolver resolve);
    // The same for a given version and space-separated extension list (no context needed to
    // decide; resolve is called for every name that is present).
    void Resolve(Resolver resolve, int major, int minor, const std::string& extensions);

    // Whether a space-separated extension list holds the name as a whole word.
    static bool HasExtension(const std::string& extensions, const char* name);
    // "4.5 (Compatibility Profile) Mesa ..." gives 4 and 5; anything unreadable gives 0 and 0.
    static void ParseVersion(const char* text, int& major, int& minor);
};

}  // namespace Nimbrel::Graphics
