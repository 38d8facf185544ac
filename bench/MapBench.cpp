// Map and HashMap against std::map and std::unordered_map: inserting N keys into a new map,
// and finding each of N keys in a filled one, with int and String keys. Both sides use the
// same key type; the standard hash map hashes String keys through their cached Hash(), as
// HashMap does. Names read "<operation>/<container>/<key type>/<N>" so that scripts/bench.sh
// can pair each engine case with its standard counterpart.
#include "core/HashMap.h"
#include "core/Map.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using namespace Nimbrel;

namespace map_bench {

struct StringHash {
    size_t operator()(const String& key) const { return static_cast<uint32_t>(key.Hash()); }
};

// N distinct keys in a shuffled order, the same for every container.
template <class K>
std::vector<K> MakeKeys(int n)
{
    std::mt19937 random(12345);
    std::vector<K> keys;
    if constexpr (std::is_same_v<K, int>) {
        std::unordered_set<int> used;
        while (static_cast<int>(keys.size()) < n) {
            const int key = static_cast<int>(random());
            if (used.insert(key).second)
                keys.push_back(key);
        }
    } else {
        for (int i = 0; i < n; ++i) {
            keys.push_back(String::Format("Studio.Probe.%d", i));
            keys.back().Hash();  // as keys that have been used before: the hash is cached
        }
        std::shuffle(keys.begin(), keys.end(), random);
    }
    return keys;
}

template <class M, class K>
bool Lookup(const M& map, const K& key, int& value)
{
    if constexpr (requires { map.find(key); }) {
        auto found = map.find(key);
        if (found == map.end())
            return false;
        value = found->second;
        return true;
    } else {
        return map.TryGet(key, value);
    }
}

template <class M, class K>
void Insert(benchmark::State& state, int n)
{
    const std::vector<K> keys = MakeKeys<K>(n);
    for (auto _ : state) {
        M map;
        for (int i = 0; i < n; ++i)
            map[keys[i]] = i;
        benchmark::DoNotOptimize(&map);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

template <class M, class K>
void Find(benchmark::State& state, int n)
{
    const std::vector<K> keys = MakeKeys<K>(n);
    M map;
    for (int i = 0; i < n; ++i)
        map[keys[i]] = i;
    for (auto _ : state) {
        int sum = 0;
        for (const K& key : keys) {
            int value = 0;
            if (Lookup(map, key, value))
                sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

template <class M, class K>
void RegisterPair(const char* container, const char* keyName, int n)
{
    const std::string suffix = std::string(container) + "/" + keyName + "/" + std::to_string(n);
    benchmark::RegisterBenchmark(("Insert/" + suffix).c_str(), Insert<M, K>, n);
    benchmark::RegisterBenchmark(("Find/" + suffix).c_str(), Find<M, K>, n);
}

bool RegisterAll()
{
    for (int n : {64, 4096}) {
        RegisterPair<Map<int, int>, int>("Map", "int", n);
        RegisterPair<std::map<int, int>, int>("std::map", "int", n);
        RegisterPair<Map<String, int>, String>("Map", "String", n);
        RegisterPair<std::map<String, int>, String>("std::map", "String", n);
        RegisterPair<HashMap<int, int>, int>("HashMap", "int", n);
        RegisterPair<std::unordered_map<int, int>, int>("std::unordered_map", "int", n);
        RegisterPair<HashMap<String, int>, String>("HashMap", "String", n);
        RegisterPair<std::unordered_map<String, int, StringHash>, String>("std::unordered_map", "String", n);
    }
    return true;
}

const bool registered = RegisterAll();

}  // namespace map_bench
