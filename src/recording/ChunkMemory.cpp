#include "recording/ChunkMemory.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>

ChunkMemory::ChunkMemory(size_t chunkBytes) : chunkBytes_(chunkBytes) {}

// A moved-from store is empty and grows again from its first chunk.
ChunkMemory::ChunkMemory(ChunkMemory&& other) noexcept
    : chunkBytes_(other.chunkBytes_), chunks_(std::move(other.chunks_)),
      blocks_(std::move(other.blocks_)), freeInBlock_(other.freeInBlock_)
{
    other.clear();
}

ChunkMemory& ChunkMemory::operator=(ChunkMemory&& other) noexcept
{
    if (this != &other) {
        chunkBytes_ = other.chunkBytes_;
        chunks_ = std::move(other.chunks_);
        blocks_ = std::move(other.blocks_);
        freeInBlock_ = other.freeInBlock_;
        other.clear();
    }
    return *this;
}

void ChunkMemory::Release::operator()(void* p) const
{
    munmap(p, bytes);
}

// Anonymous memory, aligned to a huge page when huge pages are asked for:
// the kernel backs only aligned 2 MB ranges with them.
ChunkMemory::Block ChunkMemory::allocate(size_t bytes, bool hugePages)
{
    const size_t align = hugePages ? kBlockBytes : 0;
    void* mapped = mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto* start = static_cast<char*>(mapped);
    if (hugePages) {
        const auto at = reinterpret_cast<std::uintptr_t>(start);
        const size_t head = (align - at % align) % align;
        if (head > 0)
            munmap(start, head);
        if (align - head > 0)
            munmap(start + head + bytes, align - head);
        start += head;
        // Only advice: without transparent huge pages the block is plain memory.
        madvise(start, bytes, MADV_HUGEPAGE);
    }
    return Block(start, Release{bytes});
}

void* ChunkMemory::add()
{
    chunks_.reserve(chunks_.size() + 1);
    if (chunks_.empty()) {
        blocks_.push_back(allocate(chunkBytes_, false));
        chunks_.push_back(blocks_.back().get());
        return chunks_.back();
    }
    if (freeInBlock_ == 0) {
        blocks_.push_back(allocate(kBlockBytes, true));
        freeInBlock_ = kBlockBytes / chunkBytes_;
    }
    auto* block = static_cast<char*>(blocks_.back().get());
    chunks_.push_back(block + (kBlockBytes / chunkBytes_ - freeInBlock_) * chunkBytes_);
    --freeInBlock_;
    return chunks_.back();
}

void ChunkMemory::clear()
{
    chunks_.clear();
    blocks_.clear();
    freeInBlock_ = 0;
}
