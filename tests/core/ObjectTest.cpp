#include "core/Managed.h"
#include "support/Expect.h"

using namespace Nimbrel;

namespace object_test {

// Counts how many instances are alive, so tests see exactly when Release destroys one.
struct Tracked : Object {
    explicit Tracked(int& alive) : alive(alive) { ++alive; }
    ~Tracked() override { --alive; }
    int& alive;
};


TEST(Object, StartsWithOneReferenceAndIsDestroyedByTheLastRelease)
{
    int alive = 0;
    auto* object = new Tracked(alive);
    EXPECT_EQ(object->GetRefCount(), 1);
    object->AddRef();
    object->Release();
    EXPECT_EQ(alive, 1);
    object->Release();
    EXPECT_EQ(alive, 0);
}

TEST(Exception, CarriesMessageAndCode)
{
    Exception plain("broken");
    EXPECT_EQ(plain.GetCode(), 0);
    EXPECT_EQ(plain.GetMessage(), "broken");
    Exception coded(String("device lost"), 7);
    Exception copy = coded;
    EXPECT_EQ(copy.GetCode(), 7);
    EXPECT_EQ(copy.GetMessage(), "device lost");
}

TEST(Managed, AdoptsCopiesAddReferencesMovesTransfer)
{
    int alive = 0;
    {
        Managed<Tracked> first(new Tracked(alive));
        EXPECT_EQ(first->GetRefCount(), 1);
        Managed<Tracked> second = first;
        EXPECT_EQ(first->GetRefCount(), 2);
        Managed<Tracked> third = std::move(second);
        EXPECT_EQ(second.Get(), nullptr);
        EXPECT_EQ(third->GetRefCount(), 2);
        third = third;  // self-assignment keeps the object
        EXPECT_EQ(third->GetRefCount(), 2);
        Managed<Object> base = third;
        EXPECT_EQ(first->GetRefCount(), 3);
        first.Set(nullptr);
        third.Set(nullptr);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Managed, SetReleasesTheOldObjectAndAdoptsTheNew)
{
    int alive = 0;
    Managed<Tracked> held(new Tracked(alive));
    Tracked* raw = held.Get();
    raw->AddRef();  // the caller keeps its own reference and hands one over
    held.Set(raw);
    EXPECT_EQ(raw->GetRefCount(), 1);
    held.Set(new Tracked(alive));
    EXPECT_EQ(alive, 1);
}

TEST(Managed, EmptyAccessThrows)
{
    Managed<Tracked> empty;
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_THROW_MESSAGE(empty->GetRefCount(), "Managed nullpointer access attempt");
    EXPECT_THROW_MESSAGE(*empty, "Managed nullpointer access attempt");
}

}  // namespace object_test
