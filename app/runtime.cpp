// The two memory primitives the compiler may call on its own (for zeroing or
// copying a structure). Only the product links this file; the tests have a
// C runtime. Built with -fno-tree-loop-distribute-patterns, or the loops
// would be turned back into calls to themselves.
#include <cstddef>

extern "C" void* memset(void* dst, int value, std::size_t n) {
  unsigned char* d = static_cast<unsigned char*>(dst);
  while (n--) *d++ = static_cast<unsigned char>(value);
  return dst;
}

extern "C" void* memcpy(void* dst, const void* src, std::size_t n) {
  unsigned char* d = static_cast<unsigned char*>(dst);
  const unsigned char* s = static_cast<const unsigned char*>(src);
  while (n--) *d++ = *s++;
  return dst;
}
