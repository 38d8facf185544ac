#pragma once
// RedBlackTree<P>: the balanced search tree behind Map, ordered by the key of its pairs.
//
// P is a Pair; keys need only operator== and operator<. One sentinel node, black and linked
// to itself, stands for every absent child and for the parent of the root, which keeps the
// rebalancing free of null tests. Nodes come from a block pool, so inserts do not call the
// allocator per node. Removing a key unlinks that key's own node (its in-order successor
// takes its place in the tree), so references to the values of other entries stay valid.

#include "core/Array.h"
#include "core/Exception.h"
#include "core/Pool.h"

#include <cstdint>
#include <utility>

namespace Nimbrel {

template <class P>
class RedBlackTree : public Object {
public:
    using KeyType = typename P::KeyType;

    static constexpr uint8_t Black = 0;
    static constexpr uint8_t Red = 1;

    struct Node {
        template <class... Args>
        Node(Node* nil, Node* parent, Args&&... pairArgs)
            : left(nil), right(nil), parent(parent), pair(std::forward<Args>(pairArgs)...)
        {
        }

        Node* left;
        Node* right;
        Node* parent;
        P pair;
        uint8_t colour = Red;
    };

    RedBlackTree() : sentinel(new Node(nullptr, nullptr)), pool(256)
    {
        sentinel->left = sentinel->right = sentinel->parent = sentinel;
        sentinel->colour = Black;
        root = sentinel;
    }
    RedBlackTree(const RedBlackTree&) = delete;
    RedBlackTree& operator=(const RedBlackTree&) = delete;
    ~RedBlackTree() override
    {
        Clear();
        delete sentinel;
    }

    int Count() const { return count; }
    // The root node, or the sentinel when the tree is empty.
    const Node* Root() const { return root; }
    const Node* Sentinel() const { return sentinel; }

    // The pair holding the key, or null.
    P* Find(const KeyType& key) const
    {
        Node* node = FindNode(key);
        return node == sentinel ? nullptr : &node->pair;
    }

    // The pair holding the key. When the key is absent a node is added for it, its pair built
    // from the key and the value arguments (none: a value-initialised value).
    template <class... ValueArgs>
    P& Insert(const KeyType& key, bool& inserted, ValueArgs&&... value)
    {
        Node* parent = sentinel;
        Node* node = root;
        bool left = false;
        while (node != sentinel) {
            if (node->pair.Key == key) {
                inserted = false;
                return node->pair;
            }
            parent = node;
            left = key < node->pair.Key;
            node = left ? node->left : node->right;
        }
        Node* added = pool.Allocate(sentinel, parent, key, std::forward<ValueArgs>(value)...);
        ++count;
        if (parent == sentinel)
            root = added;
        else if (left)
            parent->left = added;
        else
            parent->right = added;
        InsertFixup(added);
        inserted = true;
        return added->pair;
    }

    // Removes the key's entry; false when the key is absent.
    bool Remove(const KeyType& key)
    {
        Node* z = FindNode(key);
        if (z == sentinel)
            return false;
        Node* x;
        uint8_t removedColour = z->colour;
        if (z->left == sentinel) {
            x = z->right;
            Transplant(z, z->right);
        } else if (z->right == sentinel) {
            x = z->left;
            Transplant(z, z->left);
        } else {
            Node* y = z->right;
            while (y->left != sentinel)
                y = y->left;
            removedColour = y->colour;
            x = y->right;
            if (y->parent == z) {
                x->parent = y;
            } else {
                Transplant(y, y->right);
                y->right = z->right;
                y->right->parent = y;
            }
            Transplant(z, y);
            y->left = z->left;
            y->left->parent = y;
            y->colour = z->colour;
        }
        if (removedColour == Black)
            RemoveFixup(x);
        sentinel->parent = sentinel;  // the unlinking above may have parked a parent there
        pool.Free(z);
        --count;
        return true;
    }

    // Frees every node without recursion, so a tree of any depth is cleared safely.
    void Clear()
    {
        if (root != sentinel) {
            Array<Node*> pending;
            pending.Add(root);
            while (!pending.IsEmpty()) {
                Node* node = pending.RemoveAt(pending.Count() - 1);
                if (node->left != sentinel)
                    pending.Add(node->left);
                if (node->right != sentinel)
                    pending.Add(node->right);
                pool.Free(node);
            }
        }
        root = sentinel;
        count = 0;
    }

    // Checks the red-black and search-tree invariants and throws an Exception naming the
    // first one broken: black root and sentinel, no red node with a red child, the same
    // number of black nodes on every path, consistent parent links, keys strictly ascending
    // in order, and as many nodes as Count(). Costs a walk over the whole tree.
    void Validate() const
    {
        if (sentinel->colour != Black || sentinel->left != sentinel || sentinel->right != sentinel ||
            sentinel->parent != sentinel)
            Fail("the sentinel was changed");
        if (root->colour != Black)
            Fail("the root is red");
        if (root != sentinel && root->parent != sentinel)
            Fail("the root has a parent");
        if (root == sentinel) {
            if (count != 0)
                Fail("an empty tree has a non-zero count");
            return;
        }

        struct Step {
            const Node* node;
            int blackDepth;      // black nodes from the root down to this node, inclusive
            const P* lowerBound;  // nearest ancestor this node lies to the right of
            const P* upperBound;  // nearest ancestor this node lies to the left of
        };
        Array<Step> pending;
        pending.Add(Step{root, 1, nullptr, nullptr});
        int visited = 0;
        int pathBlackHeight = -1;
        while (!pending.IsEmpty()) {
            const Step step = pending.RemoveAt(pending.Count() - 1);
            const Node* node = step.node;
            if (++visited > count)
                Fail("there are more nodes than Count()");
            if (node->colour != Black && node->colour != Red)
                Fail("a node has an invalid colour");
            if ((step.lowerBound && !(step.lowerBound->Key < node->pair.Key)) ||
                (step.upperBound && !(node->pair.Key < step.upperBound->Key)))
                Fail("the keys are out of order");
            for (const Node* child : {node->left, node->right}) {
                if (child == sentinel) {
                    if (pathBlackHeight < 0)
                        pathBlackHeight = step.blackDepth;
                    else if (pathBlackHeight != step.blackDepth)
                        Fail("paths differ in black height");
                    continue;
                }
                if (child->parent != node)
                    Fail("a parent link is broken");
                if (node->colour == Red && child->colour == Red)
                    Fail("a red node has a red child");
                const int depth = step.blackDepth + (child->colour == Black ? 1 : 0);
                if (child == node->left)
                    pending.Add(Step{child, depth, step.lowerBound, &node->pair});
                else
                    pending.Add(Step{child, depth, &node->pair, step.upperBound});
            }
        }
        if (visited != count)
            Fail("there are fewer nodes than Count()");
    }

private:
    [[noreturn]] static void Fail(const char* what)
    {
        throw Exception(String("RedBlackTree::Validate(): ") + what);
    }

    Node* FindNode(const KeyType& key) const
    {
        Node* node = root;
        while (node != sentinel) {
            if (node->pair.Key == key)
                return node;
            node = key < node->pair.Key ? node->left : node->right;
        }
        return sentinel;
    }

    // A side of a node: its left or its right child. The balancing below is written once for
    // the side a node hangs on and mirrored through these.
    using Side = Node* Node::*;
    static Side Opposite(Side side) { return side == &Node::left ? &Node::right : &Node::left; }
    static Side SideOf(Node* child) { return child == child->parent->left ? &Node::left : &Node::right; }

    // Rotates x down towards `side`: its child on the other side takes its place.
    void Rotate(Node* x, Side side)
    {
        const Side other = Opposite(side);
        Node* y = x->*other;
        x->*other = y->*side;
        if (y->*side != sentinel)
            (y->*side)->parent = x;
        y->parent = x->parent;
        if (x->parent == sentinel)
            root = y;
        else
            x->parent->*SideOf(x) = y;
        y->*side = x;
        x->parent = y;
    }

    void InsertFixup(Node* z)
    {
        while (z->parent->colour == Red) {
            Node* grandparent = z->parent->parent;
            const Side near = SideOf(z->parent);
            const Side far = Opposite(near);
            Node* uncle = grandparent->*far;
            if (uncle->colour == Red) {
                z->parent->colour = Black;
                uncle->colour = Black;
                grandparent->colour = Red;
                z = grandparent;
            } else {
                if (z == z->parent->*far) {
                    z = z->parent;
                    Rotate(z, near);
                }
                z->parent->colour = Black;
                z->parent->parent->colour = Red;
                Rotate(z->parent->parent, far);
            }
        }
        root->colour = Black;
    }

    // Replaces the subtree at u by the one at v (v may be the sentinel, whose parent is then
    // set for the fix-up to climb from).
    void Transplant(Node* u, Node* v)
    {
        if (u->parent == sentinel)
            root = v;
        else if (u == u->parent->left)
            u->parent->left = v;
        else
            u->parent->right = v;
        v->parent = u->parent;
    }

    void RemoveFixup(Node* x)
    {
        while (x != root && x->colour == Black) {
            const Side near = SideOf(x);
            const Side far = Opposite(near);
            Node* sibling = x->parent->*far;
            if (sibling->colour == Red) {
                sibling->colour = Black;
                x->parent->colour = Red;
                Rotate(x->parent, near);
                sibling = x->parent->*far;
            }
            if ((sibling->*near)->colour == Black && (sibling->*far)->colour == Black) {
                sibling->colour = Red;
                x = x->parent;
            } else {
                if ((sibling->*far)->colour == Black) {
                    (sibling->*near)->colour = Black;
                    sibling->colour = Red;
                    Rotate(sibling, far);
                    sibling = x->parent->*far;
                }
                sibling->colour = x->parent->colour;
                x->parent->colour = Black;
                (sibling->*far)->colour = Black;
                Rotate(x->parent, near);
                x = root;
            }
        }
        x->colour = Black;
    }

    Node* root;
    Node* sentinel;
    Pool<Node> pool;
    int count = 0;
};

}  // namespace Nimbrel
