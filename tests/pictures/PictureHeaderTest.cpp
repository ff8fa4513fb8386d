// The sizes read from picture heads before any decoder sees them, and the budget that refuses a whole
// decode too large for the show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/PictureHeader.h"
#include "tests/support/PictureBytes.h"

namespace pictavo {
namespace {

using Bytes = std::vector<uint8_t>;
using Format = PictureHeader::Format;

using test::Put16;

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
// A BMP head with an info header of infoSize bytes (12: the core header with 16-bit sizes).
Bytes Bmp(uint32_t infoSize, int32_t width, int32_t height, uint32_t bitCount, uint32_t compression = 0) {
  return AsBytes(test::Bmp({width, height, bitCount, compression, infoSize}));
}
Bytes Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
  return AsBytes(test::PngHead(width, height, depth, colourType));
}

// A GIF with an optional global colour table of 2^(tableBits+1) entries, one extension of extLength
// bytes, then an image descriptor at (left, top) of w x h.
Bytes Gif(int screenW, int screenH, int tableBits, size_t extLength, int left, int top, int w, int h) {
  Bytes b{'G', 'I', 'F', '8', '9', 'a'};
  Put16(b, 6, static_cast<uint32_t>(screenW));
  Put16(b, 8, static_cast<uint32_t>(screenH));
  b.push_back(tableBits < 0 ? 0 : static_cast<uint8_t>(0x80 | tableBits));
  b.insert(b.end(), {0, 0});
  if (tableBits >= 0) b.resize(b.size() + 3 * (size_t{2} << tableBits));
  if (extLength > 0) {
    b.insert(b.end(), {0x21, 0xFE});
    for (size_t left = extLength; left > 0;) {
      const size_t n = std::min<size_t>(left, 255);
      b.push_back(static_cast<uint8_t>(n));
      b.resize(b.size() + n, 'x');
      left -= n;
    }
    b.push_back(0);
  }
  const size_t at = b.size();
  b.push_back(0x2C);
  Put16(b, at + 1, static_cast<uint32_t>(left));
  Put16(b, at + 3, static_cast<uint32_t>(top));
  Put16(b, at + 5, static_cast<uint32_t>(w));
  Put16(b, at + 7, static_cast<uint32_t>(h));
  b.push_back(0);
  return b;
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}

// Catches: a header variant read at the wrong offsets, top-down heights taken as negative, the core
// header's 16-bit sizes read as 32-bit, PNG bytes per pixel wrong for a colour type or 16-bit depth,
// a GIF frame larger than its screen (or the table/extension skipped wrongly), a negative or zero width
// accepted, and a cut head read past its end or taken for a good one.
TEST(ReadPictureHeader, SizesFromEachFormatAndVariantAndRefusesLies) {
  struct Case {
    const char* what;
    Bytes head;
    Format format;
    bool malformed;
    int64_t width, height;
    int bytesPerPixel;
    bool runLength;
  };
  const Case cases[] = {
      {"core", Bmp(12, 300, 200, 24), Format::Bmp, false, 300, 200, 3, false},
      {"core 16-bit sizes", Bmp(12, 60000, 60000, 1), Format::Bmp, false, 60000, 60000, 1, false},
      {"info", Bmp(40, 640, 480, 32), Format::Bmp, false, 640, 480, 4, false},
      {"info top-down", Bmp(40, 640, -480, 16), Format::Bmp, false, 640, 480, 2, false},
      {"v2", Bmp(52, 7, 9, 8), Format::Bmp, false, 7, 9, 1, false},
      {"v3", Bmp(56, 70, 90, 32, 3), Format::Bmp, false, 70, 90, 4, false},
      {"v4", Bmp(108, 16000, 16000, 1), Format::Bmp, false, 16000, 16000, 1, false},
      {"v5 rle8", Bmp(124, 20, 10, 8, 1), Format::Bmp, false, 20, 10, 1, true},
      {"info rle4", Bmp(40, 20, 10, 4, 2), Format::Bmp, false, 20, 10, 1, true},
      {"rle top-down", Bmp(40, 20, -10, 8, 1), Format::Bmp, true, 0, 0, 0, false},
      {"negative width", Bmp(40, -640, 480, 24), Format::Bmp, true, 0, 0, 0, false},
      {"zero height", Bmp(40, 640, 0, 24), Format::Bmp, true, 0, 0, 0, false},
      {"most negative height", Bmp(40, 10, INT32_MIN, 24), Format::Bmp, true, 0, 0, 0, false},
      {"info size 5", Bmp(5, 10, 10, 24), Format::Bmp, true, 0, 0, 0, false},
      {"cut info", Cut(Bmp(40, 640, 480, 24), 25), Format::Bmp, true, 0, 0, 0, false},
      {"cut core", Cut(Bmp(12, 64, 48, 24), 22), Format::Bmp, true, 0, 0, 0, false},
      {"png grey", Png(20000, 20000, 8, 0), Format::Png, false, 20000, 20000, 1, false},
      {"png grey 2-bit", Png(5, 6, 2, 0), Format::Png, false, 5, 6, 1, false},
      {"png rgb", Png(5, 6, 8, 2), Format::Png, false, 5, 6, 3, false},
      {"png rgba 16", Png(5, 6, 16, 6), Format::Png, false, 5, 6, 8, false},
      {"png grey alpha 16", Png(5, 6, 16, 4), Format::Png, false, 5, 6, 4, false},
      {"png palette", Png(5, 6, 4, 3), Format::Png, false, 5, 6, 1, false},
      {"png rgb depth 4", Png(5, 6, 4, 2), Format::Png, true, 0, 0, 0, false},
      {"png palette 16", Png(5, 6, 16, 3), Format::Png, true, 0, 0, 0, false},
      {"png zero width", Png(0, 6, 8, 2), Format::Png, true, 0, 0, 0, false},
      {"png width over 2^31", Png(0x80000000u, 6, 8, 2), Format::Png, true, 0, 0, 0, false},
      {"png cut", Cut(Png(5, 6, 8, 2), 24), Format::Png, true, 0, 0, 0, false},
      {"gif", Gif(100, 50, 7, 0, 0, 0, 100, 50), Format::Gif, false, 100, 50, 1, false},
      {"gif frame beyond screen", Gif(100, 50, -1, 20, 10, 5, 200, 300), Format::Gif, false, 210, 305, 1, false},
      {"gif empty screen", Gif(0, 0, 1, 0, 0, 0, 30, 40), Format::Gif, false, 30, 40, 1, false},
      {"gif long comment", Gif(100, 50, 7, 900, 0, 0, 60000, 60000), Format::Gif, false, 100, 50, 1, false},
      {"gif nothing", Gif(0, 0, 7, 900, 0, 0, 60000, 60000), Format::Gif, true, 0, 0, 0, false},
      {"gif cut", Cut(Gif(100, 50, -1, 0, 0, 0, 1, 1), 12), Format::Gif, true, 0, 0, 0, false},
      {"jpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16}, Format::Unknown, false, 0, 0, 0, false},
      {"tiff", Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, Format::Unknown, false, 0, 0, 0, false},
      {"one byte B", Bytes{'B'}, Format::Unknown, false, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    Bytes head = c.head;
    if (head.size() > kPictureHeadBytes) head.resize(kPictureHeadBytes);  // what the show reads
    const PictureHeader h = ReadPictureHeader(head.data(), head.size());
    EXPECT_EQ(h.format, c.format) << c.what;
    EXPECT_EQ(h.malformed, c.malformed) << c.what;
    if (c.malformed) {
      EXPECT_TRUE(RefuseBeforeDecoding(h)) << c.what;
      continue;
    }
    EXPECT_EQ(h.width, c.width) << c.what;
    EXPECT_EQ(h.height, c.height) << c.what;
    EXPECT_EQ(h.bytesPerPixel, c.bytesPerPixel) << c.what;
    EXPECT_EQ(h.runLength, c.runLength) << c.what;
  }
  EXPECT_EQ(ReadPictureHeader(nullptr, 0).format, Format::Unknown);
}

// Catches: the budget counted in pixels instead of bytes, fewer than 4 bytes counted for a grey or
// palette picture (the decoders' own buffers and the 32-bit copy), 8-byte pixels counted as 4, an
// overflow for 2^31 x 2^31, and an unknown format refused (it is the decoder's to judge).
TEST(RefuseBeforeDecoding, WholeDecodeAgainstTheBudget) {
  auto png = [](uint32_t w, uint32_t h, uint8_t depth, uint8_t type) {
    const Bytes b = Png(w, h, depth, type);
    return ReadPictureHeader(b.data(), b.size());
  };
  EXPECT_EQ(WholeDecodeBytes(png(1000, 1000, 8, 0)), 4000000u);
  EXPECT_EQ(WholeDecodeBytes(png(1000, 1000, 16, 6)), 8000000u);
  EXPECT_EQ(WholeDecodeBytes(png(0x7FFFFFFF, 0x7FFFFFFF, 16, 6)), UINT64_MAX);
  EXPECT_FALSE(RefuseBeforeDecoding(png(4096, 6144, 8, 2)));   // 96 MiB exactly
  EXPECT_TRUE(RefuseBeforeDecoding(png(4096, 6145, 8, 0)));
  EXPECT_TRUE(RefuseBeforeDecoding(png(4096, 3073, 16, 6)));  // 8 bytes a pixel
  EXPECT_TRUE(RefuseBeforeDecoding(png(20000, 20000, 8, 0)));
  EXPECT_FALSE(RefuseBeforeDecoding(png(1920, 1080, 8, 6)));
  const Bytes bmp = Bmp(40, 16000, 16000, 1);
  EXPECT_TRUE(RefuseBeforeDecoding(ReadPictureHeader(bmp.data(), bmp.size())));
  EXPECT_FALSE(RefuseBeforeDecoding(PictureHeader{}, 0));
}

}  // namespace
}  // namespace pictavo
