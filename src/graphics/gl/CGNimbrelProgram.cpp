#include "graphics/gl/CGNimbrelProgram.h"

#include "core/Exception.h"
#include "graphics/gl/CGShadingContext.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLFunctions.h"

#include <algorithm>
#include <string>

namespace Nimbrel::Graphics {

namespace CGNimbrelProgramDetail {

// The vertex stage as linked: the translation's text with the varyings only the pixel stage
// knows declared before main and every output given its default value first in main.
std::string ComposeVertexSource(const CGTranslator::Result& vertex, const CGTranslator::Result& pixel)
{
    std::string declarations;
    std::string defaults = vertex.outputDefaults;
    for (const CGTranslator::Varying& needed : pixel.varyings) {
        bool written = std::any_of(vertex.varyings.begin(), vertex.varyings.end(),
                                   [&](const CGTranslator::Varying& v) { return v.semantic == needed.semantic; });
        if (written)
            continue;
        std::string type = needed.type;
        std::string suffix;
        size_t bracket = type.find('[');
        if (bracket != std::string::npos) {
            suffix = type.substr(bracket);
            type.resize(bracket);
        }
        declarations += "varying " + type + " " + needed.variable + suffix + ";\n";
        if (needed.widened)
            defaults += "    " + needed.variable + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
        else if (suffix.empty())
            defaults += "    " + needed.variable + " = " + type + "(0.0);\n";
    }
    const std::string& glsl = vertex.glsl;
    return glsl.substr(0, vertex.mainOffset) + declarations + glsl.substr(vertex.mainOffset, vertex.bodyOffset - vertex.mainOffset) +
           defaults + glsl.substr(vertex.bodyOffset);
}

std::string NumberedLines(const std::string& text)
{
    std::string numbered;
    int line = 1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        numbered += std::to_string(line++) + ": " + text.substr(start, end - start);
        start = end;
    }
    return numbered;
}

// A shader's or a program's info log, read through its pair of GL queries.
std::string InfoLog(GLuint object, PFNGLGETSHADERIVPROC getValue, PFNGLGETSHADERINFOLOGPROC getLog)
{
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(size_t(std::max(length, 1)), '\0');
    GLsizei written = 0;
    getLog(object, GLsizei(log.size()), &written, log.data());
    log.resize(size_t(std::max(written, 0)));
    return log;
}

}  // namespace CGNimbrelProgramDetail

CGNimbrelProgram::CGNimbrelProgram(CGShadingContext* context, CGShader* vertexShader, CGShader* pixelShader)
    : GLProgram(context->GetDevice()), context(context)
{
    if (!vertexShader || vertexShader->GetType() != ShaderTypeVertex)
        throw Exception("CreateProgram(): The vertex shader is missing or not a vertex shader");
    if (!pixelShader || pixelShader->GetType() != ShaderTypePixel)
        throw Exception("CreateProgram(): The pixel shader is missing or not a pixel shader");
    vertexShader->AddRef();
    vertex.Set(vertexShader);
    pixelShader->AddRef();
    pixel.Set(pixelShader);
    try {
        Link(*vertexShader, *pixelShader);
        BuildParameters(*vertexShader, *pixelShader);
        AssignUnits();
        SetInitialValues(*vertexShader, *pixelShader);
    } catch (...) {
        DeleteObjects();
        throw;
    }
}

CGNimbrelProgram::~CGNimbrelProgram()
{
    DeleteObjects();
}

void CGNimbrelProgram::DeleteObjects()
{
    Managed<Iterator<Pair<String, CGParameter*>>> iterator = parameters.GetIterator();
    while (iterator->MoveNext())
        iterator->Current().Value->Release();
    parameters.Clear();
    ordered.Clear();
    if (!programName && !vertexObject && !pixelObject)
        return;
    GLFunctions& gl = GetGL();
    if (context->GetBoundProgram() == this) {
        gl.UseProgram(0);
        context->SetBoundProgram(nullptr);
    }
    if (programName)
        gl.DeleteProgram(programName);
    if (vertexObject)
        gl.DeleteShader(vertexObject);
    if (pixelObject)
        gl.DeleteShader(pixelObject);
    programName = vertexObject = pixelObject = 0;
}

GLFunctions& CGNimbrelProgram::GetGL()
{
    context->GetDevice()->MakeCurrent();
    return context->GetDevice()->GetGL();
}

void CGNimbrelProgram::Link(const CGShader& vertexShader, const CGShader& pixelShader)
{
    using namespace CGNimbrelProgramDetail;
    GLFunctions& gl = GetGL();
    const CGTranslator::Result& vertexCode = vertexShader.GetTranslation();
    const CGTranslator::Result& pixelCode = pixelShader.GetTranslation();
    std::string sources[2] = {ComposeVertexSource(vertexCode, pixelCode), pixelCode.glsl};
    GLenum kinds[2] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER};
    unsigned int* objects[2] = {&vertexObject, &pixelObject};
    for (int stage = 0; stage < 2; ++stage) {
        GLuint object = gl.CreateShader(kinds[stage]);
        *objects[stage] = object;
        const GLchar* text = sources[stage].c_str();
        GLint length = GLint(sources[stage].size());
        gl.ShaderSource(object, 1, &text, &length);
        gl.CompileShader(object);
        GLint compiled = GL_FALSE;
        gl.GetShaderiv(object, GL_COMPILE_STATUS, &compiled);
        if (compiled != GL_TRUE) {
            std::string listing = std::string(stage == 0 ? "vertex" : "pixel") +
                                  " stage, as OpenGL received it:\n" + InfoLog(object, gl.GetShaderiv, gl.GetShaderInfoLog) + "\n" + NumberedLines(sources[stage]);
            DeleteObjects();
            CGShadingContext::Fail("The compile returned an error.", listing);
        }
    }
    programName = gl.CreateProgram();
    gl.AttachShader(programName, vertexObject);
    gl.AttachShader(programName, pixelObject);
    for (const CGTranslator::Attribute& attribute : vertexCode.attributes)
        gl.BindAttribLocation(programName, GLuint(attribute.index), attribute.variable.c_str());
    gl.LinkProgram(programName);
    GLint linked = GL_FALSE;
    gl.GetProgramiv(programName, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::string listing = InfoLog(programName, gl.GetProgramiv, gl.GetProgramInfoLog);
        DeleteObjects();
        CGShadingContext::Fail("The program could not be linked.", listing);
    }
}

void CGNimbrelProgram::BuildParameters(const CGShader& vertexShader, const CGShader& pixelShader)
{
    GLFunctions& gl = GetGL();
    const CGTranslator::Result* codes[2] = {&vertexShader.GetTranslation(), &pixelShader.GetTranslation()};
    for (int stage = 0; stage < 2; ++stage) {
        for (const CGTranslator::Uniform& uniform : codes[stage]->uniforms) {
            String name(uniform.name.c_str());
            CGParameter* parameter = nullptr;
            if (!parameters.TryGet(name, parameter)) {
                parameter = new CGParameter(this, name);
                parameters.Add(name, parameter);
            }
            CGParameter::Handle handle;
            handle.present = true;
            handle.location = gl.GetUniformLocation(programName, uniform.variable.c_str());
            handle.type = uniform.type;
            handle.arraySize = uniform.arraySize;
            handle.sampler = uniform.sampler;
            handle.typeName = uniform.typeName;
            handle.rows = uniform.rows;
            handle.columns = uniform.columns;
            parameter->SetHandle(CGParameter::Stage(stage), handle);
            if (uniform.sampler)
                parameter->SetSamplerTarget(uniform.samplerTarget, std::max(uniform.arraySize, 1));
        }
    }
    std::vector<CGParameter*> sorted;
    Managed<Iterator<Pair<String, CGParameter*>>> iterator = parameters.GetIterator();
    while (iterator->MoveNext())
        sorted.push_back(iterator->Current().Value);
    std::sort(sorted.begin(), sorted.end(), [](CGParameter* a, CGParameter* b) { return a->GetName() < b->GetName(); });
    ordered.Reserve(int(sorted.size()));
    for (CGParameter* parameter : sorted)
        ordered.Add(parameter);
}

void CGNimbrelProgram::AssignUnits()
{
    // Unit 0 stays free (see CGParameter); samplers take units from 1 in name order.
    GLFunctions& gl = GetGL();
    GLint available = 0;
    gl.GetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &available);
    int next = 1;
    for (int i = 0; i < ordered.Count(); ++i) {
        CGParameter* parameter = ordered[i];
        int count = parameter->GetUnitCount();
        if (count == 0)
            continue;
        if (next + count > available)
            CGShadingContext::Fail("The program could not be linked.",
                                   "Its samplers need " + std::to_string(next - 1 + count) +
                                       " texture units; OpenGL offers " + std::to_string(int(available) - 1) +
                                       " (unit 0 is kept free).");
        const CGParameter::Handle& vertexHandle = parameter->GetHandle(CGParameter::StageVertex);
        const CGParameter::Handle& pixelHandle = parameter->GetHandle(CGParameter::StagePixel);
        int location = -1;
        for (const CGParameter::Handle* handle : {&vertexHandle, &pixelHandle})
            if (handle->present && handle->sampler && handle->location >= 0)
                location = handle->location;
        parameter->SetFirstUnit(next);
        GLint firstUnits[CGParameter::MaxSamplers];
        for (int element = 0; element < count; ++element)
            firstUnits[element] = next + element;
        if (location >= 0)
            Update([&](GLFunctions& functions) { functions.Uniform1iv(location, count, firstUnits); });
        next += count;
    }
    units.assign(size_t(next), Unit());
}

void CGNimbrelProgram::SetInitialValues(const CGShader& vertexShader, const CGShader& pixelShader)
{
    const CGTranslator::Result* codes[2] = {&vertexShader.GetTranslation(), &pixelShader.GetTranslation()};
    for (int stage = 0; stage < 2; ++stage) {
        for (const CGTranslator::Uniform& uniform : codes[stage]->uniforms) {
            CGParameter* parameter = nullptr;
            if (!uniform.defaults.empty() && parameters.TryGet(String(uniform.name.c_str()), parameter))
                parameter->SetInitialValue(CGParameter::Stage(stage), uniform.defaults);
        }
    }
}

Parameter* CGNimbrelProgram::GetParameter(const String& name)
{
    CGParameter* parameter = nullptr;
    if (parameters.TryGet(name, parameter))
        return parameter;
    parameter = new CGParameter(this, name);
    parameters.Add(name, parameter);
    return parameter;
}

int CGNimbrelProgram::GetAttributeIndex(const String& input) const
{
    for (const CGTranslator::Attribute& attribute : vertex->GetTranslation().attributes)
        if (attribute.name == input.CStr())
            return attribute.index;
    return -1;
}

Parameter* CGNimbrelProgram::GetParameter(int index)
{
    return ordered[index];
}

void CGNimbrelProgram::Bind()
{
    GLFunctions& gl = GetGL();
    gl.UseProgram(programName);
    context->SetBoundProgram(this);
    bool touched = false;
    for (size_t unit = 1; unit < units.size(); ++unit) {
        if (!units[unit].target)
            continue;
        gl.ActiveTexture(GLenum(GL_TEXTURE0 + unit));
        gl.BindTexture(units[unit].target, units[unit].texture);
        touched = true;
    }
    if (touched)
        gl.ActiveTexture(GL_TEXTURE0);
}

void CGNimbrelProgram::SetUnit(int unit, unsigned int target, unsigned int texture)
{
    if (unit <= 0 || size_t(unit) >= units.size())
        return;
    units[size_t(unit)] = {target, texture};
    if (context->GetBoundProgram() != this)
        return;
    GLFunctions& gl = GetGL();
    gl.ActiveTexture(GLenum(GL_TEXTURE0 + unit));
    gl.BindTexture(target, texture);
    gl.ActiveTexture(GL_TEXTURE0);
}

GLFunctions& CGNimbrelProgram::BeginUpdate()
{
    GLFunctions& gl = GetGL();
    switched = context->GetBoundProgram() != this;
    if (switched)
        gl.UseProgram(programName);
    return gl;
}

void CGNimbrelProgram::EndUpdate(GLFunctions& gl)
{
    if (switched) {
        CGNimbrelProgram* bound = context->GetBoundProgram();
        gl.UseProgram(bound ? bound->programName : 0);
        switched = false;
    }
}

}  // namespace Nimbrel::Graphics
