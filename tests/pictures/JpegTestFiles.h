// JPEG files for the decoder's test, its fuzzer and the fuzzer's seeds: pictures encoded by libjpeg-turbo,
// a file read in chunks, and pixels kept in rows longer than the picture's, as a DIB's may be.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "pictures/JpegDecoder.h"
#include "tests/support/PictureBytes.h"

extern "C" {
#include <jpeglib.h>
}

namespace pictavo::test {

struct JpegLayout {
  const char* name;
  int width, height;
  J_COLOR_SPACE space;   // JCS_RGB (stored as YCbCr), JCS_GRAYSCALE or JCS_CMYK (stored as YCCK)
  int hSample, vSample;  // luma sampling factors: 1x1 is 4:4:4, 2x2 4:2:0, 2x1 4:2:2
  bool progressive = false;
  int restartRows = 0;
  bool arithmetic = false;
  int restartMcus = 0;  // when restartRows is 0
};

// sample(x, y, channel) gives each input component; an orientation other than 1 adds an Exif segment, in
// big-endian order when it is negative.
inline std::vector<uint8_t> EncodeJpeg(const JpegLayout& l, int orientation,
                                       const std::function<uint8_t(int, int, int)>& sample, int quality = 90) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(l.width), c.image_height = static_cast<JDIMENSION>(l.height);
  c.input_components = l.space == JCS_GRAYSCALE ? 1 : l.space == JCS_CMYK ? 4 : 3;
  c.in_color_space = l.space;
  jpeg_set_defaults(&c);
  if (l.space == JCS_CMYK) jpeg_set_colorspace(&c, JCS_YCCK);
  jpeg_set_quality(&c, quality, TRUE);
  for (int k : {0, 3})  // luma and, in YCCK, K
    if (k < c.num_components) c.comp_info[k].h_samp_factor = l.hSample, c.comp_info[k].v_samp_factor = l.vSample;
  if (l.progressive) jpeg_simple_progression(&c);
  c.restart_in_rows = l.restartRows;
  c.restart_interval = static_cast<unsigned>(l.restartMcus);
  c.arith_code = l.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&c, TRUE);
  if (orientation != 1) {
    const std::string exif = ExifOrientation(std::abs(orientation), orientation < 0);
    jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()), static_cast<unsigned>(exif.size()));
  }
  const size_t n = static_cast<size_t>(c.input_components);
  std::vector<uint8_t> row(static_cast<size_t>(l.width) * n);
  for (JSAMPROW r = row.data(); c.next_scanline < c.image_height; jpeg_write_scanlines(&c, &r, 1))
    for (size_t k = 0; k < row.size(); ++k)
      row[k] = sample(static_cast<int>(k / n), static_cast<int>(c.next_scanline), static_cast<int>(k % n));
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size, size_t chunk = 4096) : data_(data), size_(size), chunk_(chunk) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    const size_t n = std::min({size, size_ - at_, chunk_});
    if (n > 0) std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_, chunk_, at_ = 0;
};

class MemoryTarget final : public TargetAllocator {
 public:
  // Refuses more than 64 M pixels, as a screen-sized canvas never needs; fills with a colour no decode gives.
  PixelTarget Allocate(int width, int height) noexcept override {
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (uint64_t{64} << 20)) return {};
    w = width, h = height;
    stride = static_cast<size_t>(width) + 3;
    pixels.assign(stride * static_cast<size_t>(height), 0xDEADBEEF);
    return {pixels.data(), stride};
  }
  uint32_t At(const JpegPart& part, int x, int y) const {
    return pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(part.sourceLeft + x)] & 0xFFFFFF;
  }
  std::vector<uint32_t> pixels;
  size_t stride = 0;
  int w = 0, h = 0;
};

}  // namespace pictavo::test
