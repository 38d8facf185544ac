#include "core/HashMap.h"
#include "core/LinearMap.h"
#include "core/Map.h"
#include "support/Expect.h"

#include <map>
#include <vector>

using namespace Nimbrel;

namespace map_test {

struct Tracked : Object {
    explicit Tracked(int& alive) : alive(alive) { ++alive; }
    ~Tracked() override { --alive; }
    int& alive;
};

struct TreeMaps {
    template <class K, class V>
    using Of = Map<K, V>;
    static constexpr const char* AddMessage = "Map::Add(): Map already contains the given key";
    static constexpr const char* RemoveMessage = "Map::Remove(): Map does not contain the given key";
};
struct HashMaps {
    template <class K, class V>
    using Of = HashMap<K, V>;
    static constexpr const char* AddMessage = "HashMap::Add(): Map already contains the given key";
    static constexpr const char* RemoveMessage = "HashMap::Remove(): Map does not contain the given key";
};
struct LinearMaps {
    template <class K, class V>
    using Of = LinearMap<K, V>;
    static constexpr const char* AddMessage = "Map::Add(): Can't add element. Map allready contains the given key";
    static constexpr const char* RemoveMessage = "Map::Remove(): Can't remove element. No such key.";
};

template <class K, class V>
std::vector<Pair<K, V>> Entries(const AbstractMap<K, V>& map)
{
    std::vector<Pair<K, V>> entries;
    Managed<Iterator<Pair<K, V>>> iterator = map.GetIterator();
    while (iterator->MoveNext())
        entries.push_back(iterator->Current());
    return entries;
}

template <class K>
std::vector<K> Keys(const AbstractMap<K, int>& map)
{
    std::vector<K> keys;
    for (const Pair<K, int>& entry : Entries(map))
        keys.push_back(entry.Key);
    return keys;
}

// A key type hashed through its own Hash() member; every key collides on purpose.
struct CollidingKey {
    int id = 0;
    int Hash() const { return 7; }
    bool operator==(const CollidingKey& other) const { return id == other.id; }
};

enum class Slot { Alpha = 3, Beta = 1000 };


template <class Flavour>
class AnyMap : public ::testing::Test {};
using MapFlavours = ::testing::Types<TreeMaps, HashMaps, LinearMaps>;
TYPED_TEST_SUITE(AnyMap, MapFlavours);

// Reading an absent key inserts a value-initialised entry, also where an earlier entry of that
// key (or another) was removed or cleared and its storage is used again.
TYPED_TEST(AnyMap, IndexAccessOfAnAbsentKeyGivesAValueInitialisedEntry)
{
    typename TypeParam::template Of<int, bool> flags;
    typename TypeParam::template Of<String, int> numbers;
    typename TypeParam::template Of<int, String> texts;
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(flags[1]);
        EXPECT_EQ(numbers["one"], 0);
        EXPECT_EQ(texts[1], "");
        EXPECT_EQ(flags.Count(), 1);
        EXPECT_EQ(numbers.Count(), 1);
        flags[1] = true;
        numbers["one"] = 11;
        texts[1] = "x";
        flags.Remove(1);
        numbers.Clear();
        texts.Remove(1);
    }
}

TYPED_TEST(AnyMap, AddAndIndexAccessOfAPresentKeyKeepTheEntry)
{
    typename TypeParam::template Of<String, int> map;
    map.Add("a", 1);
    map.Add("b", 2);
    EXPECT_THROW_MESSAGE(map.Add("a", 9), TypeParam::AddMessage);
    EXPECT_EQ(map["a"], 1);
    map["b"] += 5;
    EXPECT_EQ(map["b"], 7);
    EXPECT_EQ(map.Count(), 2);
}

TYPED_TEST(AnyMap, RemoveContainsTryGet)
{
    typename TypeParam::template Of<int, int> map;
    for (int key = 0; key < 20; ++key)
        map.Add(key, key * 10);
    EXPECT_THROW_MESSAGE(map.Remove(20), TypeParam::RemoveMessage);
    map.Remove(7);
    EXPECT_THROW_MESSAGE(map.Remove(7), TypeParam::RemoveMessage);
    EXPECT_FALSE(map.Contains(7));
    int out = -1;
    EXPECT_FALSE(map.TryGet(7, out));
    EXPECT_EQ(out, -1);  // untouched when absent
    EXPECT_EQ(map.Count(), 19);

    map.Add(7, 77);
    EXPECT_TRUE(map.TryGet(7, out));
    EXPECT_EQ(out, 77);
    for (int key = 0; key < 20; ++key)
        EXPECT_EQ(map.Contains(key), true) << key;

    map.Clear();
    EXPECT_EQ(map.Count(), 0);
    EXPECT_FALSE(map.Contains(3));
    EXPECT_TRUE(Entries(map).empty());
    map[3] = 4;
    EXPECT_EQ(map.Count(), 1);
}

TYPED_TEST(AnyMap, IteratorVisitsEveryEntryOnceAndGuardsCurrent)
{
    typename TypeParam::template Of<int, int> map;
    Managed<Iterator<Pair<int, int>>> empty = map.GetIterator();
    EXPECT_FALSE(empty->MoveNext());
    EXPECT_THROW_MESSAGE(empty->Current(), "Iterator::Current(): The iterator stands on no element");

    for (int key = 0; key < 100; ++key)
        map[key * 7] = key;
    Managed<Iterator<Pair<int, int>>> iterator = map.GetIterator();
    EXPECT_THROW_MESSAGE(iterator->Current(), "Iterator::Current(): The iterator stands on no element");
    std::map<int, int> seen;
    while (iterator->MoveNext()) {
        Pair<int, int> entry = iterator->Current();
        EXPECT_TRUE(seen.emplace(entry.Key, entry.Value).second) << "visited twice: " << entry.Key;
    }
    EXPECT_EQ(seen.size(), 100u);
    for (const auto& [key, value] : seen)
        EXPECT_EQ(key, value * 7);
    EXPECT_FALSE(iterator->MoveNext());
    EXPECT_THROW_MESSAGE(iterator->Current(), "Iterator::Current(): The iterator stands on no element");
}

// A removed or cleared entry lets go of what it held at once.
TYPED_TEST(AnyMap, RemoveAndClearReleaseTheValues)
{
    int alive = 0;
    {
        typename TypeParam::template Of<String, Managed<Tracked>> map;
        for (const char* key : {"a", "b", "c", "d"})
            map[key] = Managed<Tracked>(new Tracked(alive));
        map.Remove("b");
        EXPECT_EQ(alive, 3);
        EXPECT_EQ(map["a"]->GetRefCount(), 1);
        map.Clear();
        EXPECT_EQ(alive, 0);
        map["e"] = Managed<Tracked>(new Tracked(alive));
    }
    EXPECT_EQ(alive, 0);  // and so does the map's destruction
}

TEST(Map, IteratesInPreOrder)
{
    Map<int, int> map;
    for (int key = 1; key <= 7; ++key)
        map[key] = key * 100;
    EXPECT_EQ(Keys(map), (std::vector<int>{2, 1, 4, 3, 6, 5, 7}));
    map.Validate();
}

TEST(HashMap, GrowsOnTheAccessThatFindsFortyOneEntries)
{
    HashMap<String, int> map;
    EXPECT_EQ(map.Capacity(), 64);
    for (int i = 0; i < 41; ++i)
        map[String::Format("probe.%d", i)] = i;
    EXPECT_EQ(map.Capacity(), 64);
    EXPECT_EQ(map["probe.0"], 0);  // an access of a present key grows it too
    EXPECT_EQ(map.Capacity(), 128);
    EXPECT_EQ(map.Count(), 41);
    for (int i = 0; i < 41; ++i) {
        int value = -1;
        EXPECT_TRUE(map.TryGet(String::Format("probe.%d", i), value)) << i;
        EXPECT_EQ(value, i);
    }
    std::vector<Pair<String, int>> entries = Entries(map);
    EXPECT_EQ(entries.size(), 41u);
}

// With every slot deleted no empty slot ends a probe: searches must stop after one round
// and inserts must reuse a deleted slot.
TEST(HashMap, TableOfDeletedSlotsStillAnswers)
{
    HashMap<int, int> map(3);
    // Keys 0..7 start their probes in slots 0..7, so they take all eight slots.
    for (int key = 0; key < 5; ++key)
        map.Add(key, key);
    for (int key = 0; key < 5; ++key)
        map.Remove(key);
    for (int key = 5; key < 8; ++key)
        map.Add(key, key);
    for (int key = 5; key < 8; ++key)
        map.Remove(key);
    ASSERT_EQ(map.Capacity(), 8);

    EXPECT_FALSE(map.Contains(8));
    int out = -1;
    EXPECT_FALSE(map.TryGet(13, out));
    EXPECT_THROW_MESSAGE(map.Remove(3), "HashMap::Remove(): Map does not contain the given key");
    map[8] = 80;
    map.Add(3, 30);
    EXPECT_EQ(map.Count(), 2);
    EXPECT_EQ(map[8], 80);
    EXPECT_EQ(map[3], 30);
    EXPECT_EQ(map.Capacity(), 8);
    EXPECT_EQ(Entries(map).size(), 2u);
}

TEST(HashMap, HashesKeysByType)
{
    HashMap<CollidingKey, int> colliding(4);
    for (int id = 0; id < 40; ++id)
        colliding[CollidingKey{id}] = id;
    for (int id = 0; id < 40; id += 2)
        colliding.Remove(CollidingKey{id});
    for (int id = 0; id < 40; ++id)
        EXPECT_EQ(colliding.Contains(CollidingKey{id}), id % 2 == 1) << id;

    int objects[3] = {};
    HashMap<int*, int> byAddress;
    for (int i = 0; i < 3; ++i)
        byAddress[&objects[i]] = i;
    EXPECT_EQ(byAddress[&objects[2]], 2);
    EXPECT_FALSE(byAddress.Contains(nullptr));

    HashMap<Slot, int> byEnum;
    byEnum[Slot::Alpha] = 1;
    byEnum[Slot::Beta] = 2;
    EXPECT_EQ(byEnum[Slot::Beta], 2);
    EXPECT_EQ(KeyHash<Slot>::Of(Slot::Beta), 1000u);
    EXPECT_EQ(KeyHash<String>::Of(String("ab")), uint32_t(String("ab").Hash()));
}

TEST(HashMap, RejectsABadExponent)
{
    EXPECT_THROW_MESSAGE((HashMap<int, int>(-1)), "HashMap: capacity exponent -1 out of range");
    EXPECT_THROW_MESSAGE((HashMap<int, int>(31)), "HashMap: capacity exponent 31 out of range");
    HashMap<int, int> tiny(0);
    for (int key = 0; key < 10; ++key)
        tiny[key] = key;
    EXPECT_EQ(tiny.Count(), 10);
    EXPECT_EQ(tiny[9], 9);
}

TEST(LinearMap, KeepsInsertionOrderThroughRemovals)
{
    LinearMap<String, int> map;
    for (const char* key : {"d", "a", "c", "b", "e"})
        map[key] = 1;
    EXPECT_EQ(Keys(map), (std::vector<String>{"d", "a", "c", "b", "e"}));
    map.Remove("c");
    EXPECT_EQ(Keys(map), (std::vector<String>{"d", "a", "b", "e"}));
    map.RemoveAt(0);
    map.Add("f", 2);
    EXPECT_EQ(Keys(map), (std::vector<String>{"a", "b", "e", "f"}));
    EXPECT_THROW_MESSAGE(map.RemoveAt(4), "Array index 4 out of range (count 4)");
    EXPECT_EQ(map["f"], 2);
}

}  // namespace map_test
