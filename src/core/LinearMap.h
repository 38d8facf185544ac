#pragma once
// LinearMap<K,V>: a map kept as two arrays in step, keys and values, searched from the
// front. For tables of a few entries this beats hashing and tree walks. Keys need only
// operator==. Iteration is in insertion order; removing an entry keeps the order of the rest.

#include "core/AbstractMap.h"
#include "core/Array.h"

namespace Nimbrel {

template <class K, class V>
class LinearMap : public AbstractMap<K, V> {
public:
    using Entry = Pair<K, V>;

    class LinearIterator : public Iterator<Entry> {
    public:
        explicit LinearIterator(const LinearMap& map) : map(map) {}

        Entry Current() const override
        {
            if (index < 0 || index >= map.Count())
                this->ThrowNoCurrent();
            return Entry(map.keys[index], map.values[index]);
        }
        bool MoveNext() override
        {
            if (index < map.Count())
                ++index;
            return index < map.Count();
        }

    private:
        const LinearMap& map;
        int index = -1;
    };

    V& operator[](const K& key) override
    {
        const int index = keys.IndexOf(key);
        if (index >= 0)
            return values[index];
        keys.Add(key);
        return values[values.AddEmpty()];
    }
    void Clear() override
    {
        keys.Clear();
        values.Clear();
    }
    void Add(const K& key, const V& value) override
    {
        if (Contains(key))
            throw Exception("Map::Add(): Can't add element. Map allready contains the given key");
        keys.Add(key);
        values.Add(value);
    }
    void Remove(const K& key) override
    {
        const int index = keys.IndexOf(key);
        if (index < 0)
            throw Exception("Map::Remove(): Can't remove element. No such key.");
        RemoveAt(index);
    }
    bool Contains(const K& key) const override { return keys.IndexOf(key) >= 0; }
    bool TryGet(const K& key, V& out) const override
    {
        const int index = keys.IndexOf(key);
        if (index < 0)
            return false;
        out = values[index];
        return true;
    }
    int Count() const override { return keys.Count(); }
    // The entry at a position in insertion order; throws outside 0 to Count() - 1.
    const K& KeyAt(int index) const { return keys[index]; }
    const V& ValueAt(int index) const { return values[index]; }
    // The position of the key, or -1.
    int IndexOfKey(const K& key) const { return keys.IndexOf(key); }
    Managed<Iterator<Entry>> GetIterator() const override
    {
        return Managed<Iterator<Entry>>(new LinearIterator(*this));
    }
    // Removes the entry at an insertion-order position; throws for a position out of range.
    virtual void RemoveAt(int index)
    {
        keys.RemoveAt(index);
        values.RemoveAt(index);
    }

private:
    Array<K> keys;
    Array<V> values;
};

}  // namespace Nimbrel
