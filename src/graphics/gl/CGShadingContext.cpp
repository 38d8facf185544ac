#include "graphics/gl/CGShadingContext.h"

#include "core/Exception.h"
#include "core/String.h"
#include "graphics/gl/CGNimbrelProgram.h"
#include "graphics/gl/CGSemanticMap.h"
#include "graphics/gl/CGShader.h"
#include "graphics/gl/CGTranslator.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLFunctions.h"

#include <cstdio>

namespace Nimbrel::Graphics {

namespace CGShadingContextDetail {

// The longest failure text handed on; a listing beyond it is cut.
constexpr size_t MaxMessage = 65536;

}  // namespace CGShadingContextDetail

void CGShadingContext::Fail(const std::string& headline, const std::string& listing)
{
    // The headline, a blank line, the listing (cut to fit), then a blank line.
    std::string text = headline + "\n\n" + listing;
    size_t limit = CGShadingContextDetail::MaxMessage - 2;
    if (text.size() > limit)
        text.resize(limit);
    text += "\n\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    throw Exception(String(text.c_str(), int(text.size())));
}

CGShadingContext::CGShadingContext(GLDevice* owner) : GLShadingContext(owner)
{
    CGTranslator::Prepare();
}

Shader* CGShadingContext::CreateShader(ShaderType type, bool precompiled, const char* entryPoint, const char*,
                                       const char* source)
{
    device->MakeCurrent();
    CGTranslator::Request request;
    if (type == ShaderTypeVertex)
        request.stage = CGTranslator::StageVertex;
    else if (type == ShaderTypePixel)
        request.stage = CGTranslator::StagePixel;
    else if (type == ShaderTypeGeometry)
        throw Exception("Non-default geometry shaders is not supported by this backend");
    else
        throw Exception("Invalid shader type enum");
    if (precompiled)
        throw Exception("Only CG text shaders is supported by this backend");

    if (auto* map = dynamic_cast<CGSemanticMap*>(device->GetSemanticMap())) {
        for (int index = 0; index < CGSemanticMap::NameCount; ++index) {
            const String& name = map->GetName(index);
            if (name.Length() > 0)
                request.definitions.push_back(std::string(name.CStr()) + "=ATTR" + std::to_string(index));
        }
    }
    request.entryPoint = entryPoint ? entryPoint : "";
    request.source = source ? source : "";

    CGTranslator::Result result = CGTranslator::Translate(request);
    if (!result.succeeded) {
        // Put together only now that the compiler has returned: the stage and entry point,
        // then the compiler's own messages.
        Fail("The compile returned an error.", std::string(type == ShaderTypeVertex ? "vertex" : "pixel") +
                                                   " entry point \"" + request.entryPoint + "\":\n" + result.listing);
    }
    return new CGShader(type, std::move(result));
}

Program* CGShadingContext::CreateProgram(Shader* vertex, Shader* pixel, Shader* geometry)
{
    device->MakeCurrent();
    if (geometry)
        throw Exception("This implementation does not support geometry shaders");
    return new CGNimbrelProgram(this, dynamic_cast<CGShader*>(vertex), dynamic_cast<CGShader*>(pixel));
}

Program* CGShadingContext::CreateProgram(Shader* vertex, Shader* pixel)
{
    return CreateProgram(vertex, pixel, nullptr);
}

SemanticMap* CGShadingContext::CreateSemanticMap(const String* names)
{
    if (!names)
        throw Exception("CreateSemanticMap(): No names given");
    return new CGSemanticMap(device, names);
}

void CGShadingContext::EnableAttribute(int index, int components, unsigned int type, int stride, bool normalized,
                                       intptr_t offset)
{
    device->MakeCurrent();
    GLFunctions& gl = device->GetGL();
    gl.EnableVertexAttribArray(GLuint(index));
    gl.VertexAttribPointer(GLuint(index), components, type, normalized ? GL_TRUE : GL_FALSE, stride,
                           reinterpret_cast<const void*>(offset));
}

void CGShadingContext::DisableAttribute(int index)
{
    device->MakeCurrent();
    device->GetGL().DisableVertexAttribArray(GLuint(index));
}

}  // namespace Nimbrel::Graphics
