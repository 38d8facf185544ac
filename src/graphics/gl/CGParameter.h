#pragma once
// CGParameter: a uniform of a CGNimbrelProgram, by its Cg name, with one handle per stage.
//
// A handle is the uniform's location in the linked OpenGL program and what the stage's
// reflection says of it (type, array size). A stage that does not use the name has no
// handle; a parameter with neither is invalid and ignores values. Values are written into the
// program object (which is made current for the moment if another one is bound), so they
// stay until set again, as Cg parameters do.
//
// Samplers: one OpenGL uniform serves both stages; each element owns a texture unit of the
// program, bound when the program is bound. Units start at 1, keeping unit 0 free for the
// texture uploads and parameter changes that bind textures on the active unit. Each element
// caches the (texture, sampler state) pair last set and skips a repeat; the cache holds a
// reference to both, so an address in it always names the object it was set with.

#include "core/Managed.h"
#include "graphics/Parameter.h"
#include "graphics/StateObjects.h"
#include "graphics/Texture.h"

#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGNimbrelProgram;

class CGParameter : public Parameter {
public:
    static constexpr int MaxSamplers = 8;

    enum Stage { StageVertex = 0, StagePixel = 1 };

    struct Handle {
        bool present = false;
        int location = -1;
        int type = 0;       // ParameterType value, 0 when the engine has no name for it
        int arraySize = 0;  // 0 when not an array
        bool sampler = false;
        std::string typeName;  // the Cg type word ("float2", "float3x4", "sampler1D", ...)
        int rows = 0;          // a float matrix's rows and columns as Cg counts them
        int columns = 0;
    };

    CGParameter(CGNimbrelProgram* program, const String& name);

    // Used while the program is built.
    void SetHandle(Stage stage, const Handle& handle) { handles[stage] = handle; }
    const Handle& GetHandle(Stage stage) const { return handles[stage]; }
    // A sampler's texture target and element count (at most MaxSamplers are kept), then the
    // first of the consecutive texture units its elements use.
    void SetSamplerTarget(unsigned int target, int count);
    void SetFirstUnit(int unit) { firstUnit = unit; }
    int GetFirstUnit() const { return firstUnit; }
    int GetUnitCount() const { return unitCount; }
    // Gives a stage's uniform the initial value its declaration wrote: one value for every
    // component (matrices row by row, as written) or a single one for all of them. Values of
    // another count are left out.
    void SetInitialValue(Stage stage, const std::vector<float>& values);

    // The Cg type word of the uniform (pixel stage first), empty for an invalid parameter.
    const std::string& GetTypeName() const;

    String GetName() override { return name; }
    // Throws "GetParameterType(): Parameter is not valid" when neither stage uses the name and
    // "GetParameterType(): Data type not supported by Nimbrel 2" for types without a name.
    ParameterType GetParameterType() override;
    int GetArraySize() override;
    bool IsValid() override { return handles[StageVertex].present || handles[StagePixel].present; }

    void SetSampler(int count, Texture* const* textures, SamplerState* const* states) override;
    void SetSampler(int count, Texture* const* textures) override;
    void SetSampler(Texture* texture, SamplerState* state) override;
    void SetSampler(Texture* texture) override;

    // On a matrix that is not square (a float3x4 bone palette), the vectors are its rows, as
    // Cg's mul reads them: count rows in all, rows of a matrix one after the other.
    void SetFloat(int count, const float* values) override { SetFloats(1, count, values); }
    void SetFloat2(int count, const float* values) override { SetFloats(2, count, values); }
    void SetFloat3(int count, const float* values) override { SetFloats(3, count, values); }
    void SetFloat4(int count, const float* values) override { SetFloats(4, count, values); }
    // Throw "Integer parameters not supported by the CG backend".
    void SetInt(int count, const int* values) override;
    void SetInt2(int count, const int* values) override;
    void SetInt3(int count, const int* values) override;
    void SetInt4(int count, const int* values) override;
    // Throw "Boolean parameters not supported by CG".
    void SetBool(int count, const bool* values) override;
    void SetBool2(int count, const bool* values) override;
    void SetBool3(int count, const bool* values) override;
    void SetBool4(int count, const bool* values) override;
    // Column-major matrices. A parameter whose matrices are not square takes the rows and
    // columns it has from each (the upper left corner), when the matrices given are that large.
    void SetMatrix2(int count, const float* values) override { SetMatrices(2, count, values); }
    void SetMatrix3(int count, const float* values) override { SetMatrices(3, count, values); }
    void SetMatrix4(int count, const float* values) override { SetMatrices(4, count, values); }

private:
    // The handle whose type answers for the parameter: the pixel one first.
    const Handle* GetTypedHandle() const;
    // count values of width components each, for the stages whose bit (1 << stage) is set;
    // non-array handles take one.
    void SetFloats(int width, int count, const float* values, int stages = 3);
    void SetMatrices(int size, int count, const float* values, int stages = 3);
    // Uploads elements non-square matrices, each given row by row.
    void SetRowMajor(const Handle& handle, int elements, const float* rows);
    // Rows set as vectors of width on non-square matrix handles; true when one took them.
    bool SetMatrixRows(int width, int count, const float* values, int stages);
    void SetSamplers(int count, Texture* const* textures, SamplerState* const* states);

    CGNimbrelProgram* program;
    String name;
    Handle handles[2];
    int firstUnit = 0;
    int unitCount = 0;
    unsigned int samplerTarget = 0;
    struct CacheEntry {
        Managed<Texture> texture;
        Managed<SamplerState> state;
        bool set = false;
    };
    CacheEntry cache[MaxSamplers];
    // Reused for matrices rearranged before upload, so that a frame's settings do not allocate.
    std::vector<float> scratch;
};

}  // namespace Nimbrel::Graphics
