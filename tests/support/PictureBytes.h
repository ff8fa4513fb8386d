// Picture files as bytes, for every test that needs one: fields in either byte order, a bitmap with a
// core or an info header and a palette, the head of a PNG, and an Exif segment with an orientation.
// Plain C++: native tests, fuzzers and Wine tests use the same builders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace pictavo::test {

// The low `size` bytes of v at `at`, least significant first (PutLe) or last (PutBe); the container
// (std::string or a vector of bytes) grows as needed.
template <typename B>
void PutLe(B& b, size_t at, uint32_t v, int size) {
  if (b.size() < at + size) b.resize(at + size);
  for (int k = 0; k < size; ++k) b[at + k] = static_cast<typename B::value_type>(v >> (8 * k));
}
template <typename B>
void PutBe(B& b, size_t at, uint32_t v, int size) {
  if (b.size() < at + size) b.resize(at + size);
  for (int k = 0; k < size; ++k) b[at + k] = static_cast<typename B::value_type>(v >> (8 * (size - 1 - k)));
}
template <typename B>
void Put16(B& b, size_t at, uint32_t v) { PutLe(b, at, v, 2); }
template <typename B>
void Put32(B& b, size_t at, uint32_t v) { PutLe(b, at, v, 4); }

// Palette entry k of a test bitmap: 0x00RRGGBB = 0x010101 * (k + 1), so that index 0 is not black.
constexpr uint32_t PaletteColour(int k) { return 0x010101u * static_cast<uint32_t>(k + 1); }

// A bitmap file's head: an info header of infoSize bytes (12 is the core header, with 16-bit sizes and
// 3-byte palette entries), `colours` palette entries, and the pixel data's offset after them.
struct BmpHead {
  int32_t width = 1;
  int32_t height = 1;
  uint32_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t infoSize = 40;
  uint32_t colours = 0;
};

// The whole file: head, palette and then `pixels` as given.
inline std::string Bmp(const BmpHead& h, const std::string& pixels = {}) {
  const bool core = h.infoSize == 12;
  const size_t entry = core ? 3 : 4, offset = 14 + h.infoSize + entry * h.colours;
  std::string b(offset, '\0');
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(offset + pixels.size()));
  Put32(b, 10, static_cast<uint32_t>(offset));
  Put32(b, 14, h.infoSize);
  if (core) {
    Put16(b, 18, static_cast<uint32_t>(h.width)), Put16(b, 20, static_cast<uint32_t>(h.height));
    Put16(b, 22, 1), Put16(b, 24, h.bitCount);
  } else {
    Put32(b, 18, static_cast<uint32_t>(h.width)), Put32(b, 22, static_cast<uint32_t>(h.height));
    Put16(b, 26, 1), Put16(b, 28, h.bitCount), Put32(b, 30, h.compression), Put32(b, 46, h.colours);
  }
  for (uint32_t k = 0; k < h.colours; ++k) PutLe(b, 14 + h.infoSize + entry * k, PaletteColour(static_cast<int>(k)), 3);
  return b + pixels;
}

// A 24-bit bitmap whose pixel (x, y) has the colour rgb(x, y) (0x00RRGGBB), bottom-up as cameras and
// painters write them; SolidBmp: of one colour.
template <typename F>
std::string Bmp24(int width, int height, const F& rgb) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::string pixels(row * static_cast<size_t>(height), '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) PutLe(pixels, (height - 1 - y) * row + static_cast<size_t>(x) * 3, rgb(x, y), 3);
  return Bmp({width, height}, pixels);
}
inline std::string SolidBmp(int width, int height, uint32_t rgb) {
  return Bmp24(width, height, [rgb](int, int) { return rgb; });
}

// The head of a PNG: the signature and the IHDR chunk (its CRC not checked by a reader of sizes).
inline std::string PngHead(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
  std::string b("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  PutBe(b, 16, width, 4), PutBe(b, 20, height, 4);
  b += std::string{static_cast<char>(depth), static_cast<char>(colourType), 0, 0, 0, 0, 0, 0, 0};
  return b;
}

// The body of an APP1 segment that gives an orientation: "Exif", a TIFF header in Intel (little-endian)
// or Motorola (big-endian) order, and IFD0 with the one entry (tag 0x0112, SHORT, one value).
inline std::string ExifOrientation(int orientation, bool bigEndian) {
  std::string b("Exif\0\0", 6);
  const auto put = [&](size_t at, uint32_t v, int size) {
    bigEndian ? PutBe(b, 6 + at, v, size) : PutLe(b, 6 + at, v, size);
  };
  b += bigEndian ? "MM" : "II";
  put(2, 42, 2), put(4, 8, 4), put(8, 1, 2);  // the header, IFD0 at 8, one entry
  put(10, 0x0112, 2), put(12, 3, 2), put(14, 1, 4), put(18, static_cast<uint32_t>(orientation), 2);
  put(20, 0, 2), put(22, 0, 4);  // the value's padding, no next IFD
  return b;
}

}  // namespace pictavo::test
