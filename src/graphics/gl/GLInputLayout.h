#pragma once
// GLInputLayout: the vertex attributes of a draw, each read from the vertex buffer the device
// holds for its stream. The semantic index is the generic attribute index; the shading
// context ties it to the shader's name for the semantic. A destroyed layout tells its device,
// so the device never applies or removes a layout that is gone.

#include "graphics/InputLayout.h"

namespace Nimbrel::Graphics {

class GLDevice;

class GLInputLayout : public InputLayout {
public:
    static constexpr int MaxElements = 16;

    // Throws for more than 16 elements and for an element out of range ("Invalid data type
    // enum", a semantic or stream outside 0 to 15, 1 to 4 components, a negative offset).
    GLInputLayout(GLDevice* device, const InputElement* elements, int count);
    // Tells the device, which forgets the layout as current and as applied.
    ~GLInputLayout() override;

    int GetElements(int maxCount, InputElement* out) override;

    int GetCount() const { return count; }
    const InputElement& GetElement(int index) const { return elements[index]; }
    // Bytes one vertex of the element needs from its offset on.
    int GetElementSize(int index) const;

    // Enables the attributes through the shading context, reading from the device's vertex
    // buffers. Throws "The current InputLayout reads from stream which has no bound
    // VertexBuffer." and then leaves no attribute of the layout enabled.
    void Apply();
    // Disables the attributes.
    void Remove();

private:
    GLDevice* device;
    int count = 0;
    InputElement elements[MaxElements];
    unsigned int types[MaxElements] = {};
};

}  // namespace Nimbrel::Graphics
