#include "graphics/gl/CGParameter.h"

#include "core/Exception.h"
#include "graphics/gl/CGNimbrelProgram.h"
#include "graphics/gl/GLFunctions.h"
#include "graphics/gl/GLSamplerState.h"
#include "graphics/gl/GLTexture2D.h"
#include "graphics/gl/GLTextureCube.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace Nimbrel::Graphics {

namespace CGParameterDetail {

// Components of a float parameter type, 0 for any other type.
int FloatComponents(int type)
{
    switch (type) {
    case ParameterTypeFloat:
        return 1;
    case ParameterTypeFloat2:
        return 2;
    case ParameterTypeFloat3:
        return 3;
    case ParameterTypeFloat4:
        return 4;
    default:
        return 0;
    }
}

template <class T>
Managed<T> Hold(T* object)
{
    if (object)
        object->AddRef();
    return Managed<T>(object);
}

GLenum BindingOf(GLenum target)
{
    switch (target) {
    case GL_TEXTURE_CUBE_MAP:
        return GL_TEXTURE_BINDING_CUBE_MAP;
    default:
        return GL_TEXTURE_BINDING_2D;
    }
}

}  // namespace CGParameterDetail

CGParameter::CGParameter(CGNimbrelProgram* program, const String& name) : program(program), name(name) {}

void CGParameter::SetSamplerTarget(unsigned int target, int count)
{
    samplerTarget = target;
    unitCount = std::clamp(std::max(count, unitCount), 0, int(MaxSamplers));
}

const CGParameter::Handle* CGParameter::GetTypedHandle() const
{
    if (handles[StagePixel].present)
        return &handles[StagePixel];
    if (handles[StageVertex].present)
        return &handles[StageVertex];
    return nullptr;
}

const std::string& CGParameter::GetTypeName() const
{
    static const std::string none;
    const Handle* handle = GetTypedHandle();
    return handle ? handle->typeName : none;
}

ParameterType CGParameter::GetParameterType()
{
    const Handle* handle = GetTypedHandle();
    if (!handle)
        throw Exception("GetParameterType(): Parameter is not valid");
    if (handle->type == 0)
        throw Exception("GetParameterType(): Data type not supported by Nimbrel 2");
    return ParameterType(handle->type);
}

int CGParameter::GetArraySize()
{
    const Handle* handle = GetTypedHandle();
    if (!handle)
        return 0;
    return handle->arraySize > 0 ? handle->arraySize : 1;
}

bool CGParameter::SetMatrixRows(int width, int count, const float* values, int stages)
{
    bool taken = false;
    for (int stage = StageVertex; stage <= StagePixel; ++stage) {
        const Handle& handle = handles[stage];
        if (!(stages & (1 << stage)) || !handle.present || handle.location < 0 || handle.rows == 0 ||
            handle.rows == handle.columns || handle.columns != width)
            continue;
        taken = true;
        int elements = std::min(count / handle.rows, std::max(handle.arraySize, 1));
        if (elements > 0)
            SetRowMajor(handle, elements, values);
    }
    return taken;
}

void CGParameter::SetRowMajor(const Handle& handle, int elements, const float* rows)
{
    // The translated code holds a Cg matrix's rows as its GLSL columns: rows given one after
    // the other are the GLSL matrix in its own column order.
    program->Update([&](GLFunctions& gl) {
        switch (handle.rows * 10 + handle.columns) {
        case 23:
            gl.UniformMatrix2x3fv(handle.location, elements, GL_FALSE, rows);
            break;
        case 24:
            gl.UniformMatrix2x4fv(handle.location, elements, GL_FALSE, rows);
            break;
        case 32:
            gl.UniformMatrix3x2fv(handle.location, elements, GL_FALSE, rows);
            break;
        case 34:
            gl.UniformMatrix3x4fv(handle.location, elements, GL_FALSE, rows);
            break;
        case 42:
            gl.UniformMatrix4x2fv(handle.location, elements, GL_FALSE, rows);
            break;
        case 43:
            gl.UniformMatrix4x3fv(handle.location, elements, GL_FALSE, rows);
            break;
        default:
            break;
        }
    });
}

void CGParameter::SetFloats(int width, int count, const float* values, int stages)
{
    using namespace CGParameterDetail;
    if (!values)
        return;
    if (SetMatrixRows(width, count, values, stages))
        return;
    for (int stage = StageVertex; stage <= StagePixel; ++stage) {
        const Handle& handle = handles[stage];
        int components = FloatComponents(handle.type);
        if (!(stages & (1 << stage)) || !handle.present || handle.location < 0 || components == 0)
            continue;
        // Each stage's own array flag and length decide; nothing past the length is written.
        int elements = handle.arraySize > 0 ? std::clamp(count, 0, handle.arraySize) : 1;
        if (elements == 0)
            continue;
        const float* source = values;
        // A vector of another width goes up as the common components, the rest 0. Short ones
        // (every single value a frame sets) are widened on the stack, not the heap.
        float small[64];
        std::vector<float> large;
        if (width != components) {
            const size_t total = size_t(elements) * size_t(components);
            float* converted = small;
            if (total > std::size(small)) {
                large.resize(total);
                converted = large.data();
            }
            std::fill_n(converted, total, 0.0f);
            int common = std::min(width, components);
            for (int element = 0; element < elements; ++element)
                std::copy_n(values + element * width, common, converted + element * components);
            source = converted;
        }
        program->Update([&](GLFunctions& gl) {
            switch (components) {
            case 1:
                gl.Uniform1fv(handle.location, elements, source);
                break;
            case 2:
                gl.Uniform2fv(handle.location, elements, source);
                break;
            case 3:
                gl.Uniform3fv(handle.location, elements, source);
                break;
            default:
                gl.Uniform4fv(handle.location, elements, source);
                break;
            }
        });
    }
}

void CGParameter::SetMatrices(int size, int count, const float* values, int stages)
{
    if (!values)
        return;
    int type = ParameterTypeFloat2x2 + size - 2;
    for (int stage = StageVertex; stage <= StagePixel; ++stage) {
        const Handle& handle = handles[stage];
        if ((stages & (1 << stage)) && handle.present && handle.location >= 0 && handle.rows != handle.columns &&
            handle.rows <= size && handle.columns <= size) {
            // The corner of each column-major matrix, row by row.
            int elements = handle.arraySize > 0 ? std::clamp(count, 0, handle.arraySize) : std::min(count, 1);
            std::vector<float>& rows = scratch;
            rows.resize(size_t(elements * handle.rows * handle.columns));
            for (int element = 0; element < elements; ++element)
                for (int row = 0; row < handle.rows; ++row)
                    for (int column = 0; column < handle.columns; ++column)
                        rows[size_t((element * handle.rows + row) * handle.columns + column)] =
                            values[element * size * size + column * size + row];
            if (elements > 0)
                SetRowMajor(handle, elements, rows.data());
            continue;
        }
        if (!(stages & (1 << stage)) || !handle.present || handle.location < 0 || handle.type != type)
            continue;
        int elements = handle.arraySize > 0 ? std::clamp(count, 0, handle.arraySize) : 1;
        if (elements == 0)
            continue;
        // The translated code holds a Cg matrix's rows as its GLSL columns (mul(M, v) is
        // v * M there), so the column-major values go up transposed.
        program->Update([&](GLFunctions& gl) {
            if (size == 2)
                gl.UniformMatrix2fv(handle.location, elements, GL_TRUE, values);
            else if (size == 3)
                gl.UniformMatrix3fv(handle.location, elements, GL_TRUE, values);
            else
                gl.UniformMatrix4fv(handle.location, elements, GL_TRUE, values);
        });
    }
}

void CGParameter::SetInitialValue(Stage stage, const std::vector<float>& values)
{
    using namespace CGParameterDetail;
    const Handle& handle = handles[stage];
    int components = FloatComponents(handle.type);
    int matrix = handle.type >= ParameterTypeFloat2x2 && handle.type <= ParameterTypeFloat4x4
                     ? handle.type - ParameterTypeFloat2x2 + 2
                     : 0;
    bool nonSquare = handle.rows > 0 && handle.rows != handle.columns;
    int perElement = nonSquare ? handle.rows * handle.columns : matrix ? matrix * matrix : components;
    if (!handle.present || handle.location < 0 || perElement == 0 || values.empty())
        return;
    int elements = std::max(handle.arraySize, 1);
    size_t total = size_t(elements) * size_t(perElement);
    std::vector<float> data;
    if (values.size() == 1)
        data.assign(total, values[0]);
    else if (values.size() == total)
        data = values;
    else
        return;
    if (nonSquare) {
        SetRowMajor(handle, elements, data.data());
        return;
    }
    if (matrix) {
        // Written row by row; uploaded column by column.
        std::vector<float> rows = data;
        for (int element = 0; element < elements; ++element)
            for (int row = 0; row < matrix; ++row)
                for (int column = 0; column < matrix; ++column)
                    data[size_t(element * perElement + column * matrix + row)] =
                        rows[size_t(element * perElement + row * matrix + column)];
        SetMatrices(matrix, elements, data.data(), 1 << stage);
        return;
    }
    SetFloats(components, elements, data.data(), 1 << stage);
}

void CGParameter::SetInt(int, const int*)
{
    throw Exception("Integer parameters not supported by the CG backend");
}

void CGParameter::SetInt2(int, const int*)
{
    throw Exception("Integer parameters not supported by the CG backend");
}

void CGParameter::SetInt3(int, const int*)
{
    throw Exception("Integer parameters not supported by the CG backend");
}

void CGParameter::SetInt4(int, const int*)
{
    throw Exception("Integer parameters not supported by the CG backend");
}

void CGParameter::SetBool(int, const bool*)
{
    throw Exception("Boolean parameters not supported by CG");
}

void CGParameter::SetBool2(int, const bool*)
{
    throw Exception("Boolean parameters not supported by CG");
}

void CGParameter::SetBool3(int, const bool*)
{
    throw Exception("Boolean parameters not supported by CG");
}

void CGParameter::SetBool4(int, const bool*)
{
    throw Exception("Boolean parameters not supported by CG");
}

void CGParameter::SetSampler(int count, Texture* const* textures, SamplerState* const* states)
{
    SetSamplers(count, textures, states);
}

void CGParameter::SetSampler(int count, Texture* const* textures)
{
    SetSamplers(count, textures, nullptr);
}

void CGParameter::SetSampler(Texture* texture, SamplerState* state)
{
    SetSamplers(1, &texture, &state);
}

void CGParameter::SetSampler(Texture* texture)
{
    SetSamplers(1, &texture, nullptr);
}

void CGParameter::SetSamplers(int count, Texture* const* textures, SamplerState* const* states)
{
    using namespace CGParameterDetail;
    if (unitCount == 0 || !textures)
        return;
    bool array = handles[StageVertex].arraySize > 0 || handles[StagePixel].arraySize > 0;
    // Never more elements than the caller gave, nor than the sampler has units.
    int elements = std::clamp(count, 0, array ? unitCount : 1);
    for (int element = 0; element < elements; ++element) {
        Texture* texture = textures[element];
        SamplerState* state = states ? states[element] : nullptr;
        CacheEntry& entry = cache[element];
        if (entry.set && entry.texture.Get() == texture && entry.state.Get() == state)
            continue;

        GLenum target = samplerTarget ? samplerTarget : GL_TEXTURE_2D;
        GLuint name = 0;
        if (texture) {
            switch (texture->GetTextureType()) {
            case TextureType2D: {
                auto* texture2D = dynamic_cast<GLTexture2D*>(texture);
                if (!texture2D)
                    throw Exception("SetSampler(): The texture was not made by this backend");
                name = texture2D->GetTextureName();
                target = texture2D->GetTarget();
                break;
            }
            case TextureTypeCube: {
                auto* cube = dynamic_cast<GLTextureCube*>(texture);
                if (!cube)
                    throw Exception("SetSampler(): The texture was not made by this backend");
                name = cube->GetTextureName();
                target = GL_TEXTURE_CUBE_MAP;
                break;
            }
            case TextureType3D:
                throw Exception("SetSampler(): 3D textures not supported by this device (yet)");
            default:
                throw Exception("SetSampler(): Invalid texture type enum");
            }
        }
        auto* glState = dynamic_cast<GLSamplerState*>(state);
        if (state && !glState)
            throw Exception("SetSampler(): The sampler state was not made by this backend");

        if (texture) {
            // Sampler state lives in the texture object; it is set on the free unit 0 and
            // the binding found there is put back.
            GLFunctions& gl = program->GetGL();
            GLint previous = 0;
            gl.GetIntegerv(BindingOf(target), &previous);
            gl.BindTexture(target, name);
            gl.TexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(glState ? glState->GetMagFilter() : GL_LINEAR));
            gl.TexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(glState ? glState->GetMinFilter() : GL_LINEAR));
            gl.TexParameteri(target, GL_TEXTURE_WRAP_S, GLint(glState ? glState->GetWrapS() : GL_REPEAT));
            gl.TexParameteri(target, GL_TEXTURE_WRAP_T, GLint(glState ? glState->GetWrapT() : GL_REPEAT));
            gl.BindTexture(target, GLuint(previous));
        }
        program->SetUnit(firstUnit + element, target, name);
        entry.texture = Hold(texture);
        entry.state = Hold(state);
        entry.set = true;
    }
}

}  // namespace Nimbrel::Graphics
