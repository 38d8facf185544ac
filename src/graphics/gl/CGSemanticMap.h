#pragma once
// CGSemanticMap: the 16 names Cg source uses for the vertex semantic slots (index = semantic
// index). Compiling a shader turns each non-empty name into the definition
// NAME=ATTR<index>, so an input declared with that semantic reads the generic attribute the
// input layout feeds for the slot.

#include "core/String.h"
#include "graphics/gl/GLSemanticMap.h"

namespace Nimbrel::Graphics {

class CGSemanticMap : public GLSemanticMap {
public:
    static constexpr int NameCount = 16;

    // Copies the 16 names.
    CGSemanticMap(GLDevice* device, const String* names) : GLSemanticMap(device)
    {
        for (int i = 0; i < NameCount; ++i)
            this->names[i] = names[i];
    }

    const String& GetName(int index) const { return names[index]; }

private:
    String names[NameCount];
};

}  // namespace Nimbrel::Graphics
