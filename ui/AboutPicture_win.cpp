#include "ui/AboutPicture_win.h"

#include <wincodec.h>

#include <algorithm>

#include "pictures/WholePicture_win.h"
#include "ui/Twips.h"

namespace pictavo {

std::optional<DecodedPicture> DecodePicture(const std::wstring& path, int32_t dpi, int32_t keepWidth,
                                            int32_t keepHeight) {
  ComScope com;  // harmless when the thread already has COM
  ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
  ComPtr<IWICBitmapSource> whole = OpenWholePicture(factory.get(), path, kMaxPicturePixels);
  if (!whole) return std::nullopt;
  IWICBitmapSource* source = whole.get();
  UINT width = 0;
  UINT height = 0;
  if (FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;

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
