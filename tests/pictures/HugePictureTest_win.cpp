// Huge and run-length pictures through the show's decoding, in this process: what only the platform shows.
// A picture whose whole decode would exceed the budget is refused before the imaging component (whose
// decoders decode the whole frame on opening) sees it, the largest one the budget admits keeps the process
// far below the show's 256 MB, and run-length bitmaps are decoded by the program itself into the canvas the
// show keeps. Heads that lie, the budget's arithmetic and every run-length escape are checked natively.
// Prints the peak working set and the longest decode for the notes.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "pictures/ScreenPicture_win.h"
#include "tests/support/PictureBytes.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

// A valid RGBA PNG written piece by piece, so that it never is in memory whole: IHDR, the rows (every byte
// 0x80 but the filter bytes) stored uncompressed in one IDAT chunk per deflate block, IEND.
void WritePng(const std::wstring& path, uint32_t width, uint32_t height) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  const auto chunk = [&](const char* type, const std::string& data) {
    std::string c = std::string(4, '\0') + type + data;
    test::PutBe(c, 0, static_cast<uint32_t>(data.size()), 4);
    uint32_t crc = ~0u;
    for (size_t k = 4; k < c.size(); ++k) {
      crc ^= static_cast<uint8_t>(c[k]);
      for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    test::PutBe(c, c.size(), ~crc, 4);
    out << c;
  };
  const std::string head = test::PngHead(width, height, 8, 6);
  out << head.substr(0, 8);
  chunk("IHDR", head.substr(16, 13));
  const uint64_t rowBytes = 1 + uint64_t{width} * 4, total = rowBytes * height;
  uint32_t a = 1, b = 0;  // the zlib stream's Adler-32
  for (uint64_t at = 0; at < total;) {
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(65535, total - at));
    std::string piece = at == 0 ? std::string("\x78\x01", 2) : std::string();
    piece += at + n == total ? '\x01' : '\x00';
    test::PutLe(piece, piece.size(), n | (~n & 0xFFFF) << 16, 4);
    for (uint32_t k = 0; k < n; ++k, ++at) {
      piece += at % rowBytes == 0 ? '\0' : '\x80';
      a = (a + static_cast<uint8_t>(piece.back())) % 65521, b = (b + a) % 65521;
    }
    if (at == total) test::PutBe(piece, piece.size(), b << 16 | a, 4);
    chunk("IDAT", piece);
  }
  chunk("IEND", {});
}

// Catches: the header's size not checked before the imaging component decodes (a 1-bit 5040 x 5040 bitmap,
// 3 MB on disk and 100 MB decoded, is then shown), the largest picture the budget lets through pushing the
// process past the show's 256 MB, a transparent picture not laid on black; run-length bitmaps left to the
// imaging component (whose buffer is not cleared where the data skips), not centred like any other picture,
// or copied into the kept canvas (whose rows a larger picture made longer) with the picture's own row length.
TEST(HugePictures, RefusedBeforeDecodingOrShownWithinTheBudgetAndRunLengthBitmapsOurOwn) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const test::TempDir dir;
  const ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
  ScreenPicture picture;
  ULONGLONG longestMs = 0;
  const auto decode = [&](const wchar_t* name) {
    const ULONGLONG start = ::GetTickCount64();
    const bool shown = DecodeVisiblePart(factory.get(), dir.File(name), 1024, 768, picture);
    longestMs = std::max(longestMs, ::GetTickCount64() - start);
    return shown;
  };
  const auto at = [&](int x, int y) {
    return picture.canvas.bits()[y * picture.canvas.stride() + picture.sourceLeft + x] & 0xFFFFFF;
  };
  // The visible part starts on a whole byte (Wine's imaging component fails to cut 1-bit rows elsewhere).
  dir.Write(L"bits-5040.bmp", test::Bmp({5040, 5040, 1, 0, 40, 2}, std::string(size_t{632} * 5040, 'U')));
  EXPECT_FALSE(decode(L"bits-5040.bmp"));
  WritePng(dir.File(L"rgba-4900.png"), 4900, 4900);  // 91.6 MB whole, at 4 bytes a pixel
  ASSERT_TRUE(decode(L"rgba-4900.png"));
  EXPECT_EQ(picture.onScreen, (PixelRect{0, 0, 1024, 768}));
  EXPECT_EQ(at(0, 0), 0x404040u);  // grey 0x80 at half opacity, laid on black

  // 8 x 4 with 16 colours, bottom-up: row 3 (the bottom) "11..22.." by runs and an end of line; row 2 a delta
  // over 3 pixels, then "345" absolute (odd, padded); then the bitmap ends early.
  const std::string runs("\2\1\0\2\2\0\2\2\0\0\0\2\3\0\0\3\3\4\5\0\0\1", 22);
  dir.Write(L"skips.bmp", test::Bmp({8, 4, 8, 1, 40, 16}, runs));
  ASSERT_TRUE(decode(L"skips.bmp"));
  EXPECT_EQ(picture.onScreen, (PixelRect{508, 382, 8, 4}));
  const char* expected[] = {"........", "........", "...345..", "11..22.."};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(at(x, y), expected[y][x] == '.' ? 0u : test::PaletteColour(expected[y][x] - '0')) << x << "," << y;

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
  EXPECT_LT(memory.PeakWorkingSetSize, uint64_t{256} << 20);
  std::printf("huge pictures: peak working set %.1f MB, longest decode %llu ms, budget %llu MB\n",
              static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20), static_cast<unsigned long long>(longestMs),
              static_cast<unsigned long long>(kWholeDecodeBudgetBytes >> 20));
}

}  // namespace
}  // namespace pictavo
