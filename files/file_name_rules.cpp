#include "files/file_name_rules.h"

#include "core/text.h"
#include "core/text_number.h"

const char kRecordingFilter[] = "记录文件 (*.rec)\0*.rec\0所有文件 (*.*)\0*.*\0\0";
const char kProgramFilter[] = "程序文件 (*.exe)\0*.exe\0所有文件 (*.*)\0*.*\0\0";
const char kRecordingEnding[] = ".rec";
const char kProgramEnding[] = ".exe";
const char kNotRecording[] = "不是一个有效的记录";
const char kSaveFailed[] = "保存失败!";
const char kCompileFailed[] = "编译失败!";
const char kReplaceQuestion[] = "文件已存在。\n要替换它吗?";

namespace {

const char kCompiledHead[] = "编译成功: \"";
const char kCompiledSize[] = "\"\n\n文件大小:  ";

}  // namespace

void AppendWhole(char* dst, std::uint32_t cap, const char* src) {
  std::uint32_t n = TextLength(dst);
  if (n >= cap) return;
  for (std::uint32_t step; *src && n + (step = CharacterBytes(src)) < cap; n += step, src += step) {
    dst[n] = src[0];
    if (step == 2) dst[n + 1] = src[1];
  }
  dst[n] = 0;
}

bool EndsWithNoCase(const char* name, const char* ending) {
  std::uint32_t length = TextLength(name), tail = TextLength(ending);
  if (length < tail) return false;
  name += length - tail;
  for (std::uint32_t i = 0; i < tail; ++i)
    if (LowerAscii(name[i]) != LowerAscii(ending[i])) return false;
  return true;
}

int NameToWrite(char* name, const char* ending) {
  auto start = static_cast<std::uint32_t>(FileNamePart(name) - name);
  std::uint32_t asked = TextLength(name), n = asked;
  // No second byte of a character is a dot or a blank.
  while (n > start && (name[n - 1] == '.' || name[n - 1] == ' ')) name[--n] = 0;
  bool add = !EndsWithNoCase(name, ending);
  if (n == start || NamesDevice(name) || n + (add ? TextLength(ending) : 0) >= kNameCapacity) return kNameRefused;
  if (add) AppendBounded(name, kNameCapacity, ending);
  return add || n != asked ? kNameChanged : kNameAsAsked;
}

void CutEnding(char* name, const char* ending) {
  if (EndsWithNoCase(name, ending)) name[TextLength(name) - TextLength(ending)] = 0;
}

int UnquotePath(char* dst, std::uint32_t cap, const char* tail) {
  std::uint32_t n = 0;
  int whole = 1;
  for (; *tail; ++tail) {
    if (*tail == '"') continue;
    if (n + 1 >= cap) {
      whole = 0;
      break;
    }
    dst[n++] = *tail;
  }
  dst[n] = 0;
  return whole;
}

void ComposeCompiled(char* dst, const char* name, std::uint32_t size) {
  constexpr std::uint32_t kMegabyte = 1048576;
  char tail[32];
  char number[12];
  bool mega = size > kMegabyte;
  IntToText(static_cast<std::int32_t>(mega ? size / kMegabyte : size / 1024), number);
  CopyBounded(tail, sizeof tail, kCompiledSize);
  AppendBounded(tail, sizeof tail, number);
  AppendBounded(tail, sizeof tail, mega ? " MB" : "k");
  CopyBounded(dst, kNameCapacity, kCompiledHead);
  AppendWhole(dst, kNameCapacity - TextLength(tail), name);
  AppendBounded(dst, kNameCapacity, tail);
}
