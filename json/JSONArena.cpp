#include "json/JSONArena.h"

#include <bit>
#include <new>

namespace bramolt::json {

TJSONArena::~TJSONArena()
{
    for (TBlockHeader* list : {FChunks, FLarge}) {
        while (list != nullptr) {
            TBlockHeader* next = list->Next;
            ::operator delete(list);
            list = next;
        }
    }
}

std::size_t TJSONArena::ClassOf(std::size_t bytes)
{
    if (bytes <= kSmallLimit)
        return bytes == 0 ? 0 : (bytes - 1) / kGrain;
    // 513..1024 -> the first power-of-two class, and so on.
    return kSmallLimit / kGrain + static_cast<std::size_t>(std::bit_width(bytes - 1)) - 10;
}

std::size_t TJSONArena::ClassBytes(std::size_t cls)
{
    if (cls < kSmallLimit / kGrain)
        return (cls + 1) * kGrain;
    return std::size_t{1024} << (cls - kSmallLimit / kGrain);
}

void TJSONArena::Link(TBlockHeader*& list, TBlockHeader* block)
{
    block->Prev = nullptr;
    block->Next = list;
    if (list != nullptr)
        list->Prev = block;
    list = block;
}

void TJSONArena::Unlink(TBlockHeader*& list, TBlockHeader* block)
{
    if (block->Prev != nullptr)
        block->Prev->Next = block->Next;
    else
        list = block->Next;
    if (block->Next != nullptr)
        block->Next->Prev = block->Prev;
}

TJSONArena::TBlockHeader* TJSONArena::TakeFromHeap(std::size_t bytes)
{
    auto* block = static_cast<TBlockHeader*>(::operator new(bytes));
    block->Bytes = bytes;
    FReserved += bytes;
    return block;
}

// Takes `bytes` (a class size) from the current chunk, starting a new one when it does not
// fit. Chunks double from small up to a modest size, so a tree of one node costs little, a
// big one few heap calls, and the unused end of the last chunk stays small beside the tree.
// The tail of a chunk too short for the block is left unused.
void* TJSONArena::Carve(std::size_t bytes)
{
    if (static_cast<std::size_t>(FLimit - FCursor) < bytes) {
        std::size_t chunkBytes = FNextChunk;
        while (chunkBytes < bytes + sizeof(TBlockHeader))
            chunkBytes *= 2;
        if (FNextChunk < kLastChunk)
            FNextChunk *= 2;
        TBlockHeader* chunk = TakeFromHeap(chunkBytes);
        Link(FChunks, chunk);
        FCursor = reinterpret_cast<char*>(chunk + 1);
        FLimit = reinterpret_cast<char*>(chunk) + chunkBytes;
    }
    void* p = FCursor;
    FCursor += bytes;
    return p;
}

void* TJSONArena::do_allocate(std::size_t bytes, std::size_t alignment)
{
    if (bytes > kLargeLimit || alignment > kGrain) {
        TBlockHeader* block = TakeFromHeap(sizeof(TBlockHeader) + bytes);
        Link(FLarge, block);
        return block + 1;
    }
    const std::size_t cls = ClassOf(bytes);
    if (TFreeBlock* block = FFree[cls]) {
        FFree[cls] = block->Next;
        return block;
    }
    return Carve(ClassBytes(cls));
}

void TJSONArena::do_deallocate(void* p, std::size_t bytes, std::size_t alignment)
{
    if (p == nullptr)
        return;
    if (bytes > kLargeLimit || alignment > kGrain) {
        TBlockHeader* block = static_cast<TBlockHeader*>(p) - 1;
        Unlink(FLarge, block);
        FReserved -= block->Bytes;
        ::operator delete(block);
        return;
    }
    const std::size_t cls = ClassOf(bytes);
    auto* block = static_cast<TFreeBlock*>(p);
    block->Next = FFree[cls];
    FFree[cls] = block;
}

} // namespace bramolt::json
