#pragma once

// The parser's children waiting for their container to close. The stack grows in fixed
// segments instead of doubling: growing never copies, so the waiting elements of a huge
// array take their own size and no more while its list is made from them.

#include <cstddef>
#include <memory>
#include <vector>

namespace bramolt::json {

template <typename T> class TJSONPendingStack {
  public:
    std::size_t size() const { return FSize; }
    T* back() const { return At(FSize - 1); }

    void push_back(T* item)
    {
        if (FSize == FSegments.size() * kSegment)
            FSegments.push_back(std::make_unique_for_overwrite<T*[]>(kSegment));
        FSegments[FSize / kSegment][FSize % kSegment] = item;
        ++FSize;
    }

    // Drops the items from `size` on; their segments stay for reuse.
    void shrink(std::size_t size) { FSize = size; }

    // Copies the items from `first` to the top into `out`.
    void CopyOut(std::size_t first, T** out) const
    {
        while (first < FSize) {
            const std::size_t offset = first % kSegment;
            const std::size_t count = std::min(kSegment - offset, FSize - first);
            T* const* segment = FSegments[first / kSegment].get() + offset;
            std::copy(segment, segment + count, out);
            out += count;
            first += count;
        }
    }

  private:
    static constexpr std::size_t kSegment = 4096;
    T* At(std::size_t index) const { return FSegments[index / kSegment][index % kSegment]; }

    std::vector<std::unique_ptr<T*[]>> FSegments;
    std::size_t FSize = 0;
};

} // namespace bramolt::json
