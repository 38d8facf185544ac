#include "utils/scenegraph/Node.h"

#include "core/Exception.h"

namespace Nimbrel::Utils::SceneGraph {

Node::~Node()
{
    while (!children.IsEmpty())
        RemoveChild(children[children.Count() - 1].Get());
}

bool Node::AcceptsParent(Node*)
{
    return true;
}

bool Node::AcceptsChild(Node*)
{
    return true;
}

bool Node::AcceptsDescendant(Node*)
{
    return true;
}

bool Node::AcceptsAncestor(Node*)
{
    return true;
}

bool Node::Insert(Node* node)
{
    if (!AcceptsDescendant(node) || !node->AcceptsAncestor(this))
        return false;
    if (AcceptsChild(node) && node->AcceptsParent(this)) {
        AddChild(node);
        return true;
    }
    for (const Managed<Node>& child : children)
        if (child->Insert(node))
            return true;
    return false;
}

void Node::AddChild(Node* node)
{
    if (!node)
        throw Exception("Node::AddChild(): no node given");
    if (node == this || node->Contains(this))
        throw Exception("Node::AddChild(): a node cannot be placed below itself");
    node->AddRef();
    node->parent = this;
    children.Add(Managed<Node>(node));
}

bool Node::RemoveChild(Node* node)
{
    for (int i = 0; i < children.Count(); ++i) {
        if (children[i].Get() != node)
            continue;
        if (node->parent == this)
            node->parent = nullptr;
        children.RemoveAt(i);  // releases the entry's reference
        return true;
    }
    return false;
}

bool Node::RemoveDescendant(Node* node)
{
    if (RemoveChild(node))
        return true;
    for (const Managed<Node>& child : children)
        if (child->RemoveDescendant(node))
            return true;
    return false;
}

bool Node::Contains(Node* node) const
{
    for (const Managed<Node>& child : children)
        if (child.Get() == node || child->Contains(node))
            return true;
    return false;
}

void Node::TraverseChildren(State& state)
{
    for (int i = 0; i < children.Count(); ++i)
        children[i]->Traverse(state);
}

}  // namespace Nimbrel::Utils::SceneGraph
