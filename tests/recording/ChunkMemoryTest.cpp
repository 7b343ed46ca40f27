#include "recording/ChunkMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kChunk = 512 << 10;

// Fills every chunk with its own index, then checks that none overwrote another.
void fillAndCheck(ChunkMemory& memory, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        std::memset(memory.add(), static_cast<int>(i + 1), kChunk);
    ASSERT_EQ(memory.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(memory[i]);
        EXPECT_EQ(bytes[0], i + 1);
        EXPECT_EQ(bytes[kChunk - 1], i + 1);
    }
}

} // namespace

TEST(ChunkMemoryTest, ChunksAcrossBlocksKeepTheirBytesAndLaterOnesSitInAlignedBlocks)
{
    ChunkMemory memory(kChunk);
    fillAndCheck(memory, 11);
    for (size_t i = 1; i < memory.size(); ++i) {
        const auto at = reinterpret_cast<std::uintptr_t>(memory[i]);
        EXPECT_EQ(at % kChunk, 0u);
        if ((i - 1) % (ChunkMemory::kBlockBytes / kChunk) == 0) {
            EXPECT_EQ(at % ChunkMemory::kBlockBytes, 0u) << "chunk " << i;
        }
    }
}

TEST(ChunkMemoryTest, ClearedOrMovedFromMemoryGrowsAgainFromItsFirstChunk)
{
    ChunkMemory memory(kChunk);
    fillAndCheck(memory, 6);
    ChunkMemory moved(std::move(memory));
    EXPECT_EQ(moved.size(), 6u);
    EXPECT_EQ(memory.size(), 0u);
    fillAndCheck(memory, 6);

    ChunkMemory assigned(kChunk);
    fillAndCheck(assigned, 3);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.size(), 6u);
    fillAndCheck(moved, 2);

    assigned.clear();
    EXPECT_EQ(assigned.size(), 0u);
    fillAndCheck(assigned, 7);
}
