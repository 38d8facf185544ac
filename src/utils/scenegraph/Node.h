#pragma once
// SceneGraph::Node: a node of a scene tree. Drawing a scene is Traverse on its root with the
// render state: each node changes the state for its subtree (time, world matrix, name,
// material, bounds) or hands a drawable, light, camera or solid to the effect on top of the
// state's `effects`, and traverses its children. What a node pushes it pops after its
// children, also when a child throws, so the state leaves a node at the depths it entered it.
//
// A parent holds one counted reference per child entry; `parent` is a plain back pointer to
// the parent added to last. A node may hang under several parents and is then traversed once
// per parent, but never below itself: AddChild refuses a node that contains this one.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Object.h"

namespace Nimbrel::Utils {
class State;
}

namespace Nimbrel::Utils::SceneGraph {

enum NodeType : int {
    NodeTypeTime = 2,
    NodeTypeName = 3,
    NodeTypeMatrix = 0x10000,
    NodeTypeTranslate = 0x10001,
    NodeTypeRotate = 0x10002,
    NodeTypeScale = 0x10003,
    NodeTypeBoundingShape = 0x20000,
    NodeTypeDrawGeometry = 0x30001,
    NodeTypeSolid = 0x30002,
    NodeTypeLight = 0x30003,
    NodeTypeCamera = 0x30004,
    NodeTypeSceneInstance = 0x30006,
    NodeTypeValue = 0x50000,
    NodeTypeShininess = 0x50001,
    NodeTypeTransparency = 0x50002,
    NodeTypeDisplacement = 0x50003,
    NodeTypeReflectivity = 0x50004,
    NodeTypeVector = 0x60000,
    NodeTypeDiffuse = 0x60001,
    NodeTypeNormal = 0x60002,
    NodeTypeSpecular = 0x60003,
    NodeTypeEmission = 0x60004,
    NodeTypeReflection = 0x60005,
    NodeTypeApplyMaterial = 0x61000,
    NodeTypeBone = 0x70001,
    NodeTypeSkeleton = 0x70002,
};

class Node : public Object {
public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    // Removes the children from the last to the first.
    ~Node() override;

    // Whether a node may stand at a place; every standard node accepts every place. Insert
    // consults them.
    virtual bool AcceptsParent(Node* parent);
    virtual bool AcceptsChild(Node* child);
    virtual bool AcceptsDescendant(Node* node);
    virtual bool AcceptsAncestor(Node* node);
    virtual int GetType() = 0;
    virtual void Traverse(State& state) = 0;

    Node* GetParent() const { return parent; }
    int GetChildCount() const { return children.Count(); }
    // Throws for an index outside the children.
    Node* GetChild(int index) const { return children[index].Get(); }

    // Adds the node as the last child where the acceptance queries allow it: here, else below
    // the first child that takes it. False when nobody does.
    bool Insert(Node* node);
    // Adds a counted reference, makes this node its parent and appends it. Throws for a null
    // node and for one that is this node or contains it.
    void AddChild(Node* node);
    // False, changing nothing, when the node is not a direct child.
    bool RemoveChild(Node* node);
    // RemoveChild here, else in the first child subtree that holds it.
    bool RemoveDescendant(Node* node);
    // Whether the node is anywhere below this one (not this node itself).
    bool Contains(Node* node) const;
    void TraverseChildren(State& state);

protected:
    Node* parent = nullptr;
    Array<Managed<Node>> children;
};

}  // namespace Nimbrel::Utils::SceneGraph
