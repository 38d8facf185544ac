#pragma once
// Pool<Node>: hands out nodes carved from blocks, so that a tree does not call the allocator
// once per node.
//
// Nodes are taken in order from the newest block and are never reused one by one: a freed
// node's memory comes back only when every node of its block has been freed, and then the
// whole block is released. The newest block is tracked by identity, so once it is released
// the next allocation starts a new block instead of handing out a node of an older block.
// Allocate() constructs the node in place and Free() destroys it at once, so whatever a node
// holds (strings, counted references) is released with it. Destroying the pool destroys
// the nodes still live in it.

#include "core/Array.h"
#include "core/Exception.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace Nimbrel {

template <class Node>
class Pool : public Object {
public:
    explicit Pool(int blockSize = 256) : blockSize(blockSize)
    {
        if (blockSize < 1 || blockSize > MaxBlockSize)
            throw Exception(String::Format("Pool: block size %d out of range", blockSize));
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool() override
    {
        for (Block& block : blocks) {
            for (int i = 0; i < blockSize; ++i)
                if (block.IsLive(i))
                    std::destroy_at(block.nodes + i);
            Release(block);
        }
    }

    // A new node constructed from the arguments.
    template <class... Args>
    Node* Allocate(Args&&... args)
    {
        if (!newest || nextFree == blockSize)
            StartBlock();
        // The newest block is always the last one while it lives.
        Block& block = blocks[blocks.Count() - 1];
        Node* node = ::new (static_cast<void*>(block.nodes + nextFree)) Node(std::forward<Args>(args)...);
        block.SetLive(nextFree, true);
        ++block.liveCount;
        ++nextFree;
        return node;
    }

    // Destroys a node handed out by Allocate(); releases its block when it was the block's
    // last live node. Throws for a pointer that is not a live node of this pool.
    void Free(Node* node)
    {
        const auto address = reinterpret_cast<uintptr_t>(node);
        for (int b = blocks.Count() - 1; b >= 0; --b) {
            Block& block = blocks[b];
            const auto begin = reinterpret_cast<uintptr_t>(block.nodes);
            if (address < begin || address >= begin + uintptr_t(blockSize) * sizeof(Node))
                continue;
            const uintptr_t offset = address - begin;
            const int index = static_cast<int>(offset / sizeof(Node));
            if (offset % sizeof(Node) != 0 || !block.IsLive(index))
                break;
            std::destroy_at(node);
            block.SetLive(index, false);
            if (--block.liveCount == 0) {
                if (block.nodes == newest)
                    newest = nullptr;
                Release(block);
                blocks.RemoveAt(b);
            }
            return;
        }
        throw Exception("Pool::Free(): Invalid pool pointer");
    }

    int BlockCount() const { return blocks.Count(); }
    int BlockSize() const { return blockSize; }

private:
    static constexpr int MaxBlockSize = 1 << 20;

    struct Block {
        Node* nodes = nullptr;
        uint64_t* liveBits = nullptr;  // one bit per node: handed out and not yet freed
        int liveCount = 0;

        bool IsLive(int index) const { return (liveBits[index / 64] >> (index % 64)) & 1; }
        void SetLive(int index, bool live)
        {
            const uint64_t bit = uint64_t(1) << (index % 64);
            liveBits[index / 64] = live ? liveBits[index / 64] | bit : liveBits[index / 64] & ~bit;
        }
    };

    void StartBlock()
    {
        Block block;
        block.nodes = std::allocator<Node>().allocate(blockSize);
        try {
            block.liveBits = new uint64_t[(blockSize + 63) / 64]();
            blocks.Add(block);
        } catch (...) {
            Release(block);
            throw;
        }
        newest = block.nodes;
        nextFree = 0;
    }
    void Release(Block& block)
    {
        std::allocator<Node>().deallocate(block.nodes, blockSize);
        delete[] block.liveBits;
        block = Block();
    }

    Array<Block> blocks;
    Node* newest = nullptr;  // storage of the newest block; null once that block is released
    int nextFree = 0;        // next node to hand out in the newest block
    int blockSize;
};

}  // namespace Nimbrel
