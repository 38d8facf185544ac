#pragma once
// Parameter: a named uniform of a program. It belongs to its program (no reference is handed
// out with it). A name the program does not use gives a parameter whose IsValid is false;
// setting values on it has no effect.
//
// For a non-array parameter the count of the setters is ignored and one value is set. Matrices
// are column-major. A sampler array holds at most 8 elements.

#include "core/Object.h"
#include "core/String.h"
#include "graphics/Enumerations.h"

namespace Nimbrel::Graphics {

class Texture;
class SamplerState;

class Parameter : public Object {
public:
    ~Parameter() override = default;
    virtual String GetName() = 0;
    virtual ParameterType GetParameterType() = 0;
    // Element count: 1 for a non-array, 0 for an invalid parameter.
    virtual int GetArraySize() = 0;
    // True when at least one shader of the program uses the name.
    virtual bool IsValid() = 0;

    // Sampler array with explicit states.
    virtual void SetSampler(int count, Texture* const* textures, SamplerState* const* states) = 0;
    // Sampler array with the default state.
    virtual void SetSampler(int count, Texture* const* textures) = 0;
    virtual void SetSampler(Texture* texture, SamplerState* state) = 0;
    // Default state: linear magnification and minification, wrap in U and V.
    virtual void SetSampler(Texture* texture) = 0;

    virtual void SetFloat(int count, const float* values) = 0;
    virtual void SetFloat2(int count, const float* values) = 0;
    virtual void SetFloat3(int count, const float* values) = 0;
    virtual void SetFloat4(int count, const float* values) = 0;
    virtual void SetInt(int count, const int* values) = 0;
    virtual void SetInt2(int count, const int* values) = 0;
    virtual void SetInt3(int count, const int* values) = 0;
    virtual void SetInt4(int count, const int* values) = 0;
    virtual void SetBool(int count, const bool* values) = 0;
    virtual void SetBool2(int count, const bool* values) = 0;
    virtual void SetBool3(int count, const bool* values) = 0;
    virtual void SetBool4(int count, const bool* values) = 0;
    virtual void SetMatrix2(int count, const float* values) = 0;
    virtual void SetMatrix3(int count, const float* values) = 0;
    virtual void SetMatrix4(int count, const float* values) = 0;
};

}  // namespace Nimbrel::Graphics
