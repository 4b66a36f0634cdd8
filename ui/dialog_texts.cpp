#include "ui/dialog_texts.h"

#include "core/text.h"
#include "core/text_number.h"

const char kHelpCaption[] = "Kestrova v1.45 帮助";
const char kHelpText[] =
    "快速入门指南:\r\n"
    "\r\n"
    "1)按下蓝色按钮开始录制(变为红色)\r\n"
    "2)按下红色按钮停止录制\r\n"
    "3)按下绿色按钮播放\r\n"
    "\r\n"
    "录制也可以运行命令行中进行\r\n"
    "例如:kestrova C:\\recording.rec\r\n"
    "\r\n"
    "\r\n"
    "快捷键:\r\n"
    "\r\n"
    "Ctrl+ Shift+ Alt键+R - >开始/停止录制\r\n"
    "Ctrl+ Shift+ Alt键+P - >开始/停止播放\r\n"
    "O         - >打开\r\n"
    "Enter     - >显示选项\r\n"
    "Enter+R   - >设置重复\r\n";

const char kAboutCaption[] = "关于 Kestrova";
// The first five lines break with LF alone, the rest with CR LF.
const char kAboutText[] =
    "\n"
    "\n"
    "\n"
    "KestrovaC 版本    1.45\n"
    "\n"
    "Copyright (C) 2010 Kestrova\r\n"
    "Free to use and to share.\r\n"
    "构建于:2010年6月10号4时02分51秒\r\n"
    "\r\n"
    "如果你喜欢这个程序,请考虑捐赠我们的网站.\r\n"
    "谢谢!\r\n"
    "\r\n";

const char kRepeatCaption[] = "重复播放";
const char kRepeatPrompt[] = "循环播放数次数:";
const char kWebHost[] = "www.kestrova.net";

void RepeatTextFor(std::int32_t count, char* dst) { IntToText(count < 1 ? 1 : count, dst); }

std::int32_t RepeatCountFromText(const char* text) {
  std::int32_t count = TextToInt(text);
  return count >= 1 ? count : 1;
}

void ComposeWebAddress(bool from_link, char* dst) {
  CopyBounded(dst, kWebTextCapacity, "http://");
  AppendBounded(dst, kWebTextCapacity, kWebHost);
  if (!from_link) AppendBounded(dst, kWebTextCapacity, "/support.php#tools");
}

void ComposeWebFailure(char* dst) {
  CopyBounded(dst, kWebTextCapacity, "无法连接到 \"");
  AppendBounded(dst, kWebTextCapacity, kWebHost);
  AppendBounded(dst, kWebTextCapacity, "\"");
}
