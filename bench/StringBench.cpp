// String comparison and hashing against std::string and std::hash.
#include "core/String.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

using namespace Nimbrel;

namespace {

const char* const LongText = "Studio.Tracker.Camera.Position.x";
const char* const OtherText = "Studio.Tracker.Camera.Position.y";

void StringCompareEqualLength(benchmark::State& state)
{
    String a(LongText), b(OtherText);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(StringCompareEqualLength);

void StdStringCompareEqualLength(benchmark::State& state)
{
    std::string a(LongText), b(OtherText);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a == b);
        benchmark::DoNotOptimize(a < b);
    }
}
BENCHMARK(StdStringCompareEqualLength);

// A fresh string each time: the hash is computed, not read from the cache.
void StringHashUncached(benchmark::State& state)
{
    for (auto _ : state) {
        String s(LongText);
        benchmark::DoNotOptimize(s.Hash());
    }
}
BENCHMARK(StringHashUncached);

void StdStringHash(benchmark::State& state)
{
    std::string s(LongText);
    std::hash<std::string> hash;
    for (auto _ : state)
        benchmark::DoNotOptimize(hash(s));
}
BENCHMARK(StdStringHash);

// The hash of a buffer is computed once; copies share it.
void StringHashCached(benchmark::State& state)
{
    String s(LongText);
    s.Hash();
    for (auto _ : state) {
        String copy = s;
        benchmark::DoNotOptimize(copy.Hash());
    }
}
BENCHMARK(StringHashCached);

}  // namespace
