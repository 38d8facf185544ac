#include "graphics/gl/GLProgram.h"

#include "graphics/gl/GLDevice.h"

namespace Nimbrel::Graphics {

GLProgram::~GLProgram()
{
    if (owner)
        owner->OnProgramDestroyed(this);
}

}  // namespace Nimbrel::Graphics
