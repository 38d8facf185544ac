#include "graphics/gl/GLInputLayout.h"

#include "core/Exception.h"
#include "graphics/gl/GLBuffer.h"
#include "graphics/gl/GLDevice.h"
#include "graphics/gl/GLShadingContext.h"
#include "graphics/gl/GLStateObjects.h"

#include <algorithm>

namespace Nimbrel::Graphics {

GLInputLayout::GLInputLayout(GLDevice* owner, const InputElement* source, int elementCount) : device(owner)
{
    if (elementCount < 0 || elementCount > MaxElements)
        throw Exception("CreateInputLayout(): An input layout holds 0 to 16 elements");
    if (elementCount > 0 && !source)
        throw Exception("CreateInputLayout(): No elements given");
    for (int i = 0; i < elementCount; ++i) {
        const InputElement& e = source[i];
        types[i] = GLTranslate::DataTypeCode(static_cast<DataType>(e.type));
        if (e.semantic < 0 || e.semantic >= MaxElements)
            throw Exception("CreateInputLayout(): Semantic index out of range");
        if (e.stream < 0 || e.stream >= MaxElements)
            throw Exception("CreateInputLayout(): Stream index out of range");
        if (e.components < 1 || e.components > 4)
            throw Exception("CreateInputLayout(): An element has 1 to 4 components");
        if (e.offset < 0)
            throw Exception("CreateInputLayout(): Negative element offset");
        elements[i] = e;
    }
    count = elementCount;
}

GLInputLayout::~GLInputLayout()
{
    device->OnInputLayoutDestroyed(this);
}

int GLInputLayout::GetElements(int maxCount, InputElement* out)
{
    const int n = std::max(0, std::min(maxCount, count));
    if (n > 0 && !out)
        throw Exception("InputLayout::GetElements(): No output given");
    std::copy(elements, elements + n, out);
    return n;
}

int GLInputLayout::GetElementSize(int index) const
{
    static const int componentBytes[] = {1, 1, 2, 2, 4};
    const InputElement& e = elements[index];
    return e.components * componentBytes[e.type];
}

void GLInputLayout::Apply()
{
    GLShadingContext* shading = device->GetShadingContext();
    if (!shading)
        throw Exception("GLDevice: No shading context set");
    GLFunctions& gl = device->GetGL();
    int enabled = 0;
    try {
        for (; enabled < count; ++enabled) {
            const InputElement& e = elements[enabled];
            auto* buffer = static_cast<GLVertexBuffer*>(device->GetVertexBuffer(e.stream));
            if (!buffer)
                throw Exception("The current InputLayout reads from stream which has no bound VertexBuffer.");
            gl.BindBuffer(GL_ARRAY_BUFFER, buffer->GetName());
            shading->EnableAttribute(e.semantic, e.components, types[enabled], buffer->GetStride(), e.IsNormalized(),
                                     e.offset);
        }
    } catch (...) {
        for (int i = 0; i < enabled; ++i)
            shading->DisableAttribute(elements[i].semantic);
        throw;
    }
}

void GLInputLayout::Remove()
{
    GLShadingContext* shading = device->GetShadingContext();
    if (!shading)
        return;
    for (int i = 0; i < count; ++i)
        shading->DisableAttribute(elements[i].semantic);
}

}  // namespace Nimbrel::Graphics
