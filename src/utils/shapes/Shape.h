#pragma once
// Shapes::Shape: a simple volume that can be tested against another for intersection (the
// scene graph culls subtrees with it), moved by a matrix and drawn into a geometry stream.
//
// Tests are dispatched by the pair of shape kinds through the process-wide
// IntersectionProxy, so a new kind needs only its intersectors registered there.

#include "core/Object.h"
#include "math/Matrix4.h"
#include "math/Vector3t.h"

namespace Nimbrel::Utils {
class GeoStream;
}

namespace Nimbrel::Utils::Shapes {

enum ShapeType : int {
    ShapeTypePoint = 0,
    ShapeTypeLine = 1,
    ShapeTypePlane = 2,
    ShapeTypeTriangle = 3,
    ShapeTypeSphere = 4,
    ShapeTypeBoxAligned = 5,
    ShapeTypeChamferCylinder = 6,
    ShapeTypeFrustum = 7,
    ShapeTypeCount = 8,
};

// "Point", "Line", ..., "Frustum"; "Unknown shape" for any other value.
const char* GetShapeTypeName(int type);

class Shape : public Object {
public:
    ~Shape() override = default;
    // Emits the shape's triangles into the stream between Begin and End(true).
    virtual void Draw(GeoStream& stream) = 0;
    // A new shape of the same class and values, with one reference for the caller.
    virtual Shape* Clone() = 0;
    virtual int GetType() = 0;
    // Moves the shape in place.
    virtual void Transform(const Math::Matrix4& matrix) = 0;
    virtual Math::Vector3t<float> GetCenter() = 0;

    // Through the global IntersectionProxy; throws for a pair of kinds it has no test for.
    bool Intersects(Shape& other);
    const char* GetTypeName() { return GetShapeTypeName(GetType()); }
};

}  // namespace Nimbrel::Utils::Shapes
