#include "core/Array.h"
#include "core/Managed.h"
#include "core/Stack.h"
#include "support/Expect.h"

using namespace Nimbrel;

namespace array_test {

struct Tracked : Object {
    explicit Tracked(int& alive) : alive(alive) { ++alive; }
    ~Tracked() override { --alive; }
    int& alive;
};


TEST(Array, CapacityGrowsToTwiceTheCountPlusTen)
{
    struct Step {
        int adds;
        int capacity;
    };
    const Step steps[] = {{0, 0}, {1, 10}, {10, 10}, {11, 30}, {30, 30}, {31, 70}, {71, 150}};
    Array<int> array;
    int added = 0;
    for (const Step& step : steps) {
        while (added < step.adds)
            array.Add(added++);
        EXPECT_EQ(array.Capacity(), step.capacity) << "after " << step.adds << " adds";
    }
    for (int i = 0; i < array.Count(); ++i)
        ASSERT_EQ(array[i], i);
}

TEST(Array, AddOfItsOwnElementSurvivesGrowth)
{
    Array<String> array;
    for (int i = 0; i < 10; ++i)
        array.Add(String(i));
    array.Add(array[3]);  // the block is reallocated while the argument lives in it
    EXPECT_EQ(array[10], "3");
}

TEST(Array, RemoveAndIndexOf)
{
    Array<int> array{5, 6, 7, 6};
    EXPECT_EQ(array.IndexOf(6), 1);
    EXPECT_EQ(array.IndexOf(9), -1);
    EXPECT_THROW_MESSAGE(array.Remove(9), "The Array doesn't contain the given value");
    array.Remove(6);  // only the first equal element goes
    EXPECT_EQ(array.Count(), 3);
    EXPECT_EQ(array.RemoveAt(0), 5);
    EXPECT_EQ(array[0], 7);
    EXPECT_EQ(array[1], 6);
}

TEST(Array, AccessOutOfRangeThrows)
{
    Array<int> array{1, 2, 3};
    EXPECT_THROW_MESSAGE(array[3], "Array index 3 out of range (count 3)");
    EXPECT_THROW_MESSAGE(array[-1], "Array index -1 out of range (count 3)");
    EXPECT_THROW_MESSAGE(array.RemoveAt(3), "Array index 3 out of range (count 3)");
    const Array<int> empty;
    EXPECT_THROW_MESSAGE(empty[0], "Array index 0 out of range (count 0)");
}

// Elements handed out again after Clear or a shrinking SetSize must be default values, not
// leftovers of what was there before.
TEST(Array, ReusedElementsAreDefault)
{
    Array<int> numbers{4, 5, 6};
    numbers.Clear();
    EXPECT_EQ(numbers.Capacity(), 3);  // the block is kept
    EXPECT_EQ(numbers[numbers.AddEmpty()], 0);
    numbers.SetSize(3);
    EXPECT_EQ(numbers[1], 0);
    EXPECT_EQ(numbers[2], 0);
    numbers[2] = 9;
    numbers.SetSize(1);
    numbers.SetSize(3);
    EXPECT_EQ(numbers[2], 0);

    Array<String> texts{"a", "b"};
    texts.Clear();
    texts.SetSize(2);
    EXPECT_EQ(texts[1], "");

    numbers.Reserve(0);
    EXPECT_EQ(numbers.Count(), 0);
    EXPECT_EQ(numbers.Capacity(), 0);
}

TEST(Array, ManagedElementsAreCountedOnceAcrossGrowthAndRemoval)
{
    int alive = 0;
    {
        Array<Managed<Tracked>> array;
        for (int i = 0; i < 11; ++i)
            array.Add(Managed<Tracked>(new Tracked(alive)));
        ASSERT_EQ(array.Capacity(), 30);
        for (const Managed<Tracked>& element : array)
            EXPECT_EQ(element->GetRefCount(), 1);

        Array<Managed<Tracked>> copy = array;
        EXPECT_EQ(array[0]->GetRefCount(), 2);
        copy.Clear();
        EXPECT_EQ(array[0]->GetRefCount(), 1);

        Managed<Tracked> removed = array.RemoveAt(0);
        EXPECT_EQ(removed->GetRefCount(), 1);
        removed.Set(nullptr);
        EXPECT_EQ(alive, 10);
        array.SetSize(4);
        EXPECT_EQ(alive, 4);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Stack, PushPopTopInLastInFirstOutOrder)
{
    Stack<String> stack;
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_THROW_MESSAGE(stack.Pop(), "The array doesn't contain any elements");
    EXPECT_THROW_MESSAGE(stack.Top(), "The array doesn't contain any elements");
    for (const char* text : {"a", "b", "c"})
        stack.Push(text);
    EXPECT_EQ(stack.Count(), 3);
    EXPECT_EQ(stack.Top(), "c");
    EXPECT_EQ(stack.Pop(), "c");
    EXPECT_EQ(stack.Pop(), "b");
    stack.Top() = "z";
    EXPECT_EQ(stack.Pop(), "z");
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_THROW_MESSAGE(stack.Pop(), "The array doesn't contain any elements");
}

}  // namespace array_test
