#pragma once
// SceneGraph::DrawGeometryNode: hands its geometry to the top effect's RenderDrawable, then
// traverses its children. Throws "No TargetEffect set" with no effect on the state and
// "Accessing uninitialized resource" with an empty handle.

#include "utils/Geometry.h"
#include "utils/Resource.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils {
class Effect;
}

namespace Nimbrel::Utils::SceneGraph {

using GeometryResource = Resource<Geometry, ResourceType::Geometry>;

class DrawGeometryNode : public Node {
public:
    explicit DrawGeometryNode(const GeometryResource& geometry) : geometry(geometry) {}

    int GetType() override { return NodeTypeDrawGeometry; }
    void Traverse(State& state) override;
    // Draws the geometry directly, without an effect: false when the handle is empty.
    virtual bool Draw();

    void SetGeometry(const GeometryResource& value) { geometry = value; }
    const GeometryResource& GetGeometry() const { return geometry; }

private:
    GeometryResource geometry;
};

// The effect on top of the state; throws "No TargetEffect set" when there is none.
Effect& TopEffect(State& state);

}  // namespace Nimbrel::Utils::SceneGraph
