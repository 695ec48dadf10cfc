#pragma once

// The memory of one JSON tree. Nodes, their lists and their texts are carved from large
// chunks; a block given back is kept on a free list of its size and handed out again, so
// a tree that keeps growing and shrinking stays the size of its largest moment. The
// arena releases everything at once when it ends: nothing carved from it has a
// destructor that must run.

#include <cstddef>
#include <memory_resource>

namespace bramolt::json {

class TJSONArena final : public std::pmr::memory_resource {
  public:
    TJSONArena() = default;
    TJSONArena(const TJSONArena&) = delete;
    TJSONArena& operator=(const TJSONArena&) = delete;
    ~TJSONArena() override;

    // allocate(bytes, kGrain) with its common case inline: a block of a small class from its
    // free list or from the current chunk. Trees make every node through here.
    void* AllocateBlock(std::size_t bytes)
    {
        if (bytes != 0 && bytes <= kSmallLimit) {
            const std::size_t cls = (bytes - 1) / kGrain;
            if (TFreeBlock* block = FFree[cls]) {
                FFree[cls] = block->Next;
                return block;
            }
            const std::size_t rounded = (cls + 1) * kGrain;
            if (static_cast<std::size_t>(FLimit - FCursor) >= rounded) {
                void* p = FCursor;
                FCursor += rounded;
                return p;
            }
        }
        return allocate(bytes, kGrain);
    }

    // Bytes taken from the heap: chunks and large blocks, whether in use or free.
    std::size_t ReservedBytes() const { return FReserved; }

    // Blocks are rounded up to this grain and aligned to it.
    static constexpr std::size_t kGrain = 8;

  private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    // A free block of a size class; its first bytes hold the link.
    struct TFreeBlock {
        TFreeBlock* Next;
    };
    // A chunk, or a large block with its own heap allocation, begins with this header.
    struct TBlockHeader {
        TBlockHeader* Prev;
        TBlockHeader* Next;
        std::size_t Bytes; // of the whole heap allocation
        std::size_t Pad;   // keeps what follows aligned to 16
    };

    // Up to kSmallLimit the classes step by the grain; up to kLargeLimit by powers of two.
    // Larger blocks get a heap allocation each, which they give back when freed.
    static constexpr std::size_t kSmallLimit = 512;
    static constexpr std::size_t kLargeLimit = 32 * 1024;
    static constexpr std::size_t kClassCount = kSmallLimit / kGrain + 6; // 1K..32K
    static constexpr std::size_t kFirstChunk = 512;
    static constexpr std::size_t kLastChunk = 64 * 1024;

    static std::size_t ClassOf(std::size_t bytes);
    static std::size_t ClassBytes(std::size_t cls);
    void* Carve(std::size_t bytes);
    TBlockHeader* TakeFromHeap(std::size_t bytes);
    static void Link(TBlockHeader*& list, TBlockHeader* block);
    static void Unlink(TBlockHeader*& list, TBlockHeader* block);

    TFreeBlock* FFree[kClassCount] = {};
    char* FCursor = nullptr;
    char* FLimit = nullptr;
    TBlockHeader* FChunks = nullptr;
    TBlockHeader* FLarge = nullptr;
    std::size_t FNextChunk = kFirstChunk;
    std::size_t FReserved = 0;
};

} // namespace bramolt::json
