#pragma once
// SceneGraph::BoundingShape: bounds its subtree by a shape and selects the kinds of target it
// holds.
//
// With t the top of `targetTypes`: a node whose flags do not include t is skipped with its
// subtree; a node with a shape is skipped when the culling shape (the top of `shapes`, when
// that stack is not empty and its top not null) does not intersect it. Otherwise the node's
// shape (possibly null) is pushed on `secondShapes` for its children. Shapes are compared as
// they are, in the culling shape's space.

#include "core/Managed.h"
#include "utils/scenegraph/Node.h"
#include "utils/shapes/Shape.h"

#include <cstdint>

namespace Nimbrel::Utils::SceneGraph {

class BoundingShape : public Node {
public:
    int GetType() override { return NodeTypeBoundingShape; }
    void Traverse(State& state) override;

    // Adds a reference to the shape (null clears it).
    void SetShape(Shapes::Shape* shape);
    Shapes::Shape* GetShape() const { return shape.Get(); }
    void SetFlags(int value) { flags = value; }
    // Sets or clears the given bits.
    void SetFlag(int bits, bool on) { flags = on ? (flags | bits) : (flags & ~bits); }
    int GetFlags() const { return flags; }
    // Whether any of the bits is set.
    bool HasFlags(int bits) const { return (flags & bits) != 0; }

private:
    Managed<Shapes::Shape> shape;
    int32_t flags = 0;
};

}  // namespace Nimbrel::Utils::SceneGraph
