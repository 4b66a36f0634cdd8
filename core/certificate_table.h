// Where a program file's records end when the file may be signed. The
// signing tool appends a certificate table behind the file and names it in
// the image's security data directory; those bytes are no recording.
#ifndef KESTROVA_CERTIFICATE_TABLE_H
#define KESTROVA_CERTIFICATE_TABLE_H

#include <cstdint>

// Where the certificate-table entry (the table's file offset and its size,
// 4 bytes each, little-endian) lies in the n bytes of an image's headers; 0
// when they hold no PE image whose entry lies within them.
std::uint32_t CertificateEntryAt(const std::uint8_t* header, std::uint32_t n);

/*
 * Where the records that start at start end in a file of size bytes whose
 * headers are the n bytes at header: at the certificate table when the entry
 * names one between start and the end of the file, else at the end of the
 * file. The signing tool pads the file with zero bytes to a multiple of 8
 * before the table: the bytes behind the last whole record are left out when
 * they are just that padding, and kept otherwise (the records are then not
 * whole).
 */
std::uint32_t RecordsEnd(const std::uint8_t* header, std::uint32_t n, std::uint32_t size, std::uint32_t start);

#endif
