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
    Release();
    void* bits = nullptr;
    UniqueBitmap made = CreateTopDownDib(width, height, &bits);
    if (!made || !bits) return {};
    bitmap_ = std::move(made);
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
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
bool DecodeRunLengthVisiblePart(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out) {
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
OwnDecode DecodeOwnInto(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out) {
  {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return OwnDecode::Failed;
    FileSource source(file.get());
    JpegPart part;
    switch (DecodeJpegPart(source, screenWidth, screenHeight, out.canvas, part)) {
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
    return DecodeRunLengthVisiblePart(path, screenWidth, screenHeight, out) ? OwnDecode::Shown : OwnDecode::Failed;
  return OwnDecode::OtherFormat;
}

bool DecodeWithImagingComponent(IWICImagingFactory* factory, const std::wstring& path, int screenWidth,
                                int screenHeight, ScreenPicture& out) {
  if (!factory) return false;
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

OwnDecode DecodeVisiblePartOwn(const std::wstring& path, int screenWidth, int screenHeight, ScreenPicture& out) {
  out.Clear();
  const OwnDecode outcome = DecodeOwnInto(path, screenWidth, screenHeight, out);
  if (outcome == OwnDecode::Shown) return outcome;
  out.Clear();
  if (outcome == OwnDecode::Failed) out.canvas.Release();
  return outcome;
}

bool DecodeVisiblePart(IWICImagingFactory* factory, const std::wstring& path, int screenWidth, int screenHeight,
                       ScreenPicture& out) {
  switch (DecodeVisiblePartOwn(path, screenWidth, screenHeight, out)) {
    case OwnDecode::Shown:
      return true;
    case OwnDecode::Failed:
      return false;
    case OwnDecode::OtherFormat:
      break;
  }
  if (DecodeWithImagingComponent(factory, path, screenWidth, screenHeight, out)) return true;
  out.Clear();
  out.canvas.Release();
  return false;
}

}  // namespace pictavo
