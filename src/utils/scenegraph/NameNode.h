#pragma once
// SceneGraph::NameNode: names its subtree (pushed on `strings` while the children are
// traversed).

#include "core/String.h"
#include "utils/scenegraph/Node.h"

namespace Nimbrel::Utils::SceneGraph {

class NameNode : public Node {
public:
    explicit NameNode(const String& name) : name(name) {}

    int GetType() override { return NodeTypeName; }
    void Traverse(State& state) override;
    virtual String GetName() { return name; }

private:
    String name;
};

}  // namespace Nimbrel::Utils::SceneGraph
