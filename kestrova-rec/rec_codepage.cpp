#include "kestrova-rec/rec_codepage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32
constexpr UINT kChinese = 936;

// Through UTF-16, as Windows converts; a character the target lacks fails
// rather than turning into a question mark or a look-alike.
bool Convert(UINT from, UINT to, std::string_view in, std::string& out) {
  out.clear();
  if (in.empty()) return true;
  std::wstring wide(in.size(), L'\0');
  int n = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), &wide[0],
                              static_cast<int>(wide.size()));
  if (n <= 0) return false;
  out.resize(4 * static_cast<std::size_t>(n));
  BOOL defaulted = FALSE;
  int m = WideCharToMultiByte(to, to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(), n, &out[0],
                              static_cast<int>(out.size()), nullptr, to == CP_UTF8 ? nullptr : &defaulted);
  out.resize(m > 0 ? static_cast<std::size_t>(m) : 0);
  return m > 0 && !defaulted;
}
#else
// One converter each way, opened once: glibc loads its tables on the first.
bool Convert(iconv_t converter, std::string_view in, std::string& out) {
  out.assign(4 * in.size(), '\0');
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* from = const_cast<char*>(in.data());
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  std::size_t done = iconv(converter, &from, &left, &to, &room);
  out.resize(out.size() - room);
  return done != static_cast<std::size_t>(-1) && left == 0;
}
#endif

}  // namespace

bool Cp936ToUtf8(std::string_view bytes, std::string& utf8) {
#ifdef _WIN32
  return Convert(kChinese, CP_UTF8, bytes, utf8);
#else
  static const iconv_t converter = iconv_open("UTF-8", "CP936");
  return Convert(converter, bytes, utf8);
#endif
}

bool Utf8ToCp936(std::string_view utf8, std::string& bytes) {
#ifdef _WIN32
  return Convert(CP_UTF8, kChinese, utf8, bytes);
#else
  static const iconv_t converter = iconv_open("CP936", "UTF-8");
  return Convert(converter, utf8, bytes);
#endif
}
