// Writes the JPEG fuzzer's starting inputs into a directory: small pictures of each layout the decoder
// handles, each behind the two bytes that pick the screen.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  struct Seed {
    const char* name;
    J_COLOR_SPACE space;
    int h, v;
    bool progressive, arithmetic;
    int restart, orientation;
  };
  const Seed seeds[] = {{"baseline-420", JCS_RGB, 2, 2, false, false, 0, 1},
                        {"444-turned", JCS_RGB, 1, 1, false, false, 0, 6},
                        {"progressive", JCS_RGB, 2, 1, true, false, 0, 8},
                        {"arithmetic-restart", JCS_RGB, 2, 2, false, true, 1, 3},
                        {"grey", JCS_GRAYSCALE, 1, 1, false, false, 0, 1},
                        {"cmyk", JCS_CMYK, 1, 1, false, false, 0, 1}};
  for (const Seed& s : seeds) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 37;
    c.image_height = 29;
    c.input_components = s.space == JCS_GRAYSCALE ? 1 : s.space == JCS_CMYK ? 4 : 3;
    c.in_color_space = s.space;
    jpeg_set_defaults(&c);
    c.comp_info[0].h_samp_factor = s.h;
    c.comp_info[0].v_samp_factor = s.v;
    if (s.progressive) jpeg_simple_progression(&c);
    c.arith_code = s.arithmetic ? TRUE : FALSE;
    c.restart_in_rows = s.restart;
    jpeg_start_compress(&c, TRUE);
    if (s.orientation != 1) {
      const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3,
                                    0, 0, 0, 1, 0, static_cast<unsigned char>(s.orientation), 0, 0, 0, 0, 0, 0};
      jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
    }
    std::vector<unsigned char> row(37u * static_cast<unsigned>(c.input_components));
    while (c.next_scanline < c.image_height) {
      for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 5 + c.next_scanline * 11);
      JSAMPROW r = row.data();
      jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    const std::string path = std::string(argv[1]) + "/" + s.name + ".bin";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      const unsigned char screen[2] = {10, 12};  // 31 x 25: smaller than the picture
      std::fwrite(screen, 1, 2, f);
      std::fwrite(out, 1, size, f);
      std::fclose(f);
    }
    jpeg_destroy_compress(&c);
    std::free(out);
  }
  return 0;
}
