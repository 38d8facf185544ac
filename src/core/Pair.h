#pragma once
// Pair<K,V>: a key and its value, copied by value. Maps hand entries out as pairs.

namespace Nimbrel {

template <class K, class V>
struct Pair {
    using KeyType = K;
    using ValueType = V;

    Pair() = default;
    explicit Pair(const K& key) : Key(key) {}
    Pair(const K& key, const V& value) : Key(key), Value(value) {}

    // Value-initialised, so a pair made for a new key holds false, 0 or an empty String.
    K Key{};
    V Value{};
};

}  // namespace Nimbrel
