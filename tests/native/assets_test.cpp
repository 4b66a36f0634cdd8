// The generated resources decoded the way Windows reads them, against the
// art in res/ (ASSET_DIR names the folder tools/make_assets.py wrote into).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cursor_planes.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Assets, CursorPlanesShowTheHandOfTheArt) {
  std::vector<std::string> art;
  std::ifstream in("res/hand_cursor.txt");
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') art.push_back(line);
  ASSERT_EQ(art.size(), 22u) << "res/hand_cursor.txt, read from the repository root";
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int at = y * 4 + x / 8, bit = 0x80 >> (x % 8);
      const bool and_bit = kCursorAndPlane[at] & bit, xor_bit = kCursorXorPlane[at] & bit;
      const char shown = and_bit ? (xor_bit ? '?' : '.') : (xor_bit ? 'o' : 'X');  // '?': inverted
      const char want = y < 22 && x < static_cast<int>(art[y].size()) ? art[y][x] : '.';
      EXPECT_EQ(shown, want) << "row " << y << ", column " << x;
    }
  EXPECT_EQ(kCursorHotY, 0) << "the fingertip";
  EXPECT_EQ(kCursorHotX, static_cast<int>(art[0].find('X')));
}

TEST(Assets, ToolbarStripIsA24BitBitmapWithColouredPictures) {
  const std::string bmp = ReadFile(std::string(ASSET_DIR) + "/toolbar.bmp");
  ASSERT_GE(bmp.size(), 54u);
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8 |
                                      static_cast<unsigned char>(bmp[at + 2]) << 16 |
                                      static_cast<unsigned char>(bmp[at + 3]) << 24);
  };
  // "BM", its size, a 40-byte header, 112 by 16 (bottom-up), one plane of 24 bits, uncompressed.
  EXPECT_EQ(bmp.substr(0, 2) + " " + std::to_string(u32(2) - bmp.size()) + " " + std::to_string(u32(14)) + " " +
                std::to_string(u32(18)) + "x" + std::to_string(u32(22)) + " " + std::to_string(u32(26)) + " " +
                std::to_string(u32(30)), "BM 0 40 112x16 " + std::to_string(1 | 24 << 16) + " 0");
  ASSERT_GE(bmp.size(), u32(10) + 16 * 336u) << "pixel rows of 336 bytes";
  // Picture 2 (record) is blue, 6 (recording) red, 3 (play) green with a
  // white arrow: what the help text calls them.
  struct Check {
    int picture;
    const char* what;
    int min_percent, max_percent;
  } checks[] = {{2, "blue", 50, 100}, {2, "red", 0, 0}, {6, "red", 50, 100}, {3, "green", 30, 100}, {3, "white", 10, 100}};
  for (const Check& c : checks) {
    int all = 0, some = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 16 * c.picture; x < 16 * c.picture + 16; ++x) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bmp.data()) + u32(10) + y * 336 + x * 3;
        const int b = p[0], g = p[1], r = p[2], what = c.what[0];
        all += !(r == 240 && g == 240 && b == 240);  // not the mask colour
        some += what == 'b' ? b >= r + 30 && b >= g + 30 : what == 'r' ? r >= g + 30 && r >= b + 30
              : what == 'g' ? g >= r + 30 && g >= b + 30 : r >= 245 && g >= 245 && b >= 245;
      }
    EXPECT_TRUE(some * 100 >= c.min_percent * all && some * 100 <= c.max_percent * all)
        << "picture " << c.picture << ": " << some << " " << c.what << " of " << all;
  }
}
