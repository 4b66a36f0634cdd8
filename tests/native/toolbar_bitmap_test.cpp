// Checks the generated toolbar strip. Build with
//   -DASSET_DIR=\"build/gen\"
// (a string literal naming the directory tools/make_assets.py wrote into).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef ASSET_DIR
#error "define ASSET_DIR as a string literal, e.g. -DASSET_DIR=\"build/gen\""
#endif

namespace {

constexpr int kWidth = 112;
constexpr int kHeight = 16;
constexpr int kPicture = 16;
constexpr int kPictures = 7;

struct Rgb {
  int r, g, b;
};

bool IsMask(Rgb c) { return c.r == 240 && c.g == 240 && c.b == 240; }
bool IsBlue(Rgb c) { return c.b >= c.r + 30 && c.b >= c.g + 30; }
bool IsRed(Rgb c) { return c.r >= c.g + 30 && c.r >= c.b + 30; }
bool IsGreen(Rgb c) { return c.g >= c.r + 30 && c.g >= c.b + 30; }
bool IsWhite(Rgb c) { return c.r >= 245 && c.g >= 245 && c.b >= 245; }

class ToolbarBitmap : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ifstream in(std::string(ASSET_DIR) + "/toolbar.bmp", std::ios::binary);
    bytes_ = std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>());
  }

  void SetUp() override {
    ASSERT_GE(bytes_.size(), 54u) << ASSET_DIR "/toolbar.bmp is missing or too short";
  }

  static bool HasPixelData() {
    const size_t stride = (kWidth * 3 + 3) & ~3;
    return bytes_.size() >= U32(10) + stride * kHeight;
  }

  static uint32_t U16(size_t at) { return bytes_[at] | bytes_[at + 1] << 8; }
  static uint32_t U32(size_t at) { return U16(at) | U16(at + 2) << 16; }
  static int32_t I32(size_t at) { return static_cast<int32_t>(U32(at)); }

  // x, y from the top-left corner of the strip; rows are stored bottom-up.
  static Rgb Pixel(int x, int y) {
    const size_t stride = (kWidth * 3 + 3) & ~3;
    const size_t at = U32(10) + (kHeight - 1 - y) * stride + x * 3;
    return Rgb{bytes_[at + 2], bytes_[at + 1], bytes_[at]};
  }

  static std::vector<Rgb> PicturePixels(int picture, bool (*keep)(Rgb)) {
    std::vector<Rgb> out;
    for (int y = 0; y < kPicture; ++y)
      for (int x = 0; x < kPicture; ++x) {
        const Rgb c = Pixel(picture * kPicture + x, y);
        if (!IsMask(c) && (keep == nullptr || keep(c))) out.push_back(c);
      }
    return out;
  }

  static std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> ToolbarBitmap::bytes_;

TEST_F(ToolbarBitmap, HeadersDescribe112By16At24BitsUncompressed) {
  const struct {
    const char* field;
    size_t offset;
    int bytes;  // 2: unsigned 16-bit field, 4: signed 32-bit field
    int64_t expected;
  } fields[] = {
      {"signature", 0, 2, 'B' | 'M' << 8},
      {"info header size", 14, 4, 40},
      {"width", 18, 4, kWidth},
      {"height (positive: bottom-up)", 22, 4, kHeight},
      {"planes", 26, 2, 1},
      {"bits per pixel", 28, 2, 24},
      {"compression", 30, 4, 0},
  };
  for (const auto& f : fields) {
    const int64_t actual = f.bytes == 2 ? static_cast<int64_t>(U16(f.offset)) : I32(f.offset);
    EXPECT_EQ(actual, f.expected) << f.field << " at byte " << f.offset;
  }
  EXPECT_EQ(U32(2), bytes_.size()) << "file size field";
  EXPECT_TRUE(HasPixelData()) << "pixel data runs past the end of the file";
}

TEST_F(ToolbarBitmap, TopLeftPixelIsTheMaskColour) {
  ASSERT_TRUE(HasPixelData());
  const Rgb c = Pixel(0, 0);
  EXPECT_EQ(c.r, 240);
  EXPECT_EQ(c.g, 240);
  EXPECT_EQ(c.b, 240);
}

TEST_F(ToolbarBitmap, EveryPictureHasSomethingToShow) {
  ASSERT_TRUE(HasPixelData());
  const char* const names[kPictures] = {"open",    "save",    "record",   "play",
                                        "compile", "options", "recording"};
  for (int i = 0; i < kPictures; ++i)
    EXPECT_GE(PicturePixels(i, nullptr).size(), 40u)
        << "picture " << i << " (" << names[i] << ") is nearly empty";
}

// Colour content of the pictures whose colour means something: record is
// blue, recording red, play a green button with a white arrow.
TEST_F(ToolbarBitmap, PicturesHaveTheirColours) {
  ASSERT_TRUE(HasPixelData());
  const struct {
    int picture;
    const char* what;
    bool (*is)(Rgb);
    double min_share;  // of the picture's non-mask pixels
  } checks[] = {
      {2, "blue", IsBlue, 0.5},  {2, "red", IsRed, 0.0},  {6, "red", IsRed, 0.5},
      {6, "blue", IsBlue, 0.0},  {3, "green", IsGreen, 0.3}, {3, "white", IsWhite, 0.1},
  };
  for (const auto& c : checks) {
    const double all = PicturePixels(c.picture, nullptr).size();
    const double some = PicturePixels(c.picture, c.is).size();
    ASSERT_GT(all, 0) << "picture " << c.picture;
    if (c.min_share > 0)
      EXPECT_GT(some / all, c.min_share)
          << "picture " << c.picture << ": too few " << c.what << " pixels (" << some << " of "
          << all << ")";
    else
      EXPECT_EQ(some, 0) << "picture " << c.picture << " has " << c.what << " pixels";
  }
}

}  // namespace
