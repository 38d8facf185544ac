#include "utils/shapes/Shape.h"

#include "utils/shapes/IntersectionProxy.h"

namespace Nimbrel::Utils::Shapes {

const char* GetShapeTypeName(int type)
{
    static const char* const names[ShapeTypeCount] = {"Point",  "Line",       "Plane",           "Triangle",
                                                      "Sphere", "BoxAligned", "ChamferCylinder", "Frustum"};
    return type >= 0 && type < ShapeTypeCount ? names[type] : "Unknown shape";
}

bool Shape::Intersects(Shape& other)
{
    return IntersectionProxy::GetGlobal()->Intersects(*this, other);
}

}  // namespace Nimbrel::Utils::Shapes
