// The one place where a picture file becomes pixels: the part of it a screen shows, in a 32-bit DIB.
// JPEG files go to the program's own decoder (show/JpegDecoder.h), run-length bitmaps to its own bitmap
// decoder, other formats to the Windows Imaging Component after their header's size is checked.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <string>

#include "platform/Owned_win.h"
#include "platform/PictureFiles_win.h"
#include "show/PictureHeader.h"
#include "show/Placement.h"

namespace pictavo {

// The visible part of a picture centred on a screen, ready to be copied to it.
struct ScreenPicture {
  UniqueBitmap bitmap;     // top-down 32-bit DIB section, at least onScreen's size
  PixelRect onScreen;      // where the visible part lands, in screen pixels
  int sourceLeft = 0;      // the visible part starts this many pixels into the bitmap's rows
  int width = 0;           // the whole upright picture
  int height = 0;
  int orientation = 1;     // the EXIF orientation that was applied
};

// The size the file's head declares (its first kPictureHeadBytes); Format::Unknown when unreadable.
PictureHeader ReadPictureHeaderOf(const std::wstring& path);

// Decodes the part of the picture at `path` that a screen of screenWidth x screenHeight shows when the
// upright picture is centred on it. JPEG files, known by their content, are decoded by libjpeg-turbo,
// everything else by the Windows Imaging Component. False, with nothing held, for anything that cannot be
// displayed: not a picture, corrupt, larger than the decode limit, or a BMP, PNG or GIF whose whole decode
// exceeds kWholeDecodeBudgetBytes (refused before any decoder opens it).
bool DecodeVisiblePart(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                       ScreenPicture& out);

}  // namespace pictavo
