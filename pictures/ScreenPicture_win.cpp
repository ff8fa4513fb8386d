#include "pictures/ScreenPicture_win.h"

#include <cstring>
#include <vector>

#include "pictures/JpegDecoder.h"
#include "pictures/Orientation.h"
#include "pictures/PictureHeader.h"
#include "pictures/RleBitmap.h"

namespace pictavo {

PixelTarget PixelCanvas::Allocate(int width, int height) noexcept {
  if (width <= 0 || height <= 0) return {};
  if (!bitmap_ || width > width_ || height > height_) {
    const int w = width > width_ ? width : width_, h = height > height_ ? height : height_;
    Release();
    void* bits = nullptr;
    UniqueBitmap made = CreateTopDownDib(w, h, &bits);
    if (!made || !bits) return {};
    bitmap_ = std::move(made);
    bits_ = static_cast<uint32_t*>(bits);
    width_ = w;
    height_ = h;
  }
  return {bits_, static_cast<size_t>(width_)};
}

void PixelCanvas::Release() noexcept {
  bitmap_ = UniqueBitmap();
  bits_ = nullptr;
  width_ = height_ = 0;
}

PictureHeader ReadPictureHeaderOf(const std::wstring& path) {
  const std::vector<uint8_t> head = ReadFileHead(path, kPictureHeadBytes);
  return ReadPictureHeader(head.data(), head.size());
}

namespace {

// The working memory one decode holds, given back when it ends.
class Reservation {
 public:
  explicit Reservation(WorkingMemory* memory) : memory_(memory) {}
  Reservation(const Reservation&) = delete;
  Reservation& operator=(const Reservation&) = delete;
  ~Reservation() {
    if (held_) memory_->Give(held_);
  }
  bool Take(uint64_t bytes) noexcept {
    if (!memory_ || bytes == 0) return true;
    if (!memory_->Take(bytes)) return false;
    held_ += bytes;
    return true;
  }

 private:
  WorkingMemory* memory_;
  uint64_t held_ = 0;
};

// The canvas as the JPEG decoder's target, its working memory asked for on the way.
class CanvasTarget final : public TargetAllocator {
 public:
  CanvasTarget(PixelCanvas& canvas, Reservation& reservation) : canvas_(canvas), reservation_(reservation) {}
  bool Reserve(uint64_t bytes) noexcept override { return reservation_.Take(bytes); }
  PixelTarget Allocate(int width, int height) noexcept override { return canvas_.Allocate(width, height); }

 private:
  PixelCanvas& canvas_;
  Reservation& reservation_;
};

// A file read through the JPEG decoder's own small buffer.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    DWORD read = 0;
    if (!::ReadFile(file_, buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
    return read;
  }

 private:
  HANDLE file_;
};

// Pictures with transparency are laid on black (premultiplied alpha, which the copy to the screen then
// ignores); opaque ones take the quicker conversion.
WICPixelFormatGUID TargetFormat(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
  WICPixelFormatGUID source{};
  if (FAILED(frame->GetPixelFormat(&source))) return GUID_WICPixelFormat32bppPBGRA;
  ComPtr<IWICComponentInfo> info;
  ComPtr<IWICPixelFormatInfo2> formatInfo;
  BOOL transparent = TRUE;
  if (SUCCEEDED(factory->CreateComponentInfo(source, info.put())) &&
      SUCCEEDED(info.get()->QueryInterface(IID_PPV_ARGS(formatInfo.put()))))
    formatInfo.get()->SupportsTransparency(&transparent);
  return transparent ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGR;
}

// A run-length encoded bitmap, decoded by the program's own decoder (every pixel defined, those the
// data skips black), then cut to the visible part as any other picture is.
bool DecodeRunLengthVisiblePart(const std::wstring& path, const PictureHeader& header, int screenWidth,
                                int screenHeight, ScreenPicture& out, Reservation& reservation) {
  // The file (no larger than its pixels at four bytes each) and the pixels, both whole for a moment.
  if (!reservation.Take(2 * WholeDecodeBytes(header))) return false;
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, kWholeDecodeBudgetBytes, file)) return false;
  const std::optional<RleBitmap> picture = DecodeRleBitmap(file.data(), file.size());
  file = {};
  if (!picture) return false;
  const Placement placement = PlaceCentred(screenWidth, screenHeight, picture->width, picture->height);
  if (placement.onScreen.Empty()) return false;
  const PixelTarget target = out.canvas.Allocate(placement.onScreen.width, placement.onScreen.height);
  if (!target.pixels) return false;
  const PixelRect part = StoredRectFor(placement.source, picture->width, picture->height, 1);
  for (int y = 0; y < part.height; ++y)
    std::memcpy(target.pixels + static_cast<size_t>(y) * target.stride,
                picture->pixels.data() + static_cast<size_t>(part.top + y) * static_cast<size_t>(picture->width) +
                    static_cast<size_t>(part.left),
                static_cast<size_t>(part.width) * 4u);
  out.shown = true;
  out.onScreen = placement.onScreen;
  out.width = picture->width;
  out.height = picture->height;
  out.orientation = 1;
  return true;
}

// The program's own decoders: JPEG files and run-length bitmaps. Other formats are left to the imaging component.
OwnDecode DecodeOwnInto(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out,
                        WorkingMemory* memory) {
  Reservation reservation(memory);
  {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return OwnDecode::Failed;
    FileSource source(file.get());
    JpegPart part;
    CanvasTarget target(out.canvas, reservation);
    switch (DecodeJpegPart(source, screenWidth, screenHeight, target, part)) {
      case JpegOutcome::Decoded:
        out.shown = true;
        out.onScreen = part.onScreen;
        out.sourceLeft = part.sourceLeft;
        out.width = part.width;
        out.height = part.height;
        out.orientation = part.orientation;
        return OwnDecode::Shown;
      case JpegOutcome::NotJpeg:
        break;  // for the Imaging Component
      default:
        return OwnDecode::Failed;
    }
  }
  // The header's own size first: the imaging component's decoders decode the whole frame on opening.
  const PictureHeader header = ReadPictureHeaderOf(path);
  if (RefuseBeforeDecoding(header)) return OwnDecode::Failed;
  if (header.runLength)
    return DecodeRunLengthVisiblePart(path, header, screenWidth, screenHeight, out, reservation) ? OwnDecode::Shown
                                                                                                   : OwnDecode::Failed;
  return OwnDecode::OtherFormat;
}

bool DecodeWithImagingComponent(IWICImagingFactory* factory, const std::wstring& path, int screenWidth,
                                int screenHeight, ScreenPicture& out, WorkingMemory* memory) {
  if (!factory) return false;
  // The decoders of the formats whose head tells their size decode the whole frame on opening.
  Reservation reservation(memory);
  const PictureHeader header = ReadPictureHeaderOf(path);
  if (RefuseBeforeDecoding(header) || !reservation.Take(WholeDecodeBytes(header))) return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder.get()->GetFrame(0, frame.put()))) return false;
  UINT width = 0, height = 0;
  if (FAILED(frame.get()->GetSize(&width, &height))) return false;
  // The decoder believes the header: an absurd size would make it allocate or grind for a long time.
  if (!DecodeSizeAcceptable(width, height)) return false;
  // The others (TIFF and the like) decode when their pixels are copied.
  if (header.format == PictureHeader::Format::Unknown && !reservation.Take(uint64_t{width} * height * 4u)) return false;

  // Only JPEG files carry the EXIF orientation the show follows: these stand as stored.
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const Placement placement = PlaceCentred(screenWidth, screenHeight, w, h);
  if (placement.onScreen.Empty()) return false;

  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter.get()->Initialize(frame.get(), TargetFormat(factory, frame.get()), WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom)))
    return false;

  const PixelTarget target = out.canvas.Allocate(placement.onScreen.width, placement.onScreen.height);
  if (!target.pixels) return false;
  const UINT stride = static_cast<UINT>(target.stride) * 4u;
  const UINT bytes = stride * static_cast<UINT>(placement.onScreen.height);
  const WICRect rect{placement.source.left, placement.source.top, placement.source.width, placement.source.height};
  if (FAILED(converter.get()->CopyPixels(&rect, stride, bytes, reinterpret_cast<BYTE*>(target.pixels)))) return false;
  out.shown = true;
  out.onScreen = placement.onScreen;
  out.width = w;
  out.height = h;
  return true;
}

}  // namespace

OwnDecode DecodeVisiblePartOwn(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out,
                               WorkingMemory* memory) {
  out.Clear();
  const OwnDecode outcome = DecodeOwnInto(path, screenWidth, screenHeight, out, memory);
  if (outcome != OwnDecode::Shown) out.Clear();
  return outcome;
}

bool DecodeVisiblePartWith(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                           ScreenPicture& out, WorkingMemory* memory) {
  out.Clear();
  if (DecodeWithImagingComponent(factory, path, screenWidth, screenHeight, out, memory)) return true;
  out.Clear();
  return false;
}

bool DecodeVisiblePart(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                       ScreenPicture& out, WorkingMemory* memory) {
  switch (DecodeVisiblePartOwn(path, screenWidth, screenHeight, out, memory)) {
    case OwnDecode::Shown:
      return true;
    case OwnDecode::Failed:
      return false;
    case OwnDecode::OtherFormat:
      break;
  }
  return DecodeVisiblePartWith(factory, path, screenWidth, screenHeight, out, memory);
}

}  // namespace pictavo
