// Generated JPEG pictures for the decoder's tests and its fuzzer's seeds, encoded by libjpeg-turbo.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

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
};

// sample(x, y, channel) gives each input component; an orientation other than 1 adds an Exif segment.
inline std::vector<uint8_t> EncodeJpeg(const JpegLayout& l, int orientation,
                                       const std::function<uint8_t(int, int, int)>& sample, int quality = 90) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(l.width);
  c.image_height = static_cast<JDIMENSION>(l.height);
  c.input_components = l.space == JCS_GRAYSCALE ? 1 : l.space == JCS_CMYK ? 4 : 3;
  c.in_color_space = l.space;
  jpeg_set_defaults(&c);
  if (l.space == JCS_CMYK) jpeg_set_colorspace(&c, JCS_YCCK);
  jpeg_set_quality(&c, quality, TRUE);
  c.comp_info[0].h_samp_factor = l.hSample;
  c.comp_info[0].v_samp_factor = l.vSample;
  if (l.space == JCS_CMYK) c.comp_info[3].h_samp_factor = l.hSample, c.comp_info[3].v_samp_factor = l.vSample;
  if (l.progressive) jpeg_simple_progression(&c);
  c.restart_in_rows = l.restartRows;
  c.arith_code = l.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&c, TRUE);
  if (orientation != 1) {
    const std::string exif = ExifOrientation(orientation, false);
    jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()), static_cast<unsigned>(exif.size()));
  }
  std::vector<uint8_t> row(static_cast<size_t>(l.width) * static_cast<size_t>(c.input_components));
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < l.width; ++x)
      for (int ch = 0; ch < c.input_components; ++ch)
        row[static_cast<size_t>(x) * static_cast<size_t>(c.input_components) + static_cast<size_t>(ch)] =
            sample(x, y, ch);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

}  // namespace pictavo::test
