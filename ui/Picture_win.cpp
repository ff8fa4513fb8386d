#include "ui/Picture_win.h"

#include <wincodec.h>

#include <algorithm>

#include "show/PictureHeader.h"
#include "ui/Twips.h"

namespace pictavo {

std::optional<DecodedPicture> DecodePicture(const std::wstring& path, int32_t dpi, int32_t keepWidth,
                                            int32_t keepHeight) {
  // The imaging component's decoders decode the whole frame on opening: the header's own size decides first.
  const std::vector<uint8_t> head = ReadFileHead(path, kPictureHeadBytes);
  if (RefuseBeforeDecoding(ReadPictureHeader(head.data(), head.size()))) return std::nullopt;
  ComScope com;  // harmless when the thread already has COM
  ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
  if (!factory) return std::nullopt;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory.get()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, decoder.put())))
    return std::nullopt;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder.get()->GetFrame(0, frame.put()))) return std::nullopt;
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame.get()->GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;
  // The decoder trusts the file's header: refuse absurd sizes before any pixel is decoded.
  if (static_cast<uint64_t>(width) * height > kMaxPicturePixels) return std::nullopt;

  IWICBitmapSource* source = frame.get();
  ComPtr<IWICBitmapScaler> scaler;
  const int64_t twipsPerPixel = kTwipsPerInch / kDefaultDpi;
  const int32_t scaledWidth = std::max(1, TwipsToPixels(static_cast<int64_t>(width) * twipsPerPixel, dpi));
  const int32_t scaledHeight = std::max(1, TwipsToPixels(static_cast<int64_t>(height) * twipsPerPixel, dpi));
  if (static_cast<UINT>(scaledWidth) != width || static_cast<UINT>(scaledHeight) != height) {
    if (FAILED(factory.get()->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler.get()->Initialize(frame.get(), static_cast<UINT>(scaledWidth), static_cast<UINT>(scaledHeight),
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
