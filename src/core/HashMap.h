#pragma once
// HashMap<K,V>: an open-addressing hash map of 2^e slots.
//
// A key's probe starts at hash AND (capacity - 1) and steps by an odd stride derived from
// that start, so capacity probes visit every slot exactly once and every search ends. Removed
// entries leave deleted slots that searches walk over and inserts reuse. The table doubles on
// the index access that finds more than five eighths of it used. Iteration is in slot order.
//
// Keys are hashed through KeyHash<K>: integers and enumerations by value, pointers by
// address, and any other type by its Hash() member (String returns its cached hash). A key
// type without Hash() plugs in by specialising KeyHash.

#include "core/AbstractMap.h"

#include <concepts>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace Nimbrel {

template <class K>
struct KeyHash {
    static uint32_t Of(const K& key)
        requires requires { { key.Hash() } -> std::convertible_to<int64_t>; }
    {
        return static_cast<uint32_t>(key.Hash());
    }
};

template <class K>
    requires std::is_integral_v<K> || std::is_enum_v<K>
struct KeyHash<K> {
    static uint32_t Of(K key)
    {
        uint64_t value;
        if constexpr (std::is_enum_v<K>)
            value = static_cast<uint64_t>(static_cast<std::underlying_type_t<K>>(key));
        else
            value = static_cast<uint64_t>(key);
        return static_cast<uint32_t>(value ^ (value >> 32));
    }
};

template <class T>
struct KeyHash<T*> {
    static uint32_t Of(const T* key) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key)); }
};

template <class K, class V>
class HashMap : public AbstractMap<K, V> {
    struct Slot;

public:
    using Entry = Pair<K, V>;

    class HashIterator : public Iterator<Entry> {
    public:
        HashIterator(const Slot* slots, int capacity) : slots(slots), capacity(capacity) {}

        Entry Current() const override
        {
            if (index < 0 || index >= capacity)
                this->ThrowNoCurrent();
            return Entry(slots[index].key, slots[index].value);
        }
        bool MoveNext() override
        {
            while (index < capacity) {
                if (++index < capacity && slots[index].state == Used)
                    return true;
            }
            return false;
        }

    private:
        const Slot* slots;
        int capacity;
        int index = -1;
    };

    // A table of 2^exponent slots, all empty.
    explicit HashMap(int exponent = 6)
    {
        if (exponent < 0 || exponent > MaxExponent)
            throw Exception(String::Format("HashMap: capacity exponent %d out of range", exponent));
        capacity = 1 << exponent;
        slots = new Slot[capacity];
    }
    HashMap(const HashMap&) = delete;
    HashMap& operator=(const HashMap&) = delete;
    ~HashMap() override { delete[] slots; }

    V& operator[](const K& key) override
    {
        if (count > (capacity / 8) * 5)
            Grow();
        for (;;) {
            int place;
            const int found = Probe(key, place);
            if (found >= 0)
                return slots[found].value;
            if (place >= 0) {
                Slot& slot = slots[place];
                slot.key = key;
                slot.state = Used;
                ++count;
                return slot.value;
            }
            Grow();  // every slot used: only possible in the smallest tables
        }
    }
    void Clear() override
    {
        for (int i = 0; i < capacity; ++i)
            if (slots[i].state != Empty)
                slots[i] = Slot();
        count = 0;
    }
    void Add(const K& key, const V& value) override
    {
        if (Contains(key))
            throw Exception("HashMap::Add(): Map already contains the given key");
        (*this)[key] = value;
    }
    void Remove(const K& key) override
    {
        int place;
        const int found = Probe(key, place);
        if (found < 0)
            throw Exception("HashMap::Remove(): Map does not contain the given key");
        // Reset the slot's contents so that strings and counted references go now.
        slots[found] = Slot();
        slots[found].state = Deleted;
        --count;
    }
    bool Contains(const K& key) const override
    {
        int place;
        return Probe(key, place) >= 0;
    }
    bool TryGet(const K& key, V& out) const override
    {
        int place;
        const int found = Probe(key, place);
        if (found < 0)
            return false;
        out = slots[found].value;
        return true;
    }
    int Count() const override { return count; }
    Managed<Iterator<Entry>> GetIterator() const override
    {
        return Managed<Iterator<Entry>>(new HashIterator(slots, capacity));
    }

    int Capacity() const { return capacity; }

private:
    static constexpr int MaxExponent = 30;
    static constexpr uint8_t Empty = 0;
    static constexpr uint8_t Used = 1;
    static constexpr uint8_t Deleted = 2;

    struct Slot {
        K key{};
        V value{};
        uint8_t state = Empty;
    };

    // The slot holding the key, or -1. `place` receives where the key would be inserted: the
    // last deleted slot seen, else the empty slot that ended the search, else -1.
    int Probe(const K& key, int& place) const
    {
        const int mask = capacity - 1;
        int index = static_cast<int>(KeyHash<K>::Of(key) & static_cast<uint32_t>(mask));
        const int step = (2 * index + 1) & mask;
        place = -1;
        for (int visited = 0; visited < capacity; ++visited) {
            const Slot& slot = slots[index];
            if (slot.state == Empty) {
                if (place < 0)
                    place = index;
                return -1;
            }
            if (slot.state == Deleted)
                place = index;
            else if (slot.key == key)
                return index;
            index += step;
            if (index >= capacity)
                index -= capacity;
        }
        return -1;
    }

    void Grow()
    {
        if (capacity > (1 << MaxExponent) / 2)
            throw Exception("HashMap: too many entries");
        const int newCapacity = capacity * 2;
        Slot* old = slots;
        const int oldCapacity = capacity;
        slots = new Slot[newCapacity];
        capacity = newCapacity;
        count = 0;
        for (int i = 0; i < oldCapacity; ++i) {
            if (old[i].state != Used)
                continue;
            int place;
            Probe(old[i].key, place);
            Slot& slot = slots[place];
            slot.key = std::move(old[i].key);
            slot.value = std::move(old[i].value);
            slot.state = Used;
            ++count;
        }
        delete[] old;
    }

    Slot* slots;
    int capacity;
    int count = 0;
};

}  // namespace Nimbrel
