// Centring, the visible part of a picture, the decode size limit and the EXIF
// orientation math (the tag itself is read in the Wine tests, from real JPEGs in both byte orders).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pictures/Orientation.h"
#include "pictures/VisiblePart.h"

namespace pictavo {
namespace {

// Catches: rounding instead of halving toward zero (odd differences, both signs), floor for negative
// differences, axes mixed up, a large picture cut unequally or from the wrong place, and more kept than shows.
TEST(PlaceCentred, CentresByTheHalvedDifferenceAndKeepsOnlyTheVisiblePart) {
  struct Case { int sw, sh, pw, ph; PixelRect onScreen, source; };
  const Case cases[] = {
      {800, 600, 640, 480, {80, 60, 640, 480}, {0, 0, 640, 480}},
      {800, 600, 1025, 768, {0, 0, 800, 600}, {112, 84, 800, 600}},
      {800, 600, 799, 597, {0, 1, 799, 597}, {0, 0, 799, 597}},
      {800, 600, 801, 603, {0, 0, 800, 600}, {0, 1, 800, 600}},
      {1024, 768, 3000, 100, {0, 334, 1024, 100}, {988, 0, 1024, 100}},
      {1024, 768, 1, 1, {511, 383, 1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceCentred(c.sw, c.sh, c.pw, c.ph);
    EXPECT_EQ(p.onScreen, c.onScreen) << c.pw << "x" << c.ph;
    EXPECT_EQ(p.source, c.source) << c.pw << "x" << c.ph;
  }
  EXPECT_TRUE(PlaceCentred(1024, 768, 0, 10).onScreen.Empty());
}

// Catches: a size check that overflows and lets an absurd header through, or refuses the photos users have.
TEST(DecodeSizeAcceptable, RefusesPicturesBeyondOneGibibyte) {
  const struct { int64_t w, h; bool ok; } cases[] = {
      {12240, 8160, true}, {16384, 16384, true}, {16384, 16385, false}, {65536, 65536, false},
      {0, 100, false},     {-100, 100, false},   {1, int64_t{1} << 40, false}};
  for (const auto& c : cases) EXPECT_EQ(DecodeSizeAcceptable(c.w, c.h), c.ok) << c.w << "x" << c.h;
}

// A stored 3x2 picture and how it stands upright for each orientation. Catches: a turn in the wrong
// direction, a mirror on the wrong axis, sizes not swapped, and the visible part (here the upright top row)
// cut from the wrong end of the stored picture.
TEST(Orientation, TurnsAndMirrorsAndCutsEveryOrientation) {
  const uint32_t stored[] = {1, 2, 3, 4, 5, 6};
  const std::vector<uint32_t> upright[] = {{1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {6, 5, 4, 3, 2, 1},
                                           {4, 5, 6, 1, 2, 3}, {1, 4, 2, 5, 3, 6}, {4, 1, 5, 2, 6, 3},
                                           {6, 3, 5, 2, 4, 1}, {3, 6, 2, 5, 1, 4}};
  for (int o = 1; o <= 8; ++o) {
    const int uw = SwapsAxes(o) ? 2 : 3;
    std::vector<uint32_t> out(6, 0);
    OrientPixels(stored, 3, 2, o, out.data(), static_cast<size_t>(uw));
    EXPECT_EQ(out, upright[o - 1]) << "orientation " << o;
    const PixelRect part = StoredRectFor({0, 0, uw, 1}, 3, 2, o);
    std::vector<uint32_t> cut, row(upright[o - 1].begin(), upright[o - 1].begin() + uw);
    for (int y = part.top; y < part.top + part.height; ++y)
      for (int x = part.left; x < part.left + part.width; ++x) cut.push_back(stored[y * 3 + x]);
    std::sort(cut.begin(), cut.end());
    std::sort(row.begin(), row.end());
    EXPECT_EQ(cut, row) << "orientation " << o;
  }
}

}  // namespace
}  // namespace pictavo
