#include "graphics/gl/GLSemanticMap.h"

#include "graphics/gl/GLDevice.h"

namespace Nimbrel::Graphics {

GLSemanticMap::~GLSemanticMap()
{
    if (owner)
        owner->OnSemanticMapDestroyed(this);
}

}  // namespace Nimbrel::Graphics
