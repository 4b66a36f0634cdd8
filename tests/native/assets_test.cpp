// The generated cursor decoded the way Windows reads it, against the art in
// res/. (The toolbar's pictures are seen on the screen end to end.)
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cursor_planes.h"

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
