#include "core/heap_block.h"

#include <windows.h>

void* AllocateBlock(std::uint32_t count, std::uint32_t size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(count) * size);
}

void FreeBlock(void* block) { HeapFree(GetProcessHeap(), 0, block); }

std::uint32_t BlockSize(const void* block) { return static_cast<std::uint32_t>(HeapSize(GetProcessHeap(), 0, block)); }

void* ReallocateBlock(void* block, std::uint32_t size) {
  constexpr std::uint32_t kMinimum = 4096;
  std::uint32_t old_size = block ? BlockSize(block) : 0;
  if (block && size == old_size) return block;
  void* fresh = AllocateBlock(size < kMinimum ? kMinimum : size, 1);
  if (!fresh) return nullptr;
  if (block) {
    CopyMemory(fresh, block, size < old_size ? size : old_size);
    FreeBlock(block);
  }
  return fresh;
}
