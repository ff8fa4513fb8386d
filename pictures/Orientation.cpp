#include "pictures/Orientation.h"

#include <algorithm>
#include <cstring>

namespace pictavo {
namespace {

class TiffReader {
 public:
  TiffReader(const uint8_t* data, size_t size, bool bigEndian) : data_(data), size_(size), big_(bigEndian) {}
  bool U16(size_t at, uint32_t& out) const {
    if (at > size_ || size_ - at < 2) return false;
    out = big_ ? (uint32_t{data_[at]} << 8 | data_[at + 1]) : (uint32_t{data_[at + 1]} << 8 | data_[at]);
    return true;
  }
  bool U32(size_t at, uint32_t& out) const {
    uint32_t a = 0, b = 0;
    if (!U16(at, a) || !U16(at + 2, b)) return false;
    out = big_ ? (a << 16 | b) : (b << 16 | a);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  bool big_;
};

int OrientationFromTiff(const uint8_t* tiff, size_t size) {
  if (size < 8) return 1;
  bool big = false;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    big = false;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    big = true;
  } else {
    return 1;
  }
  TiffReader r(tiff, size, big);
  uint32_t magic = 0, ifd = 0, entries = 0;
  if (!r.U16(2, magic) || magic != 42 || !r.U32(4, ifd) || !r.U16(ifd, entries)) return 1;
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t at = size_t{ifd} + 2 + size_t{i} * 12;
    uint32_t tag = 0, type = 0, count = 0, value = 0;
    if (!r.U16(at, tag) || !r.U16(at + 2, type) || !r.U32(at + 4, count) || !r.U16(at + 8, value)) return 1;
    if (tag != 0x0112) continue;
    if (type != 3 || count != 1 || value < 1 || value > 8) return 1;
    return static_cast<int>(value);
  }
  return 1;
}

}  // namespace

int JpegOrientation(const uint8_t* data, size_t size) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
  size_t at = 2;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return 1;
    const uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;  // image data or end: no Exif before it
    const size_t length = size_t{data[at + 2]} << 8 | data[at + 3];
    if (length < 2) return 1;
    const size_t body = at + 4;
    const size_t bodySize = std::min(length - 2, size - std::min(size, body));
    if (marker == 0xE1 && bodySize >= 6 && std::memcmp(data + body, "Exif\0\0", 6) == 0) {
      return OrientationFromTiff(data + body + 6, bodySize - 6);
    }
    at += 2 + length;
  }
  return 1;
}

StoredPoint StoredPointFor(int dx, int dy, int width, int height, int orientation) {
  switch (orientation) {
    case 2: return {width - 1 - dx, dy};
    case 3: return {width - 1 - dx, height - 1 - dy};
    case 4: return {dx, height - 1 - dy};
    case 5: return {dy, dx};
    case 6: return {dy, height - 1 - dx};
    case 7: return {width - 1 - dy, height - 1 - dx};
    case 8: return {width - 1 - dy, dx};
    default: return {dx, dy};
  }
}

PixelRect StoredRectFor(const PixelRect& displayed, int width, int height, int orientation) {
  if (displayed.Empty()) return {};
  const StoredPoint a = StoredPointFor(displayed.left, displayed.top, width, height, orientation);
  const StoredPoint b = StoredPointFor(displayed.left + displayed.width - 1, displayed.top + displayed.height - 1,
                                       width, height, orientation);
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  return {left, top, std::max(a.x, b.x) - left + 1, std::max(a.y, b.y) - top + 1};
}

void OrientPixels(const uint32_t* src, int width, int height, int orientation, uint32_t* dst, size_t dstStride,
                  size_t srcStride) {
  if (srcStride == 0) srcStride = static_cast<size_t>(width);
  const bool swap = SwapsAxes(orientation);
  const int outWidth = swap ? height : width;
  const int outHeight = swap ? width : height;
  for (int dy = 0; dy < outHeight; ++dy) {
    uint32_t* row = dst + static_cast<size_t>(dy) * dstStride;
    for (int dx = 0; dx < outWidth; ++dx) {
      const StoredPoint s = StoredPointFor(dx, dy, width, height, orientation);
      row[dx] = src[static_cast<size_t>(s.y) * srcStride + static_cast<size_t>(s.x)];
    }
  }
}

StoredPoint UprightStripOrigin(int width, int height, int firstRow, int rows, int orientation) {
  (void)width;
  const int fromEnd = height - firstRow - rows;  // the strip counted from the block's last row
  switch (orientation) {
    case 3: case 4: return {0, fromEnd};
    case 5: case 8: return {firstRow, 0};
    case 6: case 7: return {fromEnd, 0};
    default: return {0, firstRow};
  }
}

}  // namespace pictavo
