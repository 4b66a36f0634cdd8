#include "core/certificate_table.h"

#include "core/input_event.h"

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::uint32_t CertificateEntryAt(const std::uint8_t* header, std::uint32_t n) {
  // From the "PE\0\0" signature: 24 bytes to the optional header, whose
  // directory count lies at 92 and the certificate table's entry (the fifth)
  // at 128, each 16 bytes further on in a 64-bit image.
  if (n < 64) return 0;
  std::uint32_t pe = ReadU32(header + 0x3c);
  if (pe >= n || n - pe < 24 + 144 + 8 || ReadU32(header + pe) != 0x4550) return 0;
  std::uint32_t optional = pe + 24, magic = header[optional] | header[optional + 1] << 8;
  if (magic != 0x10b && magic != 0x20b) return 0;
  std::uint32_t wide = magic == 0x20b ? 16 : 0;
  return ReadU32(header + optional + 92 + wide) > 4 ? optional + 128 + wide : 0;
}

std::uint32_t RecordsEnd(const std::uint8_t* header, std::uint32_t n, std::uint32_t size, std::uint32_t start) {
  std::uint32_t at = CertificateEntryAt(header, n);
  if (!at) return size;
  std::uint32_t table = ReadU32(header + at);
  if (!ReadU32(header + at + 4) || table < start || table > size) return size;
  std::uint32_t end = table - (table - start) % sizeof(InputEvent);
  return ((end + 7) & ~7u) == table ? end : table;
}
