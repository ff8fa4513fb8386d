// What a picture file says about its own size, read from its first bytes before any decoder sees it:
// the show refuses a picture whose whole decode would cost more memory (and time) than it allows.
// Plain C++: the head of the file is handed in as bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace pictavo {

// The first bytes of a file that ReadPictureHeader needs: the BMP, PNG and GIF headers and, for GIF,
// the first image descriptor after a few short extensions.
inline constexpr size_t kPictureHeadBytes = 1024;

// A decoder that decodes the whole frame at once (as the imaging component's PNG, GIF and BMP decoders
// do) holds width * height * max(4, bytesPerPixel) bytes. Beyond this the picture is refused: a decode of
// this size takes well under a second on this program's test machine and keeps the show far below 256 MB.
inline constexpr uint64_t kWholeDecodeBudgetBytes = uint64_t{96} << 20;

struct PictureHeader {
  enum class Format { Unknown, Bmp, Png, Gif };
  Format format = Format::Unknown;
  // A known format whose header is cut short or says something impossible (no width, a negative width,
  // a bit depth that does not exist): refused.
  bool malformed = false;
  int64_t width = 0;
  int64_t height = 0;
  int bytesPerPixel = 0;  // of the stored pixels, rounded up to whole bytes
  bool runLength = false;  // a BMP compressed with BI_RLE8 or BI_RLE4
};

// The format and size a file's head declares; Format::Unknown for anything else (JPEG, TIFF, text),
// whose size only its decoder can tell.
PictureHeader ReadPictureHeader(const uint8_t* head, size_t size);

// The memory a whole decode of this picture takes.
uint64_t WholeDecodeBytes(const PictureHeader& header);

// True when the picture must not reach a decoder: a known format that is malformed or whose whole decode
// exceeds the budget. An unknown format is left to its decoder's own checks.
bool RefuseBeforeDecoding(const PictureHeader& header, uint64_t budgetBytes = kWholeDecodeBudgetBytes);

}  // namespace pictavo
