// Zero-filled blocks from the process heap: all the program's working memory.
#ifndef KESTROVA_HEAP_BLOCK_H
#define KESTROVA_HEAP_BLOCK_H

#include <cstdint>

// A zero-filled block of count * size bytes, or none when the heap is short.
void* AllocateBlock(std::uint32_t count, std::uint32_t size);
void FreeBlock(void* block);
// The size the block was obtained with.
std::uint32_t BlockSize(const void* block);
// A zero-filled block of max(size, 4096) bytes holding the start of the old
// block's content; the old block itself when size is its size already. On
// failure none is returned and the old block is left as it was, still the
// caller's.
void* ReallocateBlock(void* block, std::uint32_t size);

#endif
