#pragma once
// GLProgram: a Program the GL device can bind. SetProgram binds it at once; the input layout
// asks it which generic attribute reads a semantic. A program that goes away tells its device,
// which then no longer holds it as current.

#include "graphics/Program.h"

namespace Nimbrel::Graphics {

class GLDevice;

class GLProgram : public Program {
public:
    explicit GLProgram(GLDevice* device) : owner(device) {}
    ~GLProgram() override;
    GLProgram(const GLProgram&) = delete;
    GLProgram& operator=(const GLProgram&) = delete;

    // Makes the program the one OpenGL draws with (and binds its samplers' textures).
    virtual void Bind() = 0;
    // The generic vertex attribute that reads the semantic slot.
    virtual int GetAttributeIndex(int semantic) = 0;

private:
    GLDevice* owner;
};

}  // namespace Nimbrel::Graphics
