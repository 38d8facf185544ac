#pragma once
// GLProgram: a Program the GL device can bind. SetProgram binds it at once; the input layout
// asks it which generic attribute reads a semantic.

#include "graphics/Program.h"

namespace Nimbrel::Graphics {

class GLProgram : public Program {
public:
    // Makes the program the one OpenGL draws with (and binds its samplers' textures).
    virtual void Bind() = 0;
    // The generic vertex attribute that reads the semantic slot.
    virtual int GetAttributeIndex(int semantic) = 0;
};

}  // namespace Nimbrel::Graphics
