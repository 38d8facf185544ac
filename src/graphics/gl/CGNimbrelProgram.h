#pragma once
// CGNimbrelProgram: a vertex and a pixel CGShader linked into one OpenGL program, its uniforms
// as CGParameters by Cg name.
//
// Linking completes the vertex stage with the varyings the pixel stage reads and the vertex
// stage does not write (they read 0, 0, 0, 1), binds every vertex input to the generic
// attribute its semantic names before linking, and gives each sampler its texture units.
// A parameter exists for every uniform name either stage uses; the table by index lists them
// in ascending name order. Names asked for that the program does not use get an invalid
// parameter, kept so that the same one comes back each time. Uniforms start at the values
// their declarations give them ("float Shininess = 32;"), as under Cg.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Map.h"
#include "core/String.h"
#include "graphics/gl/CGParameter.h"
#include "graphics/gl/CGShader.h"
#include "graphics/gl/GLProgram.h"

#include <vector>

namespace Nimbrel::Graphics {

class CGShadingContext;
struct GLFunctions;

class CGNimbrelProgram : public GLProgram {
public:
    // Throws the driver's listing (also written to the console) when OpenGL does not take
    // the generated stages, or "CreateProgram(): ..." for shaders of the wrong kind.
    CGNimbrelProgram(CGShadingContext* context, CGShader* vertex, CGShader* pixel);
    ~CGNimbrelProgram() override;

    int GetParameterCount() override { return ordered.Count(); }
    Parameter* GetParameter(const String& name) override;
    Parameter* GetParameter(int index) override;

    void Bind() override;
    // Generic attribute n reads semantic slot n: the compile definitions made it so.
    int GetAttributeIndex(int semantic) override { return semantic; }
    // The generic attribute a vertex input reads, by its name in the source ("weight", or
    // "IN.weight" for a member of the struct parameter IN); -1 when the vertex stage reads
    // no input of that name. Inputs without a semantic take the lowest attributes that no
    // semantic claims, in the order they are declared.
    int GetAttributeIndex(const String& input) const;

    // For parameters. Makes the device current and the program current in OpenGL for the
    // call (restoring the bound program afterwards), then calls update with the functions.
    template <class Function>
    void Update(Function&& update)
    {
        GLFunctions& gl = BeginUpdate();
        update(gl);
        EndUpdate(gl);
    }
    // Puts a texture on a unit of this program; bound at once when the program is bound.
    void SetUnit(int unit, unsigned int target, unsigned int texture);
    unsigned int GetProgramName() const { return programName; }
    GLFunctions& GetGL();

private:
    struct Unit {
        unsigned int target = 0;
        unsigned int texture = 0;
    };

    void Link(const CGShader& vertex, const CGShader& pixel);
    void BuildParameters(const CGShader& vertex, const CGShader& pixel);
    void AssignUnits();
    // The values the source's declarations give its uniforms.
    void SetInitialValues(const CGShader& vertex, const CGShader& pixel);
    void DeleteObjects();
    GLFunctions& BeginUpdate();
    void EndUpdate(GLFunctions& gl);

    CGShadingContext* context;
    Managed<CGShader> vertex;
    Managed<CGShader> pixel;
    unsigned int programName = 0;
    unsigned int vertexObject = 0;
    unsigned int pixelObject = 0;
    Map<String, CGParameter*> parameters;
    Array<CGParameter*> ordered;
    std::vector<Unit> units;
    bool switched = false;
};

}  // namespace Nimbrel::Graphics
