// The About box's picture: the whole picture (pictures/WholePicture_win.h) scaled for the DPI into a
// 32-bit DIB section, keeping only the part a window of a given size can show.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Owned_win.h"
#include "platform/PictureFiles_win.h"

namespace pictavo {

struct DecodedPicture {
  UniqueBitmap bitmap;  // top-down 32-bit DIB section of width x height
  int32_t width = 0;    // the part that was kept
  int32_t height = 0;
};

// Decodes path; at a DPI other than 96 the picture is scaled so that one of its pixels
// stays 15 twips (its size at 96 DPI). Only the top-left keepWidth x keepHeight pixels of
// the scaled picture are kept. Empty when the file cannot be read or decoded, or when it
// claims more than kMaxPicturePixels.
std::optional<DecodedPicture> DecodePicture(const std::wstring& path, int32_t dpi, int32_t keepWidth,
                                            int32_t keepHeight);

inline constexpr uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

}  // namespace pictavo
