// The heap-block routines on the real process heap.
#include "core/heap_block.h"
#include "tests/wine/check.h"

namespace {

bool AllBytes(const void* block, std::uint32_t from, std::uint32_t to, int (*want)(std::uint32_t)) {
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  for (std::uint32_t i = from; i < to; ++i)
    if (bytes[i] != want(i)) return false;
  return true;
}

int Pattern(std::uint32_t i) { return static_cast<unsigned char>(i * 7 + 1); }
int Zero(std::uint32_t) { return 0; }

void* PatternBlock(std::uint32_t size) {
  unsigned char* block = static_cast<unsigned char*>(AllocateBlock(size, 1));
  for (std::uint32_t i = 0; i < size; ++i) block[i] = static_cast<unsigned char>(Pattern(i));
  return block;
}

}  // namespace

WINE_TEST(AllocateGivesZeroedBlocksOfTheAskedSize) {
  void* block = AllocateBlock(1000, 20);
  EXPECT_EQ(BlockSize(block), 20000u, "1000 records of 20 bytes");
  EXPECT_TRUE(AllBytes(block, 0, 20000, Zero), "zero-filled");
  FreeBlock(block);
}

WINE_TEST(ReallocateKeepsTheStartAndZeroesTheRest) {
  void* fresh = ReallocateBlock(nullptr, 0);
  EXPECT_EQ(BlockSize(fresh), 4096u, "no block, 0 bytes: the 4096-byte minimum");
  EXPECT_TRUE(AllBytes(fresh, 0, 4096, Zero), "zero-filled");
  FreeBlock(fresh);

  void* block = PatternBlock(20000);
  EXPECT_TRUE(ReallocateBlock(block, 20000) == block, "the same size gives the same block");
  EXPECT_TRUE(AllBytes(block, 0, 20000, Pattern), "with its content");

  void* grown = ReallocateBlock(block, 40000);
  EXPECT_EQ(BlockSize(grown), 40000u, "grown");
  EXPECT_TRUE(AllBytes(grown, 0, 20000, Pattern), "old records kept");
  EXPECT_TRUE(AllBytes(grown, 20000, 40000, Zero), "new room zero");

  void* shrunk = ReallocateBlock(grown, 8000);
  EXPECT_EQ(BlockSize(shrunk), 8000u, "shrunk to 8000");
  EXPECT_TRUE(AllBytes(shrunk, 0, 8000, Pattern), "first 8000 bytes kept");

  void* small = ReallocateBlock(shrunk, 1000);
  EXPECT_EQ(BlockSize(small), 4096u, "a small request still gets 4096 bytes");
  EXPECT_TRUE(AllBytes(small, 0, 1000, Pattern), "first 1000 bytes kept");
  EXPECT_TRUE(AllBytes(small, 1000, 4096, Zero), "the rest zero");
  FreeBlock(small);
}
