// Checks the generated hand cursor planes against the picture typed in
// below. Build with -I build/gen after running tools/make_assets.py.
#include <gtest/gtest.h>

#include <string>

#include "cursor_planes.h"

namespace {

constexpr int kSize = 32;
constexpr int kStride = kSize / 8;

// What the cursor must look like: '.' transparent, 'X' black, 'o' white.
// Everything to the right of and below this table is transparent.
const char* const kHand[] = {
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXX..",
    "....XooXooXooXoX.",
    "XXX.XooXooXooXooX",
    "XooXXooooooooXooX",
    "XoooXoooooooooooX",
    ".XooXoooooooooooX",
    "..XoXoooooooooooX",
    "..XoooooooooooooX",
    "...XooooooooooooX",
    "...XoooooooooooX.",
    "....XooooooooooX.",
    "....XooooooooooX.",
    ".....XooooooooX..",
    ".....XooooooooX..",
    ".....XXXXXXXXXX..",
};
constexpr int kHandRows = sizeof(kHand) / sizeof(kHand[0]);
constexpr int kHandCols = 17;

bool Bit(const unsigned char* plane, int row, int col) {
  return (plane[row * kStride + col / 8] >> (7 - col % 8)) & 1;
}

// Decodes one pixel the way the screen shows it; '?' is an inverted pixel.
char Decode(int row, int col) {
  const bool and_bit = Bit(kCursorAndPlane, row, col);
  const bool xor_bit = Bit(kCursorXorPlane, row, col);
  if (and_bit) return xor_bit ? '?' : '.';
  return xor_bit ? 'o' : 'X';
}

char Expected(int row, int col) {
  if (row < kHandRows && col < kHandCols) return kHand[row][col];
  return '.';
}

std::string Where(int row, int col) {
  return "row " + std::to_string(row) + ", column " + std::to_string(col);
}

TEST(CursorPlanes, PlanesAre32RowsOf4Bytes) {
  EXPECT_EQ(sizeof(kCursorAndPlane), 128u);
  EXPECT_EQ(sizeof(kCursorXorPlane), 128u);
}

TEST(CursorPlanes, ExpectedTableIs22RowsOf17) {
  ASSERT_EQ(kHandRows, 22);
  for (int row = 0; row < kHandRows; ++row)
    EXPECT_EQ(std::string(kHand[row]).size(), static_cast<size_t>(kHandCols)) << "row " << row;
}

TEST(CursorPlanes, EveryPixelMatchesTheHand) {
  for (int row = 0; row < kSize; ++row)
    for (int col = 0; col < kSize; ++col)
      EXPECT_EQ(Decode(row, col), Expected(row, col)) << Where(row, col);
}

// The same picture seen region by region, so a failure says which part of
// the cursor went wrong.
struct Region {
  const char* name;
  int row_begin, row_end, col_begin, col_end;
  bool all_transparent;
};

TEST(CursorPlanes, RegionsOutsideTheHandAreTransparentAndNothingIsInverted) {
  const Region regions[] = {
      {"the hand", 0, kHandRows, 0, kHandCols, false},
      {"right of the hand", 0, kHandRows, kHandCols, kSize, true},
      {"below the hand", kHandRows, kSize, 0, kSize, true},
  };
  for (const Region& r : regions) {
    for (int row = r.row_begin; row < r.row_end; ++row) {
      for (int col = r.col_begin; col < r.col_end; ++col) {
        const bool and_bit = Bit(kCursorAndPlane, row, col);
        const bool xor_bit = Bit(kCursorXorPlane, row, col);
        EXPECT_FALSE(and_bit && xor_bit) << r.name << ": inverted pixel at " << Where(row, col);
        if (r.all_transparent) {
          EXPECT_EQ(and_bit, true) << r.name << ": AND bit at " << Where(row, col);
          EXPECT_EQ(xor_bit, false) << r.name << ": XOR bit at " << Where(row, col);
        }
      }
    }
  }
}

TEST(CursorPlanes, HotSpotIsTheFingertip) {
  EXPECT_EQ(kCursorHotX, 5);
  EXPECT_EQ(kCursorHotY, 0);
  EXPECT_EQ(Decode(kCursorHotY, kCursorHotX), 'X') << Where(kCursorHotY, kCursorHotX);
}

}  // namespace
