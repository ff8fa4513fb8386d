// The picture code that needs no platform: centring and the visible part, the decode size limit, the EXIF
// turns, the sizes read from picture heads and the budget they are held to, and the program's own decoder
// for run-length bitmaps. (The orientation tag itself is read in the Wine tests, from real JPEGs in both
// byte orders; the JPEG decoder's test cuts turned pictures through StoredRectFor.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/Orientation.h"
#include "pictures/PictureHeader.h"
#include "pictures/RleBitmap.h"
#include "pictures/VisiblePart.h"
#include "tests/support/PictureBytes.h"

namespace pictavo {
namespace {

using Bytes = std::vector<uint8_t>;
using Format = PictureHeader::Format;

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Cut(Bytes b, size_t size) { return b.resize(size), b; }

// Catches: rounding instead of halving toward zero (odd differences, both signs), floor for negative
// differences, axes mixed up, a large picture cut unequally or from the wrong place, and more kept than shows;
// a decode size check that overflows and lets an absurd header through, or refuses the photos users have.
TEST(VisiblePart, CentresByTheHalvedDifferenceKeepsOnlyTheVisiblePartAndLimitsTheDecodeSize) {
  const struct { int sw, sh, pw, ph; PixelRect onScreen, source; } cases[] = {
      {800, 600, 640, 480, {80, 60, 640, 480}, {0, 0, 640, 480}},
      {800, 600, 1025, 768, {0, 0, 800, 600}, {112, 84, 800, 600}},
      {800, 600, 799, 597, {0, 1, 799, 597}, {0, 0, 799, 597}},
      {800, 600, 801, 603, {0, 0, 800, 600}, {0, 1, 800, 600}},
      {1024, 768, 3000, 100, {0, 334, 1024, 100}, {988, 0, 1024, 100}},
      {1024, 768, 1, 1, {511, 383, 1, 1}, {0, 0, 1, 1}},
  };
  for (const auto& c : cases) {
    const Placement p = PlaceCentred(c.sw, c.sh, c.pw, c.ph);
    EXPECT_EQ(std::pair(p.onScreen, p.source), std::pair(c.onScreen, c.source)) << c.pw << "x" << c.ph;
  }
  EXPECT_TRUE(PlaceCentred(1024, 768, 0, 10).onScreen.Empty());
  const struct { int64_t w, h; bool ok; } sizes[] = {
      {12240, 8160, true}, {16384, 16384, true}, {16384, 16385, false}, {65536, 65536, false},
      {0, 100, false},     {-100, 100, false},   {1, int64_t{1} << 40, false}};
  for (const auto& c : sizes) EXPECT_EQ(DecodeSizeAcceptable(c.w, c.h), c.ok) << c.w << "x" << c.h;
}

// A stored 3x2 picture and how it stands upright for each orientation. Catches: a turn in the wrong
// direction, a mirror on the wrong axis, and sizes not swapped.
TEST(Orientation, TurnsAndMirrorsEveryOrientation) {
  const uint32_t stored[] = {1, 2, 3, 4, 5, 6};
  const std::vector<uint32_t> upright[] = {{1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {6, 5, 4, 3, 2, 1},
                                           {4, 5, 6, 1, 2, 3}, {1, 4, 2, 5, 3, 6}, {4, 1, 5, 2, 6, 3},
                                           {6, 3, 5, 2, 4, 1}, {3, 6, 2, 5, 1, 4}};
  for (int o = 1; o <= 8; ++o) {
    std::vector<uint32_t> out(6, 0);
    OrientPixels(stored, 3, 2, o, out.data(), SwapsAxes(o) ? 2 : 3);
    EXPECT_EQ(out, upright[o - 1]) << "orientation " << o;
  }
}

// Picture heads (as the show reads them: the first kPictureHeadBytes).
Bytes Bmp(uint32_t infoSize, int32_t width, int32_t height, uint32_t bitCount, uint32_t compression = 0) {
  return AsBytes(test::Bmp({width, height, bitCount, compression, infoSize}));
}
Bytes Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
  return AsBytes(test::PngHead(width, height, depth, colourType));
}
// A GIF's screen with a global colour table of 2 << tableBits entries (none when negative), a comment of
// `comment` bytes in sub-blocks of up to 255, then an image descriptor of w x h at (left, top).
Bytes Gif(int screenW, int screenH, int tableBits, size_t comment, int left, int top, int w, int h) {
  Bytes b{'G', 'I', 'F', '8', '9', 'a'};
  for (int v : {screenW, screenH}) test::Put16(b, b.size(), static_cast<uint32_t>(v));
  b.insert(b.end(), {static_cast<uint8_t>(tableBits < 0 ? 0 : 0x80 | tableBits), 0, 0});
  if (tableBits >= 0) b.resize(b.size() + 3 * (size_t{2} << tableBits));
  if (comment > 0) b.insert(b.end(), {0x21, 0xFE});
  for (size_t n; comment > 0; comment -= n) {
    b.push_back(static_cast<uint8_t>(n = std::min<size_t>(comment, 255)));
    b.resize(b.size() + n, 'x');
    if (comment == n) b.push_back(0);  // the terminator after the last sub-block
  }
  b.push_back(0x2C);
  for (int v : {left, top, w, h}) test::Put16(b, b.size(), static_cast<uint32_t>(v));
  return b.push_back(0), b;
}

// A row with width 0 is malformed (refused) for a known format. Catches: a header variant read at the wrong
// offsets, top-down heights taken as negative, the core header's 16-bit sizes read as 32-bit, PNG bytes per
// pixel wrong for a colour type or 16-bit depth, a GIF frame larger than its screen (or the table/extension
// skipped wrongly), a negative or zero width accepted, a cut head read past its end or taken for a good one;
// and the budget: counted in pixels instead of bytes, fewer than 4 bytes counted for a grey or palette
// picture (the decoders' own buffers and the 32-bit copy), 8-byte pixels counted as 4, the limit itself
// refused, the byte count overflowing to a small one, and an unknown format refused (its decoder judges it).
TEST(ReadPictureHeader, SizesFromEachFormatAndVariantAndTheBudget) {
  const struct { const char* what; Bytes head; Format format; int64_t width, height; int bytesPerPixel;
                 bool runLength, refused; } cases[] = {
      {"core", Bmp(12, 300, 200, 24), Format::Bmp, 300, 200, 3, false, false},
      {"core 16-bit sizes", Bmp(12, 60000, 60000, 1), Format::Bmp, 60000, 60000, 1, false, true},
      {"info", Bmp(40, 640, 480, 32), Format::Bmp, 640, 480, 4, false, false},
      {"info top-down", Bmp(40, 640, -480, 16), Format::Bmp, 640, 480, 2, false, false},
      {"v2", Bmp(52, 7, 9, 8), Format::Bmp, 7, 9, 1, false, false},
      {"v3", Bmp(56, 70, 90, 32, 3), Format::Bmp, 70, 90, 4, false, false},
      {"v4, 1 GB once decoded", Bmp(108, 16000, 16000, 1), Format::Bmp, 16000, 16000, 1, false, true},
      {"v5 rle8", Bmp(124, 20, 10, 8, 1), Format::Bmp, 20, 10, 1, true, false},
      {"info rle4", Bmp(40, 20, 10, 4, 2), Format::Bmp, 20, 10, 1, true, false},
      {"rle top-down", Bmp(40, 20, -10, 8, 1), Format::Bmp, 0, 0, 0, false, true},
      {"negative width", Bmp(40, -640, 480, 24), Format::Bmp, 0, 0, 0, false, true},
      {"zero height", Bmp(40, 640, 0, 24), Format::Bmp, 0, 0, 0, false, true},
      {"most negative height", Bmp(40, 10, INT32_MIN, 24), Format::Bmp, 0, 0, 0, false, true},
      {"info size 5", Bmp(5, 10, 10, 24), Format::Bmp, 0, 0, 0, false, true},
      {"cut info", Cut(Bmp(40, 640, 480, 24), 25), Format::Bmp, 0, 0, 0, false, true},
      {"cut core", Cut(Bmp(12, 64, 48, 24), 22), Format::Bmp, 0, 0, 0, false, true},
      {"png grey 2-bit", Png(5, 6, 2, 0), Format::Png, 5, 6, 1, false, false},
      {"png rgb, 96 MiB exactly", Png(4096, 6144, 8, 2), Format::Png, 4096, 6144, 3, false, false},
      {"png grey, a row more", Png(4096, 6145, 8, 0), Format::Png, 4096, 6145, 1, false, true},
      {"png rgba 16", Png(4096, 3073, 16, 6), Format::Png, 4096, 3073, 8, false, true},
      {"png rgba 16, its bytes wrap to 0.5 MB", Png(2147437309, 1073764994, 16, 6), Format::Png, 2147437309,
       1073764994, 8, false, true},
      {"png grey alpha 16", Png(5, 6, 16, 4), Format::Png, 5, 6, 4, false, false},
      {"png palette", Png(5, 6, 4, 3), Format::Png, 5, 6, 1, false, false},
      {"png rgb depth 4", Png(5, 6, 4, 2), Format::Png, 0, 0, 0, false, true},
      {"png palette 16", Png(5, 6, 16, 3), Format::Png, 0, 0, 0, false, true},
      {"png zero width", Png(0, 6, 8, 2), Format::Png, 0, 0, 0, false, true},
      {"png width over 2^31", Png(0x80000000u, 6, 8, 2), Format::Png, 0, 0, 0, false, true},
      {"png cut", Cut(Png(5, 6, 8, 2), 24), Format::Png, 0, 0, 0, false, true},
      {"gif", Gif(100, 50, 7, 0, 0, 0, 100, 50), Format::Gif, 100, 50, 1, false, false},
      {"gif frame beyond screen", Gif(100, 50, -1, 20, 10, 5, 200, 300), Format::Gif, 210, 305, 1, false, false},
      {"gif empty screen", Gif(0, 0, 1, 0, 0, 0, 30, 40), Format::Gif, 30, 40, 1, false, false},
      {"gif long comment", Gif(100, 50, 7, 900, 0, 0, 60000, 60000), Format::Gif, 100, 50, 1, false, false},
      {"gif nothing", Gif(0, 0, 7, 900, 0, 0, 60000, 60000), Format::Gif, 0, 0, 0, false, true},
      {"gif cut", Cut(Gif(100, 50, -1, 0, 0, 0, 1, 1), 12), Format::Gif, 0, 0, 0, false, true},
      {"jpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16}, Format::Unknown, 0, 0, 0, false, false},
      {"one byte B", Bytes{'B'}, Format::Unknown, 0, 0, 0, false, false},
  };
  for (const auto& c : cases) {
    const PictureHeader h = ReadPictureHeader(c.head.data(), std::min(c.head.size(), kPictureHeadBytes));
    EXPECT_EQ(std::tuple(h.format, h.malformed, RefuseBeforeDecoding(h)),
              std::tuple(c.format, c.format != Format::Unknown && c.width == 0, c.refused)) << c.what;
    if (!h.malformed) {
      EXPECT_EQ(std::tuple(h.width, h.height, h.bytesPerPixel, h.runLength),
                std::tuple(c.width, c.height, c.bytesPerPixel, c.runLength)) << c.what;
    }
  }
  EXPECT_EQ(ReadPictureHeader(nullptr, 0).format, Format::Unknown);
}

// A run-length bitmap with a full palette (entry k is test::PaletteColour(k)) unless `colours` says less.
Bytes RleFile(int width, int height, bool fourBit, const Bytes& runs, uint32_t colours = 0) {
  const uint32_t entries = colours ? colours : (fourBit ? 16 : 256);
  Bytes b = AsBytes(test::Bmp({width, height, fourBit ? 4u : 8u, fourBit ? 2u : 1u, 40, entries},
                              std::string(runs.begin(), runs.end())));
  test::Put32(b, 46, colours);  // 0: as many colours as the bit count allows
  return b;
}

// Rows top-down as strings: '.' black, otherwise the palette index as a hex digit.
std::vector<std::string> Rows(const RleBitmap& p) {
  std::vector<std::string> rows(static_cast<size_t>(p.height), std::string(static_cast<size_t>(p.width), '.'));
  for (size_t k = 0; k < p.pixels.size(); ++k)
    if (p.pixels[k] != 0)
      rows[k / p.width][k % p.width] = "0123456789abcdef?"[std::min<uint32_t>((p.pixels[k] & 0xFF) - 1, 16)];
  return rows;
}

// Catches: rows written top-down (RLE rows are bottom-up), end of line or delta leaving stale pixels
// instead of black, delta moving the wrong way, an early end of bitmap filling the rest, RLE4 nibbles
// swapped, absolute runs of odd length not padded to a word (the next code then read out of step), runs
// past the right edge wrapping onto the next line (also many over-long runs and deltas along one line),
// and data cut inside a run read beyond the file.
TEST(DecodeRleBitmap, EscapesRunsAndSkippedPixelsBlack) {
  Bytes longRuns;
  for (int k = 0; k < 100000; ++k) longRuns.insert(longRuns.end(), {255, 1, 0, 2, 255, 0});
  const struct { const char* what; bool fourBit; Bytes runs; std::vector<std::string> rows; } cases[] = {
      {"rle8 runs, end of line, end of bitmap", false, {3, 1, 0, 0, 2, 2, 0, 0, 4, 3, 0, 1},
       {"3333", "22..", "111."}},
      {"rle8 delta", false, {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, {"....", "...2", "1..."}},
      {"rle8 early end", false, {4, 5, 0, 1, 4, 6}, {"....", "....", "5555"}},
      {"rle8 absolute odd, padded", false, {0, 3, 1, 2, 3, 0, 1, 4, 0, 1}, {"....", "....", "1234"}},
      {"rle8 absolute even", false, {0, 4, 9, 8, 7, 6, 0, 0, 1, 1}, {"....", "1...", "9876"}},
      {"rle8 run past the edge", false, {6, 7, 0, 0, 1, 8}, {"....", "8...", "7777"}},
      {"rle8 long runs and deltas", false, longRuns, {"....", "....", "1111"}},
      {"rle8 no end code", false, {2, 9}, {"....", "....", "99.."}},
      {"rle8 cut in absolute run", false, {0, 4, 5, 6}, {"....", "....", "56.."}},
      {"rle8 cut in delta", false, {1, 1, 0, 2, 3}, {"....", "....", "1..."}},
      {"rle4 run alternates nibbles", true, {3, 0x12, 0, 0, 4, 0x34, 0, 1}, {"....", "3434", "121."}},
      {"rle4 absolute odd count, padded", true, {0, 3, 0x56, 0x70, 2, 0x99, 0, 1}, {"....", "....", "5679"}},
      {"rle4 absolute 5, 3 bytes + pad", true, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 1, 0xAA, 0, 1},
       {"....", "a...", "1234"}},
      {"rle4 delta and early end", true, {0, 2, 3, 1, 1, 0xEE, 0, 1}, {"....", "...e", "...."}},
  };
  for (const auto& c : cases) {
    const Bytes file = RleFile(4, 3, c.fourBit, c.runs);
    const auto p = DecodeRleBitmap(file.data(), file.size());
    EXPECT_EQ(p ? Rows(*p) : std::vector<std::string>{"refused"}, c.rows) << c.what;
  }
}

// Catches: a palette of fewer colours than the bit count allows read from the wrong place (or its colours
// in the wrong order), indices past it taken from beyond the palette, and headers that lie about size or
// position accepted (allocation or reads out of bounds), top-down RLE accepted, the budget ignored.
TEST(DecodeRleBitmap, ShortPalettesAndLyingHeadersStayBounded) {
  Bytes two = RleFile(2, 1, false, {1, 1, 1, 2, 0, 1}, 2);
  test::Put32(two, 54 + 4, 0x00ABCDEF);
  const auto p = DecodeRleBitmap(two.data(), two.size());
  EXPECT_EQ(p ? p->pixels : std::vector<uint32_t>{}, (std::vector<uint32_t>{0x00ABCDEF, 0}));
  const Bytes good = RleFile(4, 3, false, {4, 1, 0, 1});
  const auto with = [&](size_t at, uint32_t v) { Bytes f = good; return test::Put32(f, at, v), f; };
  const struct { const char* what; Bytes file; uint64_t budget = kWholeDecodeBudgetBytes; } refused[] = {
      {"60000 x 60000", RleFile(60000, 60000, false, {4, 1, 0, 1})},
      {"width negative", with(18, static_cast<uint32_t>(-4))},
      {"top-down", with(22, static_cast<uint32_t>(-3))},
      {"data offset past the end", with(10, 1u << 30)},
      {"info size past the end", with(14, 1u << 30)},
      {"not rle", with(30, 0)},
      {"rle8 with 4 bits", with(28, 4)},
      {"cut palette", Cut(good, 200)},
      {"cut header", Cut(good, 40)},
      {"over the budget", good, 4 * 4 * 3 - 1},
  };
  for (const auto& r : refused) EXPECT_FALSE(DecodeRleBitmap(r.file.data(), r.file.size(), r.budget)) << r.what;
  EXPECT_FALSE(DecodeRleBitmap(nullptr, 0));
}

}  // namespace
}  // namespace pictavo
