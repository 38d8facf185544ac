#pragma once
// Program: a vertex and a pixel shader linked together, with its uniforms as named
// parameters. Parameters belong to the program.

#include "core/Object.h"
#include "core/String.h"

namespace Nimbrel::Graphics {

class Parameter;

class Program : public Object {
public:
    ~Program() override = default;
    virtual int GetParameterCount() = 0;
    // Never null: a name the program does not use gives an invalid parameter, the same one on
    // every request.
    virtual Parameter* GetParameter(const String& name) = 0;
    // Parameters in ascending order of name, 0 to GetParameterCount() - 1.
    virtual Parameter* GetParameter(int index) = 0;
};

}  // namespace Nimbrel::Graphics
