#include "tests/pictures/TestPictures_win.h"

#include <wincodec.h>

#include <cstdlib>
#include <cstring>
#include <source_location>
#include <stdexcept>
#include <vector>

#include "platform/Owned_win.h"
#include "tests/support/PictureBytes.h"

namespace pictavo::test {
namespace {

void Check(HRESULT hr, std::source_location at = std::source_location::current()) {
  if (FAILED(hr)) throw std::runtime_error("encoding a test picture failed on line " + std::to_string(at.line()));
}

}  // namespace

std::string EncodePicture(PictureFormat format, int width, int height, const std::function<uint32_t(int, int)>& rgb,
                          int orientation) {
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put())));
  ComPtr<IStream> stream;
  Check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory.get()->CreateEncoder(format == PictureFormat::Bmp ? GUID_ContainerFormatBmp : GUID_ContainerFormatJpeg,
                                     nullptr, encoder.put()));
  Check(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  Check(encoder.get()->CreateNewFrame(frame.put(), options.put()));
  Check(frame.get()->Initialize(options.get()));
  Check(frame.get()->SetSize(width, height));
  WICPixelFormatGUID pixelFormat = GUID_WICPixelFormat24bppBGR;
  Check(frame.get()->SetPixelFormat(&pixelFormat));
  Check(pixelFormat == GUID_WICPixelFormat24bppBGR ? S_OK : E_FAIL);
  const UINT stride = (width * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(stride * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = rgb(x, y);  // little-endian 0x00RRGGBB: its first three bytes are B, G, R
      std::memcpy(&pixels[y * stride + x * 3], &c, 3);
    }
  Check(frame.get()->WritePixels(height, stride, stride * height, pixels.data()));
  Check(frame.get()->Commit());
  Check(encoder.get()->Commit());
  HGLOBAL memory = nullptr;
  Check(::GetHGlobalFromStream(stream.get(), &memory));
  STATSTG stat{};
  Check(stream.get()->Stat(&stat, STATFLAG_NONAME));
  std::string bytes(static_cast<const char*>(::GlobalLock(memory)), stat.cbSize.QuadPart);
  ::GlobalUnlock(memory);
  if (format == PictureFormat::Jpeg && orientation != 0) {
    const std::string exif = ExifOrientation(std::abs(orientation), orientation < 0);
    bytes.insert(2, std::string("\xFF\xE1\0", 3) + static_cast<char>(exif.size() + 2) + exif);
  }
  return bytes;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  return true;
}

}  // namespace pictavo::test
