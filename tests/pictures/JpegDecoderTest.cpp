// The JPEG decoder against a whole decode of the same file: for generated pictures of every layout the show
// meets, on screens larger and smaller than the picture, in all eight orientations, the visible part must be
// the same pixels. Then the colour order, and cut, garbage and lying files.
#include "pictures/JpegDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pictures/Orientation.h"
#include "tests/pictures/JpegTestEncoder.h"
#include "tests/pictures/JpegTestIo.h"

extern "C" {
#include <jpeglib.h>
}

namespace pictavo {
namespace {

using test::EncodeJpeg;
using Layout = test::JpegLayout;

// A picture with detail everywhere, so that a shifted or mirrored pixel shows.
uint8_t Sample(int x, int y, int channel) {
  return static_cast<uint8_t>((x * 7 + y * 13 + channel * 71 + ((x ^ y) & 31) * 3) & 0xFF);
}

std::vector<uint8_t> Encode(const Layout& l, int orientation) { return EncodeJpeg(l, orientation, Sample); }

// The reference: every pixel of the stored picture, by libjpeg alone (CMYK turned into BGRX as the show does).
std::vector<uint32_t> WholeDecode(const std::vector<uint8_t>& file, int& width, int& height) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, file.data(), file.size());
  jpeg_read_header(&d, TRUE);
  const bool cmyk = d.jpeg_color_space == JCS_YCCK || d.jpeg_color_space == JCS_CMYK;
  d.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&d);
  width = static_cast<int>(d.output_width);
  height = static_cast<int>(d.output_height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  while (d.output_scanline < d.output_height) {
    JSAMPROW r = reinterpret_cast<JSAMPROW>(pixels.data() + static_cast<size_t>(d.output_scanline) * width);
    jpeg_read_scanlines(&d, &r, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  if (cmyk) {
    for (uint32_t& p : pixels) {  // Adobe's inverted CMYK: each channel times K
      const uint32_t c = p & 0xFF, m = p >> 8 & 0xFF, y = p >> 16 & 0xFF, k = p >> 24;
      p = (y * k + 127) / 255 | ((m * k + 127) / 255) << 8 | ((c * k + 127) / 255) << 16;
    }
  }
  return pixels;
}

using test::MemorySource;
using VectorTarget = test::MemoryTarget;

JpegOutcome Decode(const std::vector<uint8_t>& file, int screenWidth, int screenHeight, VectorTarget& target,
                   JpegPart& part) {
  MemorySource source(file.data(), file.size());
  return DecodeJpegPart(source, screenWidth, screenHeight, target, part);
}

// The visible part of the reference, turned upright, compared pixel for pixel; the first difference is named.
void ExpectSameAsWholeDecode(const std::vector<uint8_t>& file, int orientation, int screenWidth, int screenHeight,
                             const std::string& what) {
  int w = 0, h = 0;
  const std::vector<uint32_t> whole = WholeDecode(file, w, h);
  const bool swap = SwapsAxes(orientation);
  const Placement placement = PlaceCentred(screenWidth, screenHeight, swap ? h : w, swap ? w : h);
  VectorTarget target;
  JpegPart part;
  ASSERT_EQ(Decode(file, screenWidth, screenHeight, target, part), JpegOutcome::Decoded) << what;
  ASSERT_EQ(part.onScreen, placement.onScreen) << what;
  ASSERT_EQ(part.orientation, orientation) << what;
  ASSERT_EQ(part.width, swap ? h : w) << what;
  ASSERT_EQ(part.warnings, 0) << what;
  for (int y = 0; y < placement.onScreen.height; ++y) {
    for (int x = 0; x < placement.onScreen.width; ++x) {
      const StoredPoint s = StoredPointFor(placement.source.left + x, placement.source.top + y, w, h, orientation);
      const uint32_t expected = whole[static_cast<size_t>(s.y) * w + s.x] & 0xFFFFFF;
      if (target.At(part, x, y) != expected) {
        FAIL() << what << ": visible pixel (" << x << ", " << y << ") is " << std::hex << target.At(part, x, y)
               << ", the whole decode has " << expected;
      }
    }
  }
}

const Layout kLayouts[] = {
    {"4:4:4", 203, 157, JCS_RGB, 1, 1},
    {"4:2:0 odd size", 301, 219, JCS_RGB, 2, 2},
    {"4:2:2", 250, 131, JCS_RGB, 2, 1},
    {"greyscale", 177, 143, JCS_GRAYSCALE, 1, 1},
    {"CMYK", 149, 121, JCS_CMYK, 2, 2},
    {"progressive 4:2:0", 263, 189, JCS_RGB, 2, 2, true},
    {"restart markers", 233, 171, JCS_RGB, 2, 2, false, 1},
    {"arithmetic", 199, 145, JCS_RGB, 2, 1, false, 0, true},
};

// Screens smaller than the picture in both directions, in one, of the same size, and larger.
const struct {
  int width, height;
} kScreens[] = {{96, 64}, {131, 300}, {350, 77}, {400, 400}};

TEST(JpegDecoder, VisiblePartIsTheWholeDecodesPixelsForEveryLayoutScreenAndOrientation) {
  for (const Layout& layout : kLayouts) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      const std::vector<uint8_t> file = Encode(layout, orientation);
      for (const auto& screen : kScreens)
        ExpectSameAsWholeDecode(file, orientation, screen.width, screen.height,
                                std::string(layout.name) + ", orientation " + std::to_string(orientation) + ", screen " +
                                    std::to_string(screen.width) + "x" + std::to_string(screen.height));
      // The exact size of the picture, which puts it at (0, 0) whole.
      const bool swap = SwapsAxes(orientation);
      ExpectSameAsWholeDecode(file, orientation, swap ? layout.height : layout.width,
                              swap ? layout.width : layout.height, std::string(layout.name) + " at its own size");
    }
  }
}

// Flat colours, so that the expected bytes are known without the reference decoder.
TEST(JpegDecoder, ColoursLandInBlueGreenRedOrder) {
  const struct {
    const char* what;
    J_COLOR_SPACE space;
    uint8_t in[4];
    uint32_t expected;  // 0x00RRGGBB
  } cases[] = {
      {"red", JCS_RGB, {255, 0, 0, 0}, 0xFF0000},
      {"blue", JCS_RGB, {0, 0, 255, 0}, 0x0000FF},
      {"grey", JCS_GRAYSCALE, {200, 0, 0, 0}, 0xC8C8C8},
      {"no ink (inverted CMYK)", JCS_CMYK, {255, 255, 255, 255}, 0xFFFFFF},
      {"full cyan (inverted CMYK)", JCS_CMYK, {0, 255, 255, 255}, 0x00FFFF},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> file =
        EncodeJpeg({c.what, 16, 16, c.space, 1, 1}, 1, [&](int, int, int ch) { return c.in[ch]; }, 100);

    VectorTarget target;
    JpegPart part;
    ASSERT_EQ(Decode(file, 16, 16, target, part), JpegOutcome::Decoded) << c.what;
    const uint32_t got = target.At(part, 8, 8);
    for (int shift : {0, 8, 16}) {
      const int a = static_cast<int>(got >> shift & 0xFF), b = static_cast<int>(c.expected >> shift & 0xFF);
      EXPECT_LE(std::abs(a - b), 3) << c.what << std::hex << ": got " << got;
    }
  }
}

TEST(JpegDecoder, AFileCutShortShowsTheRowsItHolds) {
  const Layout layout{"baseline", 240, 240, JCS_RGB, 2, 2};
  const std::vector<uint8_t> file = Encode(layout, 1);
  int w = 0, h = 0;
  const std::vector<uint32_t> whole = WholeDecode(file, w, h);
  const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(file.size() / 2));
  VectorTarget target;
  JpegPart part;
  ASSERT_EQ(Decode(cut, 240, 240, target, part), JpegOutcome::Decoded);
  EXPECT_GT(part.warnings, 0);
  for (int y = 0; y < 48; ++y)  // well inside the half that is there
    for (int x = 0; x < 240; ++x) ASSERT_EQ(target.At(part, x, y), whole[static_cast<size_t>(y) * w + x] & 0xFFFFFF);
}

// Catches: the rows a cut file lacks left grey (libjpeg's fill) instead of black, the black put on the wrong
// side of a turned photo, and a file whose data ends above the visible part shown as a grey picture instead
// of refused.
TEST(JpegDecoder, RowsACutFileLacksAreBlackAndAFileWithNoVisibleRowFails) {
  const struct { int orientation, keptPercent, screenHeight; JpegOutcome outcome; } cases[] = {
      {1, 33, 240, JpegOutcome::Decoded},  // the top third kept, the rest black
      {6, 33, 240, JpegOutcome::Decoded},  // turned a quarter clockwise: the stored top is the right side
      {1, 25, 60, JpegOutcome::Failed},    // the screen shows rows 90 to 150, the file holds about 60
      {1, 0, 240, JpegOutcome::Failed},    // no row at all
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> file = Encode({"baseline", 240, 240, JCS_RGB, 2, 2}, c.orientation);
    size_t scan = 0;
    while (scan + 1 < file.size() && !(file[scan] == 0xFF && file[scan + 1] == 0xDA)) ++scan;
    const size_t keep = scan + 20 + (file.size() - scan - 20) * static_cast<size_t>(c.keptPercent) / 100;
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(keep));
    VectorTarget target;
    JpegPart part;
    ASSERT_EQ(Decode(cut, 240, c.screenHeight, target, part), c.outcome) << c.orientation << " " << c.keptPercent;
    if (c.outcome != JpegOutcome::Decoded) continue;
    const bool turned = c.orientation == 6;
    int keptBlack = 0, lostBlack = 0;
    for (int i = 0; i < 240; ++i) {
      keptBlack += target.At(part, turned ? 239 : i, turned ? i : 0) == 0;
      lostBlack += target.At(part, turned ? 0 : i, turned ? i : 239) == 0;
    }
    EXPECT_EQ(keptBlack, 0) << c.orientation;
    EXPECT_EQ(lostBlack, 240) << c.orientation;
  }
}

TEST(JpegDecoder, GarbageAndLyingHeadersAreRefusedWithoutHarm) {
  const std::vector<uint8_t> good = Encode({"small", 64, 48, JCS_RGB, 2, 2}, 1);
  // Start of frame claiming 65000 x 65000 (the frame marker's size bytes patched).
  std::vector<uint8_t> huge = good;
  for (size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 0xFD;
      huge[i + 6] = huge[i + 8] = 0xE8;
      break;
    }
  }
  std::vector<uint8_t> noise = {0xFF, 0xD8, 0xFF};
  for (int i = 0; i < 5000; ++i) noise.push_back(static_cast<uint8_t>(i * 2654435761u >> 24));
  const std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 20);
  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

  VectorTarget target;
  JpegPart part;
  EXPECT_EQ(Decode(png, 100, 100, target, part), JpegOutcome::NotJpeg);
  EXPECT_EQ(Decode({}, 100, 100, target, part), JpegOutcome::NotJpeg);
  EXPECT_EQ(Decode(noise, 100, 100, target, part), JpegOutcome::Failed);
  EXPECT_EQ(Decode(headerOnly, 100, 100, target, part), JpegOutcome::Failed);
  // 65000 x 65000 is 17 GB of pixels: refused from the header, nothing allocated.
  target.pixels.clear();
  EXPECT_EQ(Decode(huge, 100, 100, target, part), JpegOutcome::Refused);
  EXPECT_TRUE(target.pixels.empty());
  EXPECT_EQ(part.width, 0);
}

}  // namespace
}  // namespace pictavo
