#include "utils/scenegraph/Camera.h"

#include "utils/scenegraph/ConstantController.h"

#include <bit>
#include <cstdint>

namespace Nimbrel::Utils::SceneGraph {

Camera::Camera()
    : xfov(new ConstantController(0.0f)),
      aspect(new ConstantController(std::bit_cast<float>(uint32_t(0x3FAAAAAB)))),
      znear(new ConstantController(1.0f)),
      zfar(new ConstantController(1000.0f))
{
}

}  // namespace Nimbrel::Utils::SceneGraph
