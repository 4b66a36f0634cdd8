// The program keeps window titles and classes as Windows' Chinese code page
// (936) has them; the text form is UTF-8. These convert between the two with
// the system's own tables: iconv's CP936 (glibc's GBK converter) on Linux, the
// code page functions on Windows.
#ifndef KESTROVA_REC_CODEPAGE_H
#define KESTROVA_REC_CODEPAGE_H

#include <string>
#include <string_view>

// The code page 936 bytes as UTF-8; false when a byte sequence has no
// character there.
bool Cp936ToUtf8(std::string_view bytes, std::string& utf8);

// The UTF-8 text as code page 936 bytes; false when it is no UTF-8 or holds
// a character that code page lacks (never a stand-in for it).
bool Utf8ToCp936(std::string_view utf8, std::string& bytes);

#endif
