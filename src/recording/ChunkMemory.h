#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Fixed-size chunks of memory for a store that only grows at its end and is
// emptied all at once. The first chunk is allocated on its own, so a small
// store stays small: its pages are touched only as they are written. Later
// chunks are cut from 2 MB blocks that the kernel is asked to back with
// huge pages, so that filling them costs one page fault per 2 MB instead of
// one per 4 KB. Faults are what filling fresh memory costs most: on the
// virtual machines the program runs on, a million rows of faults in 4 KB
// pages took longer than reading and parsing their file.
class ChunkMemory {
public:
    // chunkBytes must divide kBlockBytes.
    explicit ChunkMemory(size_t chunkBytes);
    ChunkMemory(ChunkMemory&& other) noexcept;
    ChunkMemory& operator=(ChunkMemory&& other) noexcept;

    static constexpr size_t kBlockBytes = size_t(2) << 20; // a huge page

    size_t size() const { return chunks_.size(); }
    void* operator[](size_t i) const { return chunks_[i]; }
    // A new chunk at the end, its bytes undefined.
    void* add();
    void clear();

private:
    struct Release {
        size_t bytes;
        void operator()(void* p) const;
    };
    using Block = std::unique_ptr<void, Release>;
    static Block allocate(size_t bytes, bool hugePages);

    size_t chunkBytes_;
    std::vector<void*> chunks_;
    std::vector<Block> blocks_;
    size_t freeInBlock_ = 0;
};
