#include "recording/ChunkMemory.h"

#include "recording/MappedMemory.h"

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
    mapped::unmap(p, bytes);
}

ChunkMemory::Block ChunkMemory::allocate(size_t bytes, bool hugePages)
{
    return Block(mapped::map(bytes, hugePages), Release{bytes});
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
