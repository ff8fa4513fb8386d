#include "ui/AboutPicture_win.h"

#include <wincodec.h>

#include <algorithm>
#include <vector>

#include "show/JpegDecoder.h"
#include "show/PictureHeader.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

// The whole upright picture, in a buffer no larger than the About box's limit.
class WholePicture final : public TargetAllocator {
 public:
  PixelTarget Allocate(int width, int height) noexcept override {
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPicturePixels) return {};
    try {
      pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    } catch (...) {
      return {};
    }
    return {pixels.data(), static_cast<size_t>(width)};
  }
  std::vector<uint32_t> pixels;
};

class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(HANDLE file) : file_(file) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    DWORD read = 0;
    return ::ReadFile(file_, buffer, static_cast<DWORD>(size), &read, nullptr) ? read : 0;
  }

 private:
  HANDLE file_;
};

JpegOutcome DecodeWholeJpeg(IWICImagingFactory* factory, const std::wstring& path, ComPtr<IWICBitmap>& out) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return JpegOutcome::Failed;
  FileBytes bytes(file.get());
  WholePicture picture;
  JpegPart part;
  // A "screen" as large as a JPEG can be: the whole picture is visible.
  const JpegOutcome outcome = DecodeJpegPart(bytes, 65535, 65535, picture, part);
  if (outcome != JpegOutcome::Decoded) return outcome;
  const UINT stride = static_cast<UINT>(part.bufferWidth) * 4u;
  if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(part.bufferWidth), static_cast<UINT>(part.bufferHeight),
                                             GUID_WICPixelFormat32bppBGR, stride,
                                             stride * static_cast<UINT>(part.bufferHeight),
                                             reinterpret_cast<BYTE*>(picture.pixels.data()), out.put())))
    return JpegOutcome::Failed;
  return JpegOutcome::Decoded;
}

}  // namespace

std::optional<DecodedPicture> DecodePicture(const std::wstring& path, int32_t dpi, int32_t keepWidth,
                                            int32_t keepHeight) {
  // The imaging component's decoders decode the whole frame on opening: the header's own size decides first.
  const std::vector<uint8_t> head = ReadFileHead(path, kPictureHeadBytes);
  if (RefuseBeforeDecoding(ReadPictureHeader(head.data(), head.size()))) return std::nullopt;
  ComScope com;  // harmless when the thread already has COM
  ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
  if (!factory) return std::nullopt;
  // JPEG files, known by their content, go through the program's own decoder, as in the show.
  UINT width = 0;
  UINT height = 0;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmap> jpeg;
  IWICBitmapSource* source = nullptr;
  switch (DecodeWholeJpeg(factory.get(), path, jpeg)) {
    case JpegOutcome::Decoded:
      source = jpeg.get();
      break;
    case JpegOutcome::NotJpeg:
      if (FAILED(factory.get()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, decoder.put())) ||
          FAILED(decoder.get()->GetFrame(0, frame.put())))
        return std::nullopt;
      source = frame.get();
      break;
    default:
      return std::nullopt;
  }
  if (FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;
  // The decoder trusts the file's header: refuse absurd sizes before any pixel is decoded.
  if (static_cast<uint64_t>(width) * height > kMaxPicturePixels) return std::nullopt;

  IWICBitmapSource* const unscaled = source;
  ComPtr<IWICBitmapScaler> scaler;
  const int64_t twipsPerPixel = kTwipsPerInch / kDefaultDpi;
  const int32_t scaledWidth = std::max(1, TwipsToPixels(static_cast<int64_t>(width) * twipsPerPixel, dpi));
  const int32_t scaledHeight = std::max(1, TwipsToPixels(static_cast<int64_t>(height) * twipsPerPixel, dpi));
  if (static_cast<UINT>(scaledWidth) != width || static_cast<UINT>(scaledHeight) != height) {
    if (FAILED(factory.get()->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler.get()->Initialize(unscaled, static_cast<UINT>(scaledWidth), static_cast<UINT>(scaledHeight),
                                        WICBitmapInterpolationModeFant)))
      return std::nullopt;
    source = scaler.get();
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory.get()->CreateFormatConverter(converter.put())) ||
      FAILED(converter.get()->Initialize(source, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom)))
    return std::nullopt;

  DecodedPicture picture;
  picture.width = std::min(scaledWidth, keepWidth);
  picture.height = std::min(scaledHeight, keepHeight);
  if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
  void* bits = nullptr;
  picture.bitmap = CreateTopDownDib(picture.width, picture.height, &bits);
  if (!picture.bitmap || bits == nullptr) return std::nullopt;
  const UINT stride = static_cast<UINT>(picture.width) * 4;
  const WICRect rect{0, 0, picture.width, picture.height};
  if (FAILED(converter.get()->CopyPixels(&rect, stride, stride * static_cast<UINT>(picture.height),
                                         static_cast<BYTE*>(bits))))
    return std::nullopt;
  return picture;
}

}  // namespace pictavo
