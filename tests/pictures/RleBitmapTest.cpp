// The program's own decoder for run-length encoded bitmaps: every escape, black where the data skips,
// and headers or data that lie kept inside the file and the budget.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/RleBitmap.h"
#include "tests/support/PictureBytes.h"

namespace pictavo {
namespace {

using Bytes = std::vector<uint8_t>;

using test::Put32;

// A run-length bitmap with a full palette (entry k is test::PaletteColour(k)) unless `colours` says less.
Bytes RleFile(int width, int height, bool fourBit, const Bytes& runs, uint32_t colours = 0) {
  const uint32_t entries = colours ? colours : (fourBit ? 16 : 256);
  const std::string file =
      test::Bmp({width, height, fourBit ? 4u : 8u, fourBit ? 2u : 1u, 40, entries}, std::string(runs.begin(), runs.end()));
  Bytes b(file.begin(), file.end());
  Put32(b, 46, colours);  // 0: as many colours as the bit count allows
  return b;
}

// Rows top-down as strings: '.' black, otherwise the palette index as a hex digit.
std::vector<std::string> Picture(const RleBitmap& p) {
  std::vector<std::string> rows;
  for (int y = 0; y < p.height; ++y) {
    std::string row;
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.pixels[static_cast<size_t>(y) * p.width + x];
      row += c == 0 ? '.' : (c & 0xFF) <= 16 ? "0123456789abcdef"[(c & 0xFF) - 1] : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// Catches: rows written top-down (RLE rows are bottom-up), end of line or delta leaving stale pixels
// instead of black, delta moving the wrong way, an early end of bitmap filling the rest, RLE4 nibbles
// swapped, absolute runs of odd length not padded to a word (the next code then read out of step), runs
// past the right edge wrapping onto the next line, and data cut inside a run read beyond the file.
TEST(DecodeRleBitmap, EscapesRunsAndSkippedPixelsBlack) {
  struct Case {
    const char* what;
    bool fourBit;
    Bytes runs;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"rle8 runs, end of line, end of bitmap", false, {3, 1, 0, 0, 2, 2, 0, 0, 4, 3, 0, 1},
       {"3333", "22..", "111."}},
      {"rle8 delta", false, {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, {"....", "...2", "1..."}},
      {"rle8 early end", false, {4, 5, 0, 1, 4, 6}, {"....", "....", "5555"}},
      {"rle8 absolute odd, padded", false, {0, 3, 1, 2, 3, 0, 1, 4, 0, 1}, {"....", "....", "1234"}},
      {"rle8 absolute even", false, {0, 4, 9, 8, 7, 6, 0, 0, 1, 1}, {"....", "1...", "9876"}},
      {"rle8 run past the edge", false, {6, 7, 0, 0, 1, 8}, {"....", "8...", "7777"}},
      {"rle8 no end code", false, {2, 9}, {"....", "....", "99.."}},
      {"rle8 cut in absolute run", false, {0, 4, 5, 6}, {"....", "....", "56.."}},
      {"rle8 cut in delta", false, {1, 1, 0, 2, 3}, {"....", "....", "1..."}},
      {"rle4 run alternates nibbles", true, {3, 0x12, 0, 0, 4, 0x34, 0, 1}, {"....", "3434", "121."}},
      {"rle4 absolute odd count, padded", true, {0, 3, 0x56, 0x70, 2, 0x99, 0, 1}, {"....", "....", "5679"}},
      {"rle4 absolute 5, 3 bytes + pad", true, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 1, 0xAA, 0, 1},
       {"....", "a...", "1234"}},
      {"rle4 delta and early end", true, {0, 2, 3, 1, 1, 0xEE, 0, 1}, {"....", "...e", "...."}},
  };
  for (const Case& c : cases) {
    const Bytes file = RleFile(4, 3, c.fourBit, c.runs);
    const auto p = DecodeRleBitmap(file.data(), file.size());
    ASSERT_TRUE(p) << c.what;
    EXPECT_EQ(Picture(*p), c.rows) << c.what;
  }
}

// Catches: a palette of fewer colours than the bit count allows read from the wrong place, indices past
// it taken from beyond the palette, headers that lie about size or position accepted (allocation or
// reads out of bounds), top-down RLE accepted, and a huge delta run in a loop of pixels.
TEST(DecodeRleBitmap, LyingHeadersAndDataStayBounded) {
  {
    const Bytes file = RleFile(4, 1, false, {4, 1, 0, 1}, 2);
    Bytes f = file;
    Put32(f, 54 + 4, 0x00ABCDEF);
    const auto p = DecodeRleBitmap(f.data(), f.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pixels[0], 0x00ABCDEFu);
    const Bytes past = RleFile(2, 1, false, {1, 2, 0, 1}, 2);
    EXPECT_EQ(DecodeRleBitmap(past.data(), past.size())->pixels[0], 0u);
  }
  const Bytes good = RleFile(4, 3, false, {4, 1, 0, 1});
  auto with = [&](size_t at, uint32_t v) {
    Bytes f = good;
    Put32(f, at, v);
    return f;
  };
  const struct {
    const char* what;
    Bytes file;
  } refused[] = {
      {"60000 x 60000", with(18, 60000)},
      {"width negative", with(18, static_cast<uint32_t>(-4))},
      {"top-down", with(22, static_cast<uint32_t>(-3))},
      {"data offset past the end", with(10, 1u << 30)},
      {"info size past the end", with(14, 1u << 30)},
      {"not rle", with(30, 0)},
      {"rle8 with 4 bits", with(28, 4)},
      {"cut palette", Bytes(good.begin(), good.begin() + 200)},
      {"cut header", Bytes(good.begin(), good.begin() + 40)},
  };
  for (const auto& r : refused) {
    Bytes f = r.file;
    if (std::string(r.what) == "60000 x 60000") Put32(f, 22, 60000);
    EXPECT_FALSE(DecodeRleBitmap(f.data(), f.size())) << r.what;
  }
  EXPECT_FALSE(DecodeRleBitmap(good.data(), good.size(), 4 * 4 * 3 - 1)) << "budget";
  EXPECT_FALSE(DecodeRleBitmap(nullptr, 0));

  // Many over-long runs and deltas along one line: none wraps onto the next, nothing is written outside.
  Bytes runs;
  for (int k = 0; k < 100000; ++k) runs.insert(runs.end(), {255, 1, 0, 2, 255, 0});
  const Bytes file = RleFile(4, 3, false, runs);
  const auto p = DecodeRleBitmap(file.data(), file.size());
  ASSERT_TRUE(p);
  EXPECT_EQ(Picture(*p), (std::vector<std::string>{"....", "....", "1111"}));
}

}  // namespace
}  // namespace pictavo
