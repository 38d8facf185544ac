#pragma once
// AbstractMap<K,V>: the interface shared by Map, HashMap and LinearMap, for code that fills
// or reads a map without caring which flavour it is. The order of the virtual operations is
// part of the interface; new ones go at the end.

#include "core/Iterator.h"
#include "core/Managed.h"
#include "core/Pair.h"

namespace Nimbrel {

template <class K, class V>
class AbstractMap : public Object {
public:
    // The value stored under the key. An absent key is inserted first with a value-initialised
    // value (false, 0, an empty String), which the caller usually assigns at once.
    virtual V& operator[](const K& key) = 0;
    virtual void Clear() = 0;
    // Throws when the key is present; the stored value is then left unchanged.
    virtual void Add(const K& key, const V& value) = 0;
    // Throws when the key is absent.
    virtual void Remove(const K& key) = 0;
    virtual bool Contains(const K& key) const = 0;
    // Copies the value to `out` and returns true when the key is present; `out` is untouched
    // otherwise.
    virtual bool TryGet(const K& key, V& out) const = 0;
    virtual int Count() const = 0;
    // A new iterator over copies of the entries; the order depends on the map flavour.
    virtual Managed<Iterator<Pair<K, V>>> GetIterator() const = 0;
};

}  // namespace Nimbrel
