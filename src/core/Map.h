#pragma once
// Map<K,V>: the ordered map, a red-black tree of pairs whose nodes come from a block pool.
//
// Keys need operator== and operator<. Iteration is pre-order over the tree (each node
// before its left subtree, the left subtree before the right one), not in key order.

#include "core/AbstractMap.h"
#include "core/RedBlackTree.h"
#include "core/Stack.h"

namespace Nimbrel {

template <class K, class V>
class Map : public AbstractMap<K, V> {
public:
    using Entry = Pair<K, V>;
    using Tree = RedBlackTree<Entry>;

    class RedBlackIterator : public Iterator<Entry> {
    public:
        explicit RedBlackIterator(const Tree& tree) : sentinel(tree.Sentinel())
        {
            if (tree.Root() != sentinel)
                pending.Push(tree.Root());
        }

        Entry Current() const override
        {
            if (!current)
                this->ThrowNoCurrent();
            return current->pair;
        }
        bool MoveNext() override
        {
            if (pending.IsEmpty()) {
                current = nullptr;
                return false;
            }
            current = pending.Pop();
            if (current->right != sentinel)
                pending.Push(current->right);
            if (current->left != sentinel)
                pending.Push(current->left);
            return true;
        }

    private:
        Stack<const typename Tree::Node*> pending;
        const typename Tree::Node* current = nullptr;
        const typename Tree::Node* sentinel;
    };

    V& operator[](const K& key) override
    {
        bool inserted;
        return tree.Insert(key, inserted).Value;
    }
    void Clear() override { tree.Clear(); }
    void Add(const K& key, const V& value) override
    {
        bool inserted;
        tree.Insert(key, inserted, value);
        if (!inserted)
            throw Exception("Map::Add(): Map already contains the given key");
    }
    // Removing an absent key is a caller error and throws, as it does for the other maps.
    void Remove(const K& key) override
    {
        if (!tree.Remove(key))
            throw Exception("Map::Remove(): Map does not contain the given key");
    }
    bool Contains(const K& key) const override { return tree.Find(key) != nullptr; }
    bool TryGet(const K& key, V& out) const override
    {
        const Entry* entry = tree.Find(key);
        if (!entry)
            return false;
        out = entry->Value;
        return true;
    }
    int Count() const override { return tree.Count(); }
    Managed<Iterator<Entry>> GetIterator() const override
    {
        return Managed<Iterator<Entry>>(new RedBlackIterator(tree));
    }

    // Throws when the tree's invariants do not hold (see RedBlackTree::Validate).
    void Validate() const { tree.Validate(); }

private:
    Tree tree;
};

}  // namespace Nimbrel
