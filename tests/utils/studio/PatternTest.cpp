#include "utils/studio/Pattern.h"

#include "core/Managed.h"
#include "support/Expect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils::Studio;

namespace pattern_test {

Managed<Pattern> MakePattern(std::initializer_list<Key> keys)
{
    Managed<Pattern> pattern(new Pattern());
    for (const Key& key : keys)
        pattern->SetKey(key);
    return pattern;
}

std::vector<int> Times(const Pattern& pattern)
{
    std::vector<int> times;
    for (int i = 0; i < pattern.GetKeyCount(); ++i)
        times.push_back(pattern.GetKeyAt(i).time);
    return times;
}

}  // namespace pattern_test

using pattern_test::MakePattern;

TEST(PatternTest, EvaluatesCurvesAroundTheirKeys)
{
    struct Case {
        const char* what;
        Managed<Pattern> pattern;
        double t;
        float expected;
    };
    auto single = [] { return MakePattern({Key{1, 1.0f, 2.0f, 10}}); };
    auto linear = [] { return MakePattern({Key{1, 0.0f, 1.0f, 0}, Key{1, 3.0f, 5.0f, 16}}); };
    auto cosine = [] { return MakePattern({Key{2, 0.0f, 0.0f, 0}, Key{2, 1.0f, 1.0f, 16}}); };
    auto step = [] { return MakePattern({Key{0, 9.0f, 4.0f, 0}, Key{1, 7.0f, 8.0f, 16}, Key{1, 8.0f, 8.0f, 32}}); };
    Case cases[] = {
        {"no keys", MakePattern({}), 5.0, 0.0f},
        {"one key, before", single(), 0.0, 1.0f},
        {"one key, at", single(), 10.0, 2.0f},
        {"one key, after", single(), 99.0, 2.0f},
        {"linear, middle", linear(), 8.0, 2.0f},
        {"linear, at the first key", linear(), 0.0, 1.0f},
        {"linear, at the second key", linear(), 16.0, 3.0f},
        {"linear, after the last key", linear(), 16.5, 5.0f},
        {"linear, extrapolated backwards", linear(), -8.0, 0.0f},
        {"cosine, start", cosine(), 0.0, 0.0f},
        {"cosine, middle", cosine(), 8.0, 0.5f},
        {"cosine, end", cosine(), 16.0, 1.0f},
        {"step, holds", step(), 15.9, 4.0f},
        {"step, arriving at the next key", step(), 16.0, 4.0f},
        {"step, the next key takes over", step(), 16.0001, 8.0f},
        {"step, before the first key", step(), -3.0, 4.0f},
    };
    for (Case& c : cases)
        EXPECT_FLOAT_EQ(c.pattern->Evaluate(c.t), c.expected) << c.what;
}

TEST(PatternTest, TheValueAtATimeDoesNotDependOnWhatWasEvaluatedBefore)
{
    Managed<Pattern> pattern = MakePattern({Key{1, 0.0f, 1.0f, 0}, Key{1, 3.0f, 5.0f, 16}});
    EXPECT_EQ(pattern->Evaluate(20.0), 5.0f);
    EXPECT_EQ(pattern->Evaluate(16.0), 3.0f);  // coming back from after the key

    // Many keys with jumps in values; every evaluation, in any order and from any cursor,
    // must equal the one from a fresh pattern.
    std::mt19937 random(7);
    Managed<Pattern> curve(new Pattern());
    for (int i = 0; i < 200; ++i)
        curve->SetKey(Key{i % 3, float(i % 7), float(i % 5) - 2.0f, i * 4 + (i % 3)});
    std::vector<double> times;
    for (int i = -10; i < 900; ++i)
        times.push_back(i * 0.5);
    std::vector<double> order = times;
    std::reverse(order.begin(), order.end());
    std::vector<double> shuffled = times;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    order.insert(order.end(), shuffled.begin(), shuffled.end());
    order.insert(order.end(), times.begin(), times.end());
    for (double t : order) {
        Managed<Pattern> reference(new Pattern());
        for (int i = 0; i < curve->GetKeyCount(); ++i)
            reference->SetKey(curve->GetKeyAt(i));
        ASSERT_EQ(curve->Evaluate(t), reference->Evaluate(t)) << "at " << t;
    }
}

TEST(PatternTest, KeysStayUniqueAndSortedByTime)
{
    Managed<Pattern> pattern(new Pattern());
    for (int time : {32, 0, 16, -8, 48, 8})
        pattern->SetKey(Key{1, float(time), float(time), time});
    EXPECT_EQ(pattern_test::Times(*pattern), (std::vector<int>{-8, 0, 8, 16, 32, 48}));

    Key stored = pattern->SetKey(Key{2, 7.0f, 9.0f, 16});
    EXPECT_EQ(stored, (Key{2, 7.0f, 9.0f, 16}));
    EXPECT_EQ(pattern->GetKeyCount(), 6);
    Key found;
    ASSERT_TRUE(pattern->GetKey(16, found));
    EXPECT_EQ(found, (Key{2, 7.0f, 9.0f, 16}));
}

TEST(PatternTest, FindsKeysAtBeforeAndAfterATime)
{
    Managed<Pattern> pattern = MakePattern({Key{1, 0, 0, 0}, Key{1, 0, 0, 16}, Key{1, 0, 0, 32}});
    struct Case {
        int time;
        int at, before, after;  // expected key times, or -1 for none
    };
    const Case cases[] = {
        {-1, -1, -1, 0}, {0, 0, -1, 16}, {1, -1, 0, 16}, {16, 16, 0, 32},
        {31, -1, 16, 32}, {32, 32, 16, -1}, {INT_MAX, -1, 32, -1}, {INT_MIN, -1, -1, 0},
    };
    for (const Case& c : cases) {
        Key key;
        bool found = pattern->GetKey(c.time, key);
        EXPECT_EQ(found ? key.time : -1, c.at) << c.time;
        found = pattern->GetKeyBefore(c.time, key);
        EXPECT_EQ(found ? key.time : -1, c.before) << c.time;
        found = pattern->GetKeyAfter(c.time, key);
        EXPECT_EQ(found ? key.time : -1, c.after) << c.time;
    }
}

TEST(PatternTest, CollectsAndRemovesKeysInHalfOpenRanges)
{
    struct Case {
        int start, length;
        std::vector<int> inside;
    };
    const Case cases[] = {
        {0, 16, {0, 4}},
        {4, 12, {4}},
        {5, 11, {}},
        {-100, 0, {}},
        {16, -5, {}},
        {0, INT_MAX, {0, 4, 16, 20}},        // start + length must not wrap
        {INT_MIN, INT_MAX, {-4}},
        {INT_MAX, INT_MAX, {}},
    };
    for (const Case& c : cases) {
        Managed<Pattern> pattern = MakePattern({Key{1, 0, 0, -4}, Key{1, 0, 0, 0}, Key{1, 0, 0, 4},
                                                Key{1, 0, 0, 16}, Key{1, 0, 0, 20}});
        Array<Key> collected;
        collected.Add(Key{0, 0, 0, 999});  // kept: CollectKeys appends
        pattern->CollectKeys(c.start, c.length, collected);
        std::vector<int> times;
        for (int i = 1; i < collected.Count(); ++i)
            times.push_back(collected[i].time);
        EXPECT_EQ(times, c.inside) << c.start << " + " << c.length;

        pattern->RemoveKeys(c.start, c.length);
        std::vector<int> left;
        for (int time : {-4, 0, 4, 16, 20})
            if (std::find(c.inside.begin(), c.inside.end(), time) == c.inside.end())
                left.push_back(time);
        EXPECT_EQ(pattern_test::Times(*pattern), left) << c.start << " + " << c.length;
    }
}

TEST(PatternTest, EvaluatesAfterKeysUnderTheCursorWereRemoved)
{
    Managed<Pattern> pattern = MakePattern({Key{1, 0, 0, 0}, Key{1, 1, 1, 16}, Key{1, 2, 2, 32}, Key{1, 3, 3, 48}});
    EXPECT_EQ(pattern->Evaluate(60.0), 3.0f);
    EXPECT_EQ(pattern->GetCursor(), 3);
    pattern->RemoveKeys(16, 100);
    EXPECT_EQ(pattern->Evaluate(60.0), 0.0f);
    pattern->RemoveKeys(0, 1);
    EXPECT_EQ(pattern->Evaluate(60.0), 0.0f);
}

TEST(PatternTest, AnInvalidInterpolationThrowsWhenItsSegmentIsEvaluated)
{
    Managed<Pattern> pattern = MakePattern({Key{1, 0, 0, 0}, Key{3, 1, 1, 16}, Key{1, 2, 2, 32}, Key{-1, 5, 6, 48}});
    EXPECT_EQ(pattern->Evaluate(8.0), 0.5f);
    EXPECT_THROW_MESSAGE(pattern->Evaluate(20.0), "Invalid InterpolationMode");
    EXPECT_EQ(pattern->Evaluate(40.0), 3.5f);
    EXPECT_EQ(pattern->Evaluate(50.0), 6.0f);  // after the last key nothing is interpolated
}

TEST(PatternTest, ClonesAreIndependent)
{
    Managed<Pattern> pattern = MakePattern({Key{1, 0, 0, 0}, Key{1, 1, 1, 16}});
    pattern->Evaluate(20.0);
    Managed<Pattern> copy(pattern->Clone());
    EXPECT_EQ(copy->GetCursor(), pattern->GetCursor());
    copy->SetKey(Key{1, 5, 5, 8});
    copy->RemoveKeys(0, 1);
    EXPECT_EQ(pattern_test::Times(*pattern), (std::vector<int>{0, 16}));
    EXPECT_EQ(pattern_test::Times(*copy), (std::vector<int>{8, 16}));
}
