#include "pictures/PictureHeader.h"

#include <algorithm>
#include <cstring>

namespace pictavo {
namespace {

uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;

PictureHeader Malformed(PictureHeader::Format format) {
  PictureHeader h;
  h.format = format;
  h.malformed = true;
  return h;
}

// BITMAPFILEHEADER (14 bytes), then the DIB header whose first field is its own size: 12 for the core
// header (16-bit sizes), 16 and more for the info header and its later, longer versions (32-bit signed
// sizes, a negative height for top-down rows).
PictureHeader ReadBmp(const uint8_t* head, size_t size) {
  constexpr auto kBmp = PictureHeader::Format::Bmp;
  if (size < 14 + 4) return Malformed(kBmp);
  const uint32_t infoSize = Le32(head + 14);
  PictureHeader h;
  h.format = kBmp;
  uint32_t bitCount = 0;
  if (infoSize == 12) {
    if (size < 14 + 12) return Malformed(kBmp);
    h.width = Le16(head + 18);
    h.height = Le16(head + 20);
    bitCount = Le16(head + 24);
  } else if (infoSize >= 16) {
    if (size < 14 + 16) return Malformed(kBmp);
    const auto width = static_cast<int32_t>(Le32(head + 18));
    const auto height = static_cast<int32_t>(Le32(head + 22));
    if (height == INT32_MIN) return Malformed(kBmp);
    h.width = width;
    h.height = height < 0 ? -static_cast<int64_t>(height) : height;
    bitCount = Le16(head + 28);
    if (infoSize >= 20) {
      if (size < 14 + 20) return Malformed(kBmp);
      const uint32_t compression = Le32(head + 30);
      h.runLength = compression == kBiRle8 || compression == kBiRle4;
      // Rows stored run-length encoded are always bottom-up.
      if (h.runLength && height < 0) return Malformed(kBmp);
    }
  } else {
    return Malformed(kBmp);
  }
  if (h.width <= 0 || h.height <= 0) return Malformed(kBmp);
  // A bit count of 0 leaves the pixels to an embedded JPEG or PNG: 4 bytes a pixel once decoded.
  h.bytesPerPixel = bitCount == 0 ? 4 : static_cast<int>(std::max<uint32_t>(1, (bitCount + 7) / 8));
  if (bitCount > 64) return Malformed(kBmp);
  return h;
}

// The signature, then IHDR: width, height (big-endian, 1 .. 2^31-1), bit depth and colour type.
PictureHeader ReadPng(const uint8_t* head, size_t size) {
  constexpr auto kPng = PictureHeader::Format::Png;
  if (size < 8 + 8 + 13) return Malformed(kPng);
  if (Be32(head + 8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0) return Malformed(kPng);
  PictureHeader h;
  h.format = kPng;
  h.width = Be32(head + 16);
  h.height = Be32(head + 20);
  if (h.width == 0 || h.height == 0 || h.width > INT32_MAX || h.height > INT32_MAX) return Malformed(kPng);
  const int depth = head[24];
  int channels = 0;
  bool depthOk = false;
  switch (head[25]) {
    case 0:  // grey
      channels = 1;
      depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
      break;
    case 3:  // palette
      channels = 1;
      depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
      break;
    case 2:  // RGB
      channels = 3;
      depthOk = depth == 8 || depth == 16;
      break;
    case 4:  // grey and alpha
      channels = 2;
      depthOk = depth == 8 || depth == 16;
      break;
    case 6:  // RGBA
      channels = 4;
      depthOk = depth == 8 || depth == 16;
      break;
    default:
      break;
  }
  if (!depthOk) return Malformed(kPng);
  h.bytesPerPixel = std::max(1, channels * depth / 8);
  return h;
}

// The logical screen, then blocks up to the first image descriptor; its frame may stand partly outside
// the screen, so the size is the larger of the two. Extensions too long for the head leave the screen's.
PictureHeader ReadGif(const uint8_t* head, size_t size) {
  constexpr auto kGif = PictureHeader::Format::Gif;
  if (size < 13) return Malformed(kGif);
  PictureHeader h;
  h.format = kGif;
  h.bytesPerPixel = 1;
  h.width = Le16(head + 6);
  h.height = Le16(head + 8);
  size_t at = 13;
  if (head[10] & 0x80) at += 3u * (size_t{2} << (head[10] & 7));
  while (at < size) {
    const uint8_t block = head[at];
    if (block == 0x2C) {  // image descriptor
      if (at + 9 > size) break;
      h.width = std::max<int64_t>(h.width, int64_t{Le16(head + at + 1)} + Le16(head + at + 5));
      h.height = std::max<int64_t>(h.height, int64_t{Le16(head + at + 3)} + Le16(head + at + 7));
      break;
    }
    if (block != 0x21 || at + 2 > size) break;  // the trailer, or something else: no descriptor
    at += 2;                                    // introducer and label, then sub-blocks to a zero length
    while (at < size && head[at] != 0) at += size_t{head[at]} + 1;
    ++at;
  }
  if (h.width <= 0 || h.height <= 0) return Malformed(kGif);
  return h;
}

}  // namespace

PictureHeader ReadPictureHeader(const uint8_t* head, size_t size) {
  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!head) return {};
  if (size >= 2 && head[0] == 'B' && head[1] == 'M') return ReadBmp(head, size);
  if (size >= 8 && std::memcmp(head, kPngSignature, 8) == 0) return ReadPng(head, size);
  if (size >= 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0))
    return ReadGif(head, size);
  return {};
}

uint64_t WholeDecodeBytes(const PictureHeader& header) {
  if (header.width <= 0 || header.height <= 0) return 0;
  // Both sizes are below 2^32, so their product fits; the factor may not.
  const uint64_t pixels = static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height);
  const auto factor = static_cast<uint64_t>(std::max(4, header.bytesPerPixel));
  return pixels > UINT64_MAX / factor ? UINT64_MAX : pixels * factor;
}

bool RefuseBeforeDecoding(const PictureHeader& header, uint64_t budgetBytes) {
  if (header.format == PictureHeader::Format::Unknown) return false;
  return header.malformed || WholeDecodeBytes(header) > budgetBytes;
}

}  // namespace pictavo
