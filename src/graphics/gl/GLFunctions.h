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

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1  // only for decltype of the entry points below; never called
#endif
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
    GLFeatureCount
};

// X(feature, member, entry point). The member is the entry point without its "gl" prefix.
#define NIMBREL_GL_FUNCTIONS(X)                                                   \
    X(GLFeatureBase, Clear, glClear)                                              \
    X(GLFeatureBase, ClearColor, glClearColor)                                    \
    X(GLFeatureBase, ClearDepth, glClearDepth)                                    \
    X(GLFeatureBase, ClearStencil, glClearStencil)                                \
    X(GLFeatureBase, Flush, glFlush)                                              \
    X(GLFeatureBase, Finish, glFinish)                                            \
    X(GLFeatureBase, GetError, glGetError)                                        \
    X(GLFeatureBase, GetString, glGetString)                                      \
    X(GLFeatureBase, GetIntegerv, glGetIntegerv)                                  \
    X(GLFeatureBase, Enable, glEnable)                                            \
    X(GLFeatureBase, Disable, glDisable)                                          \
    X(GLFeatureBase, ColorMask, glColorMask)                                      \
    X(GLFeatureBase, DepthFunc, glDepthFunc)                                      \
    X(GLFeatureBase, DepthMask, glDepthMask)                                      \
    X(GLFeatureBase, StencilFunc, glStencilFunc)                                  \
    X(GLFeatureBase, StencilMask, glStencilMask)                                  \
    X(GLFeatureBase, StencilOp, glStencilOp)                                      \
    X(GLFeatureBase, FrontFace, glFrontFace)                                      \
    X(GLFeatureBase, CullFace, glCullFace)                                        \
    X(GLFeatureBase, LineWidth, glLineWidth)                                      \
    X(GLFeatureBase, PointSize, glPointSize)                                      \
    X(GLFeatureBase, Viewport, glViewport)                                        \
    X(GLFeatureBase, Scissor, glScissor)                                          \
    X(GLFeatureBase, DrawArrays, glDrawArrays)                                    \
    X(GLFeatureBase, DrawElements, glDrawElements)                                \
    X(GLFeatureBase, DrawBuffer, glDrawBuffer)                                    \
    X(GLFeatureBase, ReadBuffer, glReadBuffer)                                    \
    X(GLFeatureBase, ReadPixels, glReadPixels)                                    \
    X(GLFeatureBase, PixelStorei, glPixelStorei)                                  \
    X(GLFeatureBase, GenTextures, glGenTextures)                                  \
    X(GLFeatureBase, BindTexture, glBindTexture)                                  \
    X(GLFeatureBase, DeleteTextures, glDeleteTextures)                            \
    X(GLFeatureBase, TexImage2D, glTexImage2D)                                    \
    X(GLFeatureBase, TexParameteri, glTexParameteri)                              \
    X(GLFeatureMultitexture, ActiveTexture, glActiveTexture)                      \
    X(GLFeatureMultitexture, ClientActiveTexture, glClientActiveTexture)          \
    X(GLFeatureMultitexture, MultiTexCoord4fv, glMultiTexCoord4fv)                \
    X(GLFeatureTextureCompression, CompressedTexImage2D, glCompressedTexImage2D)  \
    X(GLFeatureBlendFuncSeparate, BlendFuncSeparate, glBlendFuncSeparate)         \
    X(GLFeatureBufferObject, GenBuffers, glGenBuffers)                            \
    X(GLFeatureBufferObject, BindBuffer, glBindBuffer)                            \
    X(GLFeatureBufferObject, BufferData, glBufferData)                            \
    X(GLFeatureBufferObject, BufferSubData, glBufferSubData)                      \
    X(GLFeatureBufferObject, GetBufferSubData, glGetBufferSubData)                \
    X(GLFeatureBufferObject, MapBuffer, glMapBuffer)                              \
    X(GLFeatureBufferObject, UnmapBuffer, glUnmapBuffer)                          \
    X(GLFeatureBufferObject, DeleteBuffers, glDeleteBuffers)                      \
    X(GLFeatureShader, EnableVertexAttribArray, glEnableVertexAttribArray)        \
    X(GLFeatureShader, DisableVertexAttribArray, glDisableVertexAttribArray)      \
    X(GLFeatureShader, VertexAttribPointer, glVertexAttribPointer)                \
    X(GLFeatureShader, VertexAttrib4fv, glVertexAttrib4fv)                        \
    X(GLFeatureShader, BindAttribLocation, glBindAttribLocation)                  \
    X(GLFeatureShader, GetAttribLocation, glGetAttribLocation)                    \
    X(GLFeatureShader, CreateShader, glCreateShader)                              \
    X(GLFeatureShader, DeleteShader, glDeleteShader)                              \
    X(GLFeatureShader, ShaderSource, glShaderSource)                              \
    X(GLFeatureShader, CompileShader, glCompileShader)                            \
    X(GLFeatureShader, GetShaderiv, glGetShaderiv)                                \
    X(GLFeatureShader, GetShaderInfoLog, glGetShaderInfoLog)                      \
    X(GLFeatureShader, CreateProgram, glCreateProgram)                            \
    X(GLFeatureShader, DeleteProgram, glDeleteProgram)                            \
    X(GLFeatureShader, AttachShader, glAttachShader)                              \
    X(GLFeatureShader, DetachShader, glDetachShader)                              \
    X(GLFeatureShader, LinkProgram, glLinkProgram)                                \
    X(GLFeatureShader, GetProgramiv, glGetProgramiv)                              \
    X(GLFeatureShader, GetProgramInfoLog, glGetProgramInfoLog)                    \
    X(GLFeatureShader, UseProgram, glUseProgram)                                  \
    X(GLFeatureShader, GetUniformLocation, glGetUniformLocation)                  \
    X(GLFeatureShader, GetActiveUniform, glGetActiveUniform)                      \
    X(GLFeatureShader, Uniform1i, glUniform1i)                                    \
    X(GLFeatureShader, Uniform1iv, glUniform1iv)                                  \
    X(GLFeatureShader, Uniform2iv, glUniform2iv)                                  \
    X(GLFeatureShader, Uniform3iv, glUniform3iv)                                  \
    X(GLFeatureShader, Uniform4iv, glUniform4iv)                                  \
    X(GLFeatureShader, Uniform1f, glUniform1f)                                    \
    X(GLFeatureShader, Uniform1fv, glUniform1fv)                                  \
    X(GLFeatureShader, Uniform2fv, glUniform2fv)                                  \
    X(GLFeatureShader, Uniform3fv, glUniform3fv)                                  \
    X(GLFeatureShader, Uniform4fv, glUniform4fv)                                  \
    X(GLFeatureShader, UniformMatrix2fv, glUniformMatrix2fv)                      \
    X(GLFeatureShader, UniformMatrix3fv, glUniformMatrix3fv)                      \
    X(GLFeatureShader, UniformMatrix4fv, glUniformMatrix4fv)                      \
    X(GLFeatureDrawBuffers, DrawBuffers, glDrawBuffers)                           \
    X(GLFeatureFramebufferObject, GenFramebuffers, glGenFramebuffers)             \
    X(GLFeatureFramebufferObject, DeleteFramebuffers, glDeleteFramebuffers)       \
    X(GLFeatureFramebufferObject, BindFramebuffer, glBindFramebuffer)             \
    X(GLFeatureFramebufferObject, FramebufferTexture2D, glFramebufferTexture2D)   \
    X(GLFeatureFramebufferObject, FramebufferRenderbuffer, glFramebufferRenderbuffer) \
    X(GLFeatureFramebufferObject, CheckFramebufferStatus, glCheckFramebufferStatus) \
    X(GLFeatureFramebufferObject, GenRenderbuffers, glGenRenderbuffers)           \
    X(GLFeatureFramebufferObject, DeleteRenderbuffers, glDeleteRenderbuffers)     \
    X(GLFeatureFramebufferObject, BindRenderbuffer, glBindRenderbuffer)           \
    X(GLFeatureFramebufferObject, RenderbufferStorage, glRenderbufferStorage)     \
    X(GLFeatureFramebufferObject, GenerateMipmap, glGenerateMipmap)               \
    X(GLFeatureFramebufferBlit, BlitFramebuffer, glBlitFramebuffer)               \
    X(GLFeatureFramebufferMultisample, RenderbufferStorageMultisample, glRenderbufferStorageMultisample)

struct GLFunctions {
    // Resolves one entry point by name; null when the window system has none.
    using Resolver = void* (*)(const char* name);

#define NIMBREL_GL_MEMBER(feature, member, name) decltype(&::name) member = nullptr;
    NIMBREL_GL_FUNCTIONS(NIMBREL_GL_MEMBER)
#undef NIMBREL_GL_MEMBER

    // Context version, from GL_VERSION.
    int majorVersion = 0;
    int minorVersion = 0;
    // Texture features decided from version and extensions.
    bool hasNVFloatBuffer = false;        // GL_NV_float_buffer
    bool hasSingleChannelFloat = false;   // NV_float_buffer, or float red textures (3.0, ARB_texture_rg + ARB_texture_float)
    bool hasFloatTextures = false;        // 3.0, ARB_texture_float
    bool hasS3TC = false;                 // EXT_texture_compression_s3tc
    bool hasTextureRectangle = false;     // 3.1, ARB/EXT/NV_texture_rectangle

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
