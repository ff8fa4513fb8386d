// Centring, the visible part of a picture, the text position, the pointer rule, the size limit and
// EXIF orientation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "show/Orientation.h"
#include "show/Placement.h"

namespace pictavo {
namespace {

// Catches: rounding instead of dropping the remainder, floor instead of toward zero for odd negative
// differences, and the axes mixed up.
TEST(CenterOffset, HalvesTheDifferenceTowardZero) {
  struct Case {
    int inner, size, offset;
  };
  const Case cases[] = {
      {800, 640, 80},   {600, 480, 60},   {800, 1025, -112}, {600, 768, -84}, {800, 800, 0},
      {800, 801, 0},    {800, 803, -1},   {800, 799, 0},     {800, 797, 1},   {1024, 1, 511},
      {1, 100001, -50000}, {0, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CenterOffset(c.inner, c.size), c.offset) << c.inner << " " << c.size;
}

// Catches: keeping more than the screen shows, a large picture cut unequally, or a source rectangle that
// does not match the offset.
TEST(PlaceCentred, KeepsOnlyTheVisiblePart) {
  struct Case {
    int sw, sh, pw, ph;
    PixelRect onScreen, source;
  };
  const Case cases[] = {
      {800, 600, 640, 480, {80, 60, 640, 480}, {0, 0, 640, 480}},
      {800, 600, 1025, 768, {0, 0, 800, 600}, {112, 84, 800, 600}},
      {800, 600, 800, 600, {0, 0, 800, 600}, {0, 0, 800, 600}},
      {1024, 768, 6000, 4000, {0, 0, 1024, 768}, {2488, 1616, 1024, 768}},
      {1024, 768, 3000, 100, {0, 334, 1024, 100}, {988, 0, 1024, 100}},  // wide and low
      {1024, 768, 1, 1, {511, 383, 1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceCentred(c.sw, c.sh, c.pw, c.ph);
    EXPECT_EQ(p.onScreen, c.onScreen) << c.pw << "x" << c.ph;
    EXPECT_EQ(p.source, c.source) << c.pw << "x" << c.ph;
  }
  EXPECT_TRUE(PlaceCentred(1024, 768, 0, 10).onScreen.Empty());
  EXPECT_TRUE(PlaceCentred(0, 0, 10, 10).source.Empty());
}

// Catches: a text that is not centred, or measured from the wrong corner (odd sizes included).
TEST(CenterText, PutsTheTextInTheMiddleOfTheBox) {
  EXPECT_EQ(CenterText(1024, 768, 300, 22).x, 362);
  EXPECT_EQ(CenterText(1024, 768, 300, 22).y, 373);
  EXPECT_EQ(CenterText(1025, 767, 301, 23).x, 362);
  EXPECT_EQ(CenterText(1025, 767, 301, 23).y, 372);
  EXPECT_EQ(CenterText(100, 10, 300, 20).x, -100);  // a text wider than the box is cut equally
}

// Catches: the first move ending the show, a move back to the recorded spot ending it, (0, 0) taken as a
// recorded position, and the recorded position being updated by later moves.
TEST(PointerWatch, FirstMoveRecordsAndAMoveElsewhereEnds) {
  PointerWatch w;
  EXPECT_FALSE(w.Move(0, 0));  // (0, 0) records nothing
  EXPECT_FALSE(w.Move(0, 0));
  EXPECT_FALSE(w.Move(300, 200));
  EXPECT_FALSE(w.Move(300, 200));
  EXPECT_TRUE(w.Move(301, 200));
  EXPECT_TRUE(w.Move(300, 199));
  EXPECT_FALSE(w.Move(300, 200));  // not updated by the moves that ended the show
  w.Forget();
  EXPECT_FALSE(w.Move(5, 0));
  EXPECT_TRUE(w.Move(0, 0));
  EXPECT_EQ(w.LastX(), 5);
}

// Catches: a size check that overflows 32 bits and lets an absurd header through, or one that refuses the
// large photos the show must display.
TEST(DecodeSizeAcceptable, RefusesPicturesBeyondOneGibibyte) {
  EXPECT_TRUE(DecodeSizeAcceptable(1, 1));
  EXPECT_TRUE(DecodeSizeAcceptable(12240, 8160));    // 100 megapixels
  EXPECT_TRUE(DecodeSizeAcceptable(16384, 16384));   // exactly 1 GiB
  EXPECT_FALSE(DecodeSizeAcceptable(16384, 16385));
  EXPECT_FALSE(DecodeSizeAcceptable(60000, 60000));
  EXPECT_FALSE(DecodeSizeAcceptable(65536, 65536));  // 2^34 bytes: 0 in 32 bits
  EXPECT_FALSE(DecodeSizeAcceptable(0, 100));
  EXPECT_FALSE(DecodeSizeAcceptable(-100, 100));
  EXPECT_FALSE(DecodeSizeAcceptable(1, int64_t{1} << 40));
}

// A JPEG head with an Exif APP1 segment holding IFD0 with the given entries (tag, type, count, value).
std::vector<uint8_t> JpegWithExif(bool bigEndian, const std::vector<std::array<uint32_t, 4>>& entries,
                                  bool withJfif = true) {
  std::vector<uint8_t> tiff;
  auto u16 = [&](uint32_t v) {
    if (bigEndian) {
      tiff.push_back(static_cast<uint8_t>(v >> 8));
      tiff.push_back(static_cast<uint8_t>(v));
    } else {
      tiff.push_back(static_cast<uint8_t>(v));
      tiff.push_back(static_cast<uint8_t>(v >> 8));
    }
  };
  auto u32 = [&](uint32_t v) {
    if (bigEndian) {
      u16(v >> 16);
      u16(v & 0xFFFF);
    } else {
      u16(v & 0xFFFF);
      u16(v >> 16);
    }
  };
  tiff.push_back(bigEndian ? 'M' : 'I');
  tiff.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  u16(static_cast<uint32_t>(entries.size()));
  for (const auto& e : entries) {
    u16(e[0]);
    u16(e[1]);
    u32(e[2]);
    u16(e[3]);
    u16(0);
  }
  u32(0);
  std::vector<uint8_t> out = {0xFF, 0xD8};
  if (withJfif) {
    const uint8_t jfif[] = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    out.insert(out.end(), std::begin(jfif), std::end(jfif));
  }
  const size_t length = 2 + 6 + tiff.size();
  out.insert(out.end(), {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  out.insert(out.end(), {'E', 'x', 'i', 'f', 0, 0});
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x02});
  return out;
}

// Catches: one byte order only, missing the tag after other tags, trusting out-of-range values and wrong
// types, reading past the end of a truncated segment.
TEST(JpegOrientation, ReadsTheOrientationTagSafely) {
  for (bool big : {false, true}) {
    for (uint32_t o = 1; o <= 8; ++o) {
      const auto jpeg = JpegWithExif(big, {{0x010F, 2, 4, 0}, {0x0112, 3, 1, o}}, o % 2 == 0);
      EXPECT_EQ(JpegOrientation(jpeg.data(), jpeg.size()), static_cast<int>(o)) << big << " " << o;
    }
  }
  const auto zero = JpegWithExif(false, {{0x0112, 3, 1, 0}});
  EXPECT_EQ(JpegOrientation(zero.data(), zero.size()), 1);
  const auto nine = JpegWithExif(false, {{0x0112, 3, 1, 9}});
  EXPECT_EQ(JpegOrientation(nine.data(), nine.size()), 1);
  const auto asLong = JpegWithExif(false, {{0x0112, 4, 1, 6}});
  EXPECT_EQ(JpegOrientation(asLong.data(), asLong.size()), 1);
  const auto none = JpegWithExif(true, {{0x010F, 2, 4, 0}});
  EXPECT_EQ(JpegOrientation(none.data(), none.size()), 1);
  const auto six = JpegWithExif(false, {{0x0112, 3, 1, 6}});
  for (size_t cut = 0; cut < six.size(); ++cut) {
    std::vector<uint8_t> truncated(six.begin(), six.begin() + static_cast<long>(cut));  // exact size for ASan
    const int o = JpegOrientation(truncated.data(), truncated.size());
    EXPECT_TRUE(o == 1 || o == 6);
  }
  const uint8_t notJpeg[] = {'B', 'M', 0, 0};
  EXPECT_EQ(JpegOrientation(notJpeg, sizeof notJpeg), 1);
  EXPECT_EQ(JpegOrientation(nullptr, 0), 1);
}

// A 3x2 picture with distinct pixels, and what it looks like upright for each orientation.
// Catches: a rotation in the wrong direction, a mirror on the wrong axis, width and height not swapped.
TEST(OrientPixels, TurnsAndMirrorsEveryOrientation) {
  const uint32_t stored[] = {1, 2, 3,
                             4, 5, 6};
  struct Case {
    int orientation;
    std::vector<uint32_t> upright;  // row by row
  };
  const Case cases[] = {
      {1, {1, 2, 3, 4, 5, 6}}, {2, {3, 2, 1, 6, 5, 4}}, {3, {6, 5, 4, 3, 2, 1}}, {4, {4, 5, 6, 1, 2, 3}},
      {5, {1, 4, 2, 5, 3, 6}}, {6, {4, 1, 5, 2, 6, 3}}, {7, {6, 3, 5, 2, 4, 1}}, {8, {3, 6, 2, 5, 1, 4}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> out(6, 0);
    const size_t stride = SwapsAxes(c.orientation) ? 2 : 3;
    OrientPixels(stored, 3, 2, c.orientation, out.data(), stride);
    EXPECT_EQ(out, c.upright) << "orientation " << c.orientation;
  }
}

// Catches: cutting the visible part from the wrong end of a turned picture. For every orientation the
// pixels of the stored rectangle, turned, must equal the visible part of the whole picture turned.
TEST(StoredRectFor, CutsTheSamePixelsAsTurningTheWholePicture) {
  const int w = 7, h = 5;
  std::vector<uint32_t> stored(w * h);
  for (int i = 0; i < w * h; ++i) stored[static_cast<size_t>(i)] = static_cast<uint32_t>(i + 100);
  for (int o = 1; o <= 8; ++o) {
    const int uw = SwapsAxes(o) ? h : w, uh = SwapsAxes(o) ? w : h;
    std::vector<uint32_t> upright(static_cast<size_t>(uw * uh));
    OrientPixels(stored.data(), w, h, o, upright.data(), static_cast<size_t>(uw));
    const PixelRect visible{1, 2, uw - 3, uh - 4};
    const PixelRect part = StoredRectFor(visible, w, h, o);
    ASSERT_EQ(static_cast<int64_t>(part.width) * part.height, static_cast<int64_t>(visible.width) * visible.height);
    std::vector<uint32_t> block;
    for (int y = 0; y < part.height; ++y)
      for (int x = 0; x < part.width; ++x)
        block.push_back(stored[static_cast<size_t>((part.top + y) * w + part.left + x)]);
    std::vector<uint32_t> turned(block.size());
    OrientPixels(block.data(), part.width, part.height, o, turned.data(), static_cast<size_t>(visible.width));
    for (int y = 0; y < visible.height; ++y)
      for (int x = 0; x < visible.width; ++x)
        EXPECT_EQ(turned[static_cast<size_t>(y * visible.width + x)],
                  upright[static_cast<size_t>((visible.top + y) * uw + visible.left + x)])
            << "orientation " << o << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace pictavo
