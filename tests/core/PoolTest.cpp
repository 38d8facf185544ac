#include "core/Pool.h"
#include "support/Expect.h"

#include <set>
#include <vector>

using namespace Nimbrel;

namespace pool_test {

struct Node {
    explicit Node(int value, int* alive = nullptr) : value(value), alive(alive)
    {
        if (alive)
            ++*alive;
    }
    ~Node()
    {
        if (alive)
            --*alive;
    }
    int value;
    int* alive;
};


TEST(Pool, ReleasesABlockOnceAllItsNodesAreFree)
{
    Pool<Node> pool(4);
    std::vector<Node*> first;
    for (int i = 0; i < 4; ++i)
        first.push_back(pool.Allocate(i));
    EXPECT_EQ(pool.BlockCount(), 1);
    Node* second = pool.Allocate(4);  // the first block is used up
    EXPECT_EQ(pool.BlockCount(), 2);

    for (int i = 0; i < 3; ++i)
        pool.Free(first[i]);
    EXPECT_EQ(pool.BlockCount(), 2);  // one node of the first block is still live
    pool.Free(first[3]);
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(second->value, 4);

    pool.Free(second);
    EXPECT_EQ(pool.BlockCount(), 0);
    Node* fresh = pool.Allocate(5);
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(fresh->value, 5);
    pool.Free(fresh);
}

// Releasing the newest block while an older one is still live: the next allocation must start
// a new block, never hand out a node of the older one.
TEST(Pool, NeverHandsOutALiveNodeAfterTheNewestBlockIsReleased)
{
    Pool<Node> pool(4);
    std::vector<Node*> older;
    for (int i = 0; i < 4; ++i)
        older.push_back(pool.Allocate(i));
    pool.Free(older[3]);  // the older block keeps three live nodes
    Node* newer = pool.Allocate(10);
    pool.Free(newer);
    ASSERT_EQ(pool.BlockCount(), 1);

    std::set<Node*> live(older.begin(), older.begin() + 3);
    for (int i = 0; i < 6; ++i) {
        Node* node = pool.Allocate(100 + i);
        EXPECT_TRUE(live.insert(node).second) << "node handed out twice";
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(older[i]->value, i);
    EXPECT_EQ(pool.BlockCount(), 3);
}

TEST(Pool, FreeRejectsPointersThatAreNotLiveNodes)
{
    Pool<Node> pool(4);
    Node* a = pool.Allocate(1);
    Node* b = pool.Allocate(2);
    Node outside(3);
    EXPECT_THROW_MESSAGE(pool.Free(&outside), "Pool::Free(): Invalid pool pointer");
    EXPECT_THROW_MESSAGE(pool.Free(b + 1), "Pool::Free(): Invalid pool pointer");  // not handed out yet
    EXPECT_THROW_MESSAGE(pool.Free(reinterpret_cast<Node*>(reinterpret_cast<char*>(a) + 1)),
                         "Pool::Free(): Invalid pool pointer");
    pool.Free(a);
    EXPECT_THROW_MESSAGE(pool.Free(a), "Pool::Free(): Invalid pool pointer");  // freed twice
    EXPECT_EQ(b->value, 2);
    EXPECT_EQ(pool.BlockCount(), 1);
}

TEST(Pool, ConstructsOnAllocateAndDestroysOnFreeAndDestruction)
{
    int alive = 0;
    {
        Pool<Node> pool(2);
        Node* a = pool.Allocate(1, &alive);
        pool.Allocate(2, &alive);
        pool.Allocate(3, &alive);
        EXPECT_EQ(alive, 3);
        pool.Free(a);
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 0);
}

}  // namespace pool_test
