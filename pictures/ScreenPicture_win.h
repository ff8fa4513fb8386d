// The one place where a picture file becomes pixels: the part of it a screen shows, in a 32-bit DIB.
// JPEG files go to the program's own decoder (pictures/JpegDecoder.h), run-length bitmaps to its own bitmap
// decoder, other formats to the Windows Imaging Component after their header's size is checked.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <string>
#include <utility>

#include "platform/Owned_win.h"
#include "platform/PictureFiles_win.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureHeader.h"
#include "pictures/VisiblePart.h"
#include "pictures/WorkingMemory.h"

namespace pictavo {

// The pixels a picture is decoded into: a top-down 32-bit DIB section that is kept from one picture to the
// next and made anew only when a picture needs more room, and then as wide and as high as any picture
// has needed (landscape and portrait pictures taking turns make it once). Making a screen-sized one costs
// as much as decoding a photo into it (its pages are new to the process each time), so the show keeps one.
// It may be made and filled on one thread and drawn from on another, one after the other.
class PixelCanvas final : public TargetAllocator {
 public:
  PixelCanvas() = default;
  PixelCanvas(PixelCanvas&& other) noexcept { *this = std::move(other); }
  PixelCanvas& operator=(PixelCanvas&& other) noexcept {
    bitmap_ = std::move(other.bitmap_);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
  }
  // Rows of at least `width` pixels, at least `height` of them; an empty target when none can be had.
  PixelTarget Allocate(int width, int height) noexcept override;
  void Release() noexcept;
  HBITMAP get() const { return bitmap_.get(); }
  uint32_t* bits() const { return bits_; }
  int stride() const { return width_; }  // pixels from one row to the next

 private:
  UniqueBitmap bitmap_;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// The visible part of a picture centred on a screen, ready to be copied to it.
struct ScreenPicture {
  PixelCanvas canvas;      // holds the visible part when `shown`; kept for the next picture
  bool shown = false;
  PixelRect onScreen;      // where the visible part lands, in screen pixels
  int sourceLeft = 0;      // the visible part starts this many pixels into the canvas's rows
  int width = 0;           // the whole upright picture
  int height = 0;
  int orientation = 1;     // the EXIF orientation that was applied

  // Nothing shown any more; the canvas stays for the next picture.
  void Clear() {
    shown = false;
    onScreen = {};
    sourceLeft = width = height = 0;
    orientation = 1;
  }
};

// The size the file's head declares (its first kPictureHeadBytes); Format::Unknown when unreadable.
PictureHeader ReadPictureHeaderOf(const std::wstring& path);

// Decodes the part of the picture at `path` that a screen of screenWidth x screenHeight shows when the
// upright picture is centred on it. JPEG files, known by their content, are decoded by libjpeg-turbo,
// everything else by the Windows Imaging Component, into out's canvas. False, with nothing shown (the
// canvas kept for the next picture), for anything that cannot be displayed: not a picture, corrupt, larger
// than the decode limit, or a BMP, PNG or GIF whose whole decode exceeds kWholeDecodeBudgetBytes (refused
// before any decoder opens it). A decode asks `memory` (when given) for its working memory before it takes
// it. Each call holds no state but `out`: pictures of different screens may be decoded on different threads.
bool DecodeVisiblePart(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                       ScreenPicture& out, WorkingMemory* memory = nullptr);

// DecodeVisiblePart in two steps, so that the imaging factory is made only for a picture that needs it: the
// program's own decoders (JPEG files and run-length bitmaps) first; OtherFormat (nothing shown): a format
// for the imaging component, which DecodeVisiblePartWith then decodes.
enum class OwnDecode { Shown, Failed, OtherFormat };
OwnDecode DecodeVisiblePartOwn(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out,
                               WorkingMemory* memory = nullptr);
bool DecodeVisiblePartWith(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                           ScreenPicture& out, WorkingMemory* memory = nullptr);

}  // namespace pictavo
