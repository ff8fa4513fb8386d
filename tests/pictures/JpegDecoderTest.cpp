// The JPEG decoder against a whole decode of the same file by libjpeg alone: for generated pictures of every
// layout the show meets, on screens larger and smaller than the picture, in all eight orientations, the
// visible part must be the same pixels. Then the colour order, and cut, garbage and lying files.
#include "pictures/JpegDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "pictures/Orientation.h"
#include "tests/pictures/JpegTestFiles.h"

namespace pictavo {
namespace {

using Bytes = std::vector<uint8_t>;

// A picture with detail everywhere, so that a shifted or mirrored pixel shows.
Bytes Encode(const test::JpegLayout& l, int orientation) {
  return test::EncodeJpeg(l, orientation, [](int x, int y, int ch) {
    return static_cast<uint8_t>((x * 7 + y * 13 + ch * 71 + ((x ^ y) & 31) * 3) & 0xFF);
  });
}

// The reference: every pixel of the stored picture, 0x00RRGGBB, by libjpeg alone (CMYK turned into BGRX
// as the show does, from Adobe's inverted CMYK: each channel times K).
std::vector<uint32_t> WholeDecode(const Bytes& file, int& width, int& height) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, file.data(), file.size());
  jpeg_read_header(&d, TRUE);
  const bool cmyk = d.jpeg_color_space == JCS_YCCK || d.jpeg_color_space == JCS_CMYK;
  d.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&d);
  width = static_cast<int>(d.output_width), height = static_cast<int>(d.output_height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (JSAMPROW r; d.output_scanline < d.output_height; jpeg_read_scanlines(&d, &r, 1))
    r = reinterpret_cast<JSAMPROW>(pixels.data() + static_cast<size_t>(d.output_scanline) * width);
  jpeg_destroy_decompress(&d);
  for (uint32_t& p : pixels) {
    const uint32_t c = p & 0xFF, m = p >> 8 & 0xFF, y = p >> 16 & 0xFF, k = p >> 24;
    p = cmyk ? (y * k + 127) / 255 | ((m * k + 127) / 255) << 8 | ((c * k + 127) / 255) << 16 : p & 0xFFFFFF;
  }
  return pixels;
}

// Where the first marker FF `code` from `from` on lies in a file.
size_t FindMarker(const Bytes& file, uint8_t code, long from = 0) {
  const uint8_t marker[] = {0xFF, code};
  return static_cast<size_t>(std::search(file.begin() + from, file.end(), marker, marker + 2) - file.begin());
}

JpegOutcome Decode(const Bytes& file, int screenWidth, int screenHeight, test::MemoryTarget& target, JpegPart& part) {
  test::MemorySource source(file.data(), file.size());
  return DecodeJpegPart(source, screenWidth, screenHeight, target, part);
}

// The visible part of the reference, turned upright, compared pixel for pixel; the first difference is named.
void ExpectSameAsWholeDecode(const Bytes& file, int orientation, int screenWidth, int screenHeight,
                             const std::string& what) {
  int w = 0, h = 0;
  const std::vector<uint32_t> whole = WholeDecode(file, w, h);
  const bool swap = SwapsAxes(orientation);
  const Placement placement = PlaceCentred(screenWidth, screenHeight, swap ? h : w, swap ? w : h);
  test::MemoryTarget target;
  JpegPart part;
  ASSERT_EQ(Decode(file, screenWidth, screenHeight, target, part), JpegOutcome::Decoded) << what;
  ASSERT_TRUE(part.onScreen == placement.onScreen && part.orientation == orientation && part.width == (swap ? h : w) &&
              part.warnings == 0)
      << what << ": orientation " << part.orientation << ", width " << part.width << ", warnings " << part.warnings;
  for (int y = 0; y < placement.onScreen.height; ++y)
    for (int x = 0; x < placement.onScreen.width; ++x) {
      const StoredPoint s = StoredPointFor(placement.source.left + x, placement.source.top + y, w, h, orientation);
      if (target.At(part, x, y) != whole[static_cast<size_t>(s.y) * w + s.x])
        FAIL() << what << ": visible pixel (" << x << ", " << y << ") is " << std::hex << target.At(part, x, y)
               << ", the whole decode has " << whole[static_cast<size_t>(s.y) * w + s.x];
    }
}

// Catches: rows above the visible part skipped by the wrong count, columns cropped from the wrong place (or
// without the margin the chroma upsampling needs), a turned or mirrored strip put in the wrong place, the
// part cut from the wrong end of a turned picture, the Exif orientation not applied, colour channels in the
// wrong order or CMYK turned into BGRX wrongly, and a layout (grey, progressive, restarts, arithmetic) lost.
TEST(JpegDecoder, VisiblePartIsTheWholeDecodesPixelsForEveryLayoutScreenAndOrientation) {
  const test::JpegLayout layouts[] = {
      {"4:4:4", 203, 157, JCS_RGB, 1, 1},
      {"4:2:0 odd size", 301, 219, JCS_RGB, 2, 2},
      {"4:2:2", 250, 131, JCS_RGB, 2, 1},
      {"greyscale", 177, 143, JCS_GRAYSCALE, 1, 1},
      {"CMYK", 149, 121, JCS_CMYK, 2, 2},
      {"progressive 4:2:0", 263, 189, JCS_RGB, 2, 2, true},
      {"restart markers", 233, 171, JCS_RGB, 2, 2, false, 1},
      {"arithmetic", 199, 145, JCS_RGB, 2, 1, false, 0, true},
  };
  // Screens smaller than the picture in both directions, in one, larger, and (0 x 0) of the picture's size.
  const struct { int width, height; } screens[] = {{96, 64}, {131, 300}, {350, 77}, {400, 400}, {0, 0}};
  for (const test::JpegLayout& layout : layouts)
    for (int orientation = 1; orientation <= 8; ++orientation) {
      const Bytes file = Encode(layout, orientation);
      const bool swap = SwapsAxes(orientation);
      for (auto [sw, sh] : screens) {
        if (sw == 0) sw = swap ? layout.height : layout.width, sh = swap ? layout.width : layout.height;
        ExpectSameAsWholeDecode(file, orientation, sw, sh,
                                std::string(layout.name) + ", orientation " + std::to_string(orientation) +
                                    ", screen " + std::to_string(sw) + "x" + std::to_string(sh));
      }
    }
}

// Flat colours, so that the expected bytes are known without the reference decoder. Catches: red and blue
// swapped, grey not spread to all three channels, Adobe's inverted CMYK taken as plain (both in the
// decoder and in the reference above).
TEST(JpegDecoder, ColoursLandInBlueGreenRedOrder) {
  const struct { const char* what; J_COLOR_SPACE space; uint8_t in[4]; uint32_t expected; } cases[] = {
      {"red", JCS_RGB, {255, 0, 0, 0}, 0xFF0000},
      {"grey", JCS_GRAYSCALE, {200, 0, 0, 0}, 0xC8C8C8},
      {"no ink (inverted CMYK)", JCS_CMYK, {255, 255, 255, 255}, 0xFFFFFF},
      {"full cyan (inverted CMYK)", JCS_CMYK, {0, 255, 255, 255}, 0x00FFFF},
  };
  for (const auto& c : cases) {
    const Bytes file =
        test::EncodeJpeg({c.what, 16, 16, c.space, 1, 1}, 1, [&](int, int, int ch) { return c.in[ch]; }, 100);
    test::MemoryTarget target;
    JpegPart part;
    ASSERT_EQ(Decode(file, 16, 16, target, part), JpegOutcome::Decoded) << c.what;
    for (int shift : {0, 8, 16})
      EXPECT_LE(std::abs(int(target.At(part, 8, 8) >> shift & 0xFF) - int(c.expected >> shift & 0xFF)), 3) << c.what;
  }
}

// A file cut inside its scan, its data keeping `kept` percent, or bytes overwritten in one restart
// interval (16 x 16 MCUs, 15 to a row), against libjpeg's whole decode of the same file. Catches: the rows a
// cut file holds not shown (or the file refused), the rows it lacks left grey (libjpeg's fill) instead of
// black, the black put on the wrong side of a turned photo, the cut not counted as a warning, and a file
// whose data ends above the visible part shown as a grey picture instead of refused; the rows after the next
// restart marker left black, the picture refused when the damage lies above the screen's part, the damaged
// interval's garbage shown, MCUs of other intervals blackened (an interval across two MCU rows, a turned
// photo), and damage to the interval at the screen's bottom edge missed.
TEST(JpegDecoder, ADamagedFileShowsWhatItHoldsAndBlackForTheRest) {
  const struct { int orientation, kept, screenHeight; JpegOutcome outcome; int interval = 0, damaged = 0; } cases[] = {
      {1, 33, 240, JpegOutcome::Decoded},  // the top third kept, the rest black
      {6, 33, 240, JpegOutcome::Decoded},  // turned a quarter clockwise: the stored top is the right side
      {1, 25, 60, JpegOutcome::Failed},    // the screen shows rows 90 to 150, the file holds about 60
      {1, 0, 240, JpegOutcome::Failed},    // no row at all
      // Restart intervals of `interval` MCUs, the one numbered `damaged` (from 0) overwritten:
      {1, 100, 240, JpegOutcome::Decoded, 15, 7},   // an MCU row each: garbage, a false marker, grey
      {1, 100, 60, JpegOutcome::Decoded, 15, 2},    // bad codes, then garbage; the screen shows rows below
      {6, 100, 240, JpegOutcome::Decoded, 4, 3},    // MCUs 12 to 15, across two MCU rows, end early
      {1, 100, 200, JpegOutcome::Decoded, 15, 13},  // rows 208 to 223 end early, seen down to row 219
  };
  for (const auto& c : cases) {
    Bytes file = Encode({"baseline", 240, 240, JCS_RGB, 2, 2, false, 0, false, c.interval}, c.orientation);
    size_t at = FindMarker(file, 0xDA);
    for (int k = 0; k < c.damaged; ++k) at = FindMarker(file, static_cast<uint8_t>(0xD0 + k % 8), long(at)) + 2;
    // Interval 2 gets stuffed FF bytes: one bits, which no Huffman code is made of.
    for (size_t i = at; c.interval && i < at + 60; ++i)
      file[i] = c.damaged == 2 ? ((i - at) % 2 ? 0x00 : 0xFF) : file[i] ^ 0x5A;
    file.resize(at + 20 + (file.size() - at - 20) * static_cast<size_t>(c.kept) / 100);
    test::MemoryTarget target;
    JpegPart part;
    ASSERT_EQ(Decode(file, 240, c.screenHeight, target, part), c.outcome) << c.orientation << " " << c.damaged;
    if (c.outcome != JpegOutcome::Decoded) continue;
    EXPECT_GT(part.warnings, 0);
    int w = 0, h = 0;
    const std::vector<uint32_t> whole = WholeDecode(file, w, h);
    for (int y = 0; y < c.screenHeight; ++y)
      for (int x = 0; x < 240; ++x) {
        // A cut file's stored rows 0 to 47 are well inside the third it holds; its last row is black.
        const StoredPoint s = StoredPointFor(x, (240 - c.screenHeight) / 2 + y, w, h, c.orientation);
        const bool black = c.interval ? (s.y / 16 * 15 + s.x / 16) / c.interval == c.damaged : s.y == 239;
        if (!c.interval && s.y >= 48 && !black) continue;
        ASSERT_EQ(target.At(part, x, y), black ? 0u : whole[static_cast<size_t>(s.y) * w + s.x])
            << c.orientation << " " << c.damaged << ": " << x << "," << y;
      }
  }
}

// Catches: a file that is not a JPEG taken for one (or an empty one read), garbage or a header alone shown,
// and a frame claiming 65000 x 65000 (17 GB of pixels) allocated instead of refused from its header.
TEST(JpegDecoder, GarbageAndLyingHeadersAreRefusedWithoutHarm) {
  const Bytes good = Encode({"small", 64, 48, JCS_RGB, 2, 2}, 1);
  Bytes huge = good, noise = {0xFF, 0xD8, 0xFF};
  const size_t frame = FindMarker(huge, 0xC0);
  test::PutBe(huge, frame + 5, 65000, 2), test::PutBe(huge, frame + 7, 65000, 2);
  for (uint32_t i = 0; i < 5000; ++i) noise.push_back(static_cast<uint8_t>(i * 2654435761u >> 24));
  const struct { const char* what; Bytes file; JpegOutcome outcome; } cases[] = {
      {"png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, JpegOutcome::NotJpeg},
      {"empty", {}, JpegOutcome::NotJpeg},
      {"noise", noise, JpegOutcome::Failed},
      {"header only", Bytes(good.begin(), good.begin() + 20), JpegOutcome::Failed},
      {"65000 x 65000", huge, JpegOutcome::Refused},
  };
  for (const auto& c : cases) {
    test::MemoryTarget target;
    JpegPart part;
    const JpegOutcome outcome = Decode(c.file, 100, 100, target, part);
    EXPECT_EQ(std::tuple(outcome, target.pixels.size(), part.width), std::tuple(c.outcome, size_t{0}, 0)) << c.what;
  }
}

}  // namespace
}  // namespace pictavo
