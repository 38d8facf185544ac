#include "graphics/gl/GLStateObjects.h"

#include "core/Exception.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace Nimbrel::Graphics {

namespace GLTranslate {

unsigned int BlendOperandCode(BlendOperand operand)
{
    static const GLenum codes[] = {GL_ZERO,      GL_ONE,       GL_SRC_ALPHA,           GL_ONE_MINUS_SRC_ALPHA,
                                   GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                   GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
    if (operand < 0 || operand > 9)
        throw Exception("Invalid blend operand enum");
    return codes[operand];
}

unsigned int CompareFunctionCode(CompareFunction function)
{
    static const GLenum codes[] = {GL_ALWAYS, GL_LESS, GL_LEQUAL, GL_EQUAL, GL_NOTEQUAL, GL_GEQUAL, GL_GREATER, GL_NEVER};
    if (function < 0 || function > 7)
        throw Exception("Invalid compare function enum");
    return codes[function];
}

unsigned int StencilOperationCode(StencilOperation operation)
{
    static const GLenum codes[] = {GL_ZERO, GL_KEEP, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT};
    if (operation < 0 || operation > 5)
        throw Exception("Invalid stencil operation enum");
    return codes[operation];
}

unsigned int PrimitiveTypeCode(PrimitiveType type)
{
    static const GLenum codes[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    if (type < 0 || type > 4)
        throw Exception("Invalid primitive type enum");
    return codes[type];
}

unsigned int TextureFaceCode(TextureFace face)
{
    static const GLenum codes[] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                                   GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                                   GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
    if (face < 0 || face > 5)
        throw Exception("Invalid texture face enum");
    return codes[face];
}

unsigned int DataTypeCode(DataType type)
{
    static const GLenum codes[] = {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT, GL_FLOAT};
    if (type < 0 || type > 4)
        throw Exception("Invalid data type enum");
    return codes[type];
}

}  // namespace GLTranslate

GLBlendState::GLBlendState(const BlendStateDescriptor& d)
    : descriptor(d),
      src(GLTranslate::BlendOperandCode(d.srcBlend)),
      dest(GLTranslate::BlendOperandCode(d.destBlend)),
      srcAlpha(GLTranslate::BlendOperandCode(d.srcBlendAlpha)),
      destAlpha(GLTranslate::BlendOperandCode(d.destBlendAlpha))
{
}

GLDepthStencilState::GLDepthStencilState(const DepthStencilStateDescriptor& d)
    : descriptor(d),
      depthFunc(GLTranslate::CompareFunctionCode(d.depthFunc)),
      stencilFunc(GLTranslate::CompareFunctionCode(d.stencilFunc)),
      stencilFail(GLTranslate::StencilOperationCode(d.stencilFail)),
      stencilDepthFail(GLTranslate::StencilOperationCode(d.stencilDepthFail)),
      stencilPass(GLTranslate::StencilOperationCode(d.stencilPass))
{
}

GLRasterizerState::GLRasterizerState(const RasterizerStateDescriptor& d) : descriptor(d)
{
    if (d.cullMode < CullNone || d.cullMode > CullBack)
        throw Exception("Invalid cull mode enum");
}

}  // namespace Nimbrel::Graphics
