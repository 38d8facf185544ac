// Ten thousand mixed operations with a fixed seed on each map flavour, checked step by step
// against the standard containers; the tree's red-black invariants are checked throughout.
#include "core/HashMap.h"
#include "core/LinearMap.h"
#include "core/Map.h"
#include "support/Expect.h"

#include <map>
#include <random>
#include <string>
#include <type_traits>
#include <unordered_map>

using namespace Nimbrel;

namespace map_random_test {

int ToStd(int key) { return key; }
std::string ToStd(const String& key) { return key.CStr(); }

template <class K>
K MakeKey(int n)
{
    if constexpr (std::is_same_v<K, String>)
        return String::Format("key.%d", n);
    else
        return n;
}

template <class M>
void ValidateIfTree(const M& map)
{
    if constexpr (requires { map.Validate(); }) {
        try {
            map.Validate();
        } catch (const Exception& error) {
            FAIL() << error.GetMessage().CStr();
        }
    }
}

template <class M, class Reference>
void ExpectSameContents(const M& map, const Reference& reference)
{
    ASSERT_EQ(map.Count(), static_cast<int>(reference.size()));
    Reference seen;
    auto iterator = map.GetIterator();
    while (iterator->MoveNext()) {
        auto entry = iterator->Current();
        ASSERT_TRUE(seen.emplace(ToStd(entry.Key), entry.Value).second) << "visited twice: " << ToStd(entry.Key);
    }
    ASSERT_TRUE(seen == reference);
}

template <class K, class M, class Reference>
void RunMixedOperations(M& map, Reference& reference, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> keys(-300, 299);
    std::uniform_int_distribution<int> operations(0, 99);
    for (int step = 0; step < 10000; ++step) {
        const int n = keys(random);
        const K key = MakeKey<K>(n);
        const auto stdKey = ToStd(key);
        const bool present = reference.count(stdKey) != 0;
        const int operation = operations(random);
        if (step == 5000) {
            map.Clear();
            reference.clear();
        } else if (operation < 35) {
            map[key] = step;
            reference[stdKey] = step;
        } else if (operation < 50) {
            if (present) {
                ASSERT_THROW(map.Add(key, step), Exception) << step;
            } else {
                map.Add(key, step);
                reference[stdKey] = step;
            }
        } else if (operation < 90) {
            if (present) {
                map.Remove(key);
                reference.erase(stdKey);
            } else {
                ASSERT_THROW(map.Remove(key), Exception) << step;
            }
        } else {
            int value = -1;
            ASSERT_EQ(map.TryGet(key, value), present) << step;
            if (present) {
                ASSERT_EQ(value, reference[stdKey]) << step;
            }
        }
        ASSERT_EQ(map.Count(), static_cast<int>(reference.size())) << step;
        ValidateIfTree(map);
        if (::testing::Test::HasFatalFailure())
            return;
        if (step % 500 == 0) {
            ExpectSameContents(map, reference);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
    ExpectSameContents(map, reference);
}


TEST(Maps, MatchTheStandardContainersOverRandomOperations)
{
    {
        SCOPED_TRACE("Map<int, int>");
        Map<int, int> map;
        std::map<int, int> reference;
        RunMixedOperations<int>(map, reference, 1);
    }
    {
        SCOPED_TRACE("Map<String, int>");
        Map<String, int> map;
        std::map<std::string, int> reference;
        RunMixedOperations<String>(map, reference, 2);
    }
    {
        SCOPED_TRACE("HashMap<int, int>");
        HashMap<int, int> map;
        std::unordered_map<int, int> reference;
        RunMixedOperations<int>(map, reference, 3);
    }
    {
        SCOPED_TRACE("HashMap<String, int>");
        HashMap<String, int> map;
        std::unordered_map<std::string, int> reference;
        RunMixedOperations<String>(map, reference, 4);
    }
    {
        SCOPED_TRACE("LinearMap<int, int>");
        LinearMap<int, int> map;
        std::map<int, int> reference;
        RunMixedOperations<int>(map, reference, 5);
    }
}

}  // namespace map_random_test
