#include "tests/show/TestPictures_win.h"

#include <wincodec.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/Owned_win.h"

namespace pictavo::test {
namespace {

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::runtime_error(std::string("encoding a test picture failed at ") + what);
}

}  // namespace

std::string EncodePicture(PictureFormat format, int width, int height, const std::function<uint32_t(int, int)>& rgb,
                          int orientation) {
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put())),
        "factory");
  ComPtr<IStream> stream;
  Check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), "stream");
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory.get()->CreateEncoder(format == PictureFormat::Bmp ? GUID_ContainerFormatBmp : GUID_ContainerFormatJpeg,
                                     nullptr, encoder.put()),
        "encoder");
  Check(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache), "initialize");
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  Check(encoder.get()->CreateNewFrame(frame.put(), options.put()), "frame");
  Check(frame.get()->Initialize(options.get()), "frame initialize");
  Check(frame.get()->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
  WICPixelFormatGUID pixelFormat = GUID_WICPixelFormat24bppBGR;
  Check(frame.get()->SetPixelFormat(&pixelFormat), "pixel format");
  if (pixelFormat != GUID_WICPixelFormat24bppBGR) Check(E_FAIL, "pixel format");
  const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = rgb(x, y);
      BYTE* p = &pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
      p[0] = static_cast<BYTE>(c);
      p[1] = static_cast<BYTE>(c >> 8);
      p[2] = static_cast<BYTE>(c >> 16);
    }
  }
  Check(frame.get()->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(pixels.size()), pixels.data()),
        "pixels");
  Check(frame.get()->Commit(), "frame commit");
  Check(encoder.get()->Commit(), "commit");
  HGLOBAL memory = nullptr;
  Check(::GetHGlobalFromStream(stream.get(), &memory), "memory");
  STATSTG stat{};
  Check(stream.get()->Stat(&stat, STATFLAG_NONAME), "stat");
  std::string bytes(static_cast<const char*>(::GlobalLock(memory)), static_cast<size_t>(stat.cbSize.QuadPart));
  ::GlobalUnlock(memory);
  if (format == PictureFormat::Jpeg && orientation != 0) {
    // APP1 "Exif": an IFD0 holding only the orientation (tag 0x0112, SHORT, one value).
    const char o = static_cast<char>(std::abs(orientation));
    const char ii[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
    const char mm[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1, 0, o, 0, 0, 0, 0, 0, 0};
    bytes.insert(2, std::string(orientation > 0 ? ii : mm, sizeof ii));
    bytes.insert(2, std::string("\xFF\xE1\0\x22" "Exif\0\0", 10));
  }
  return bytes;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

}  // namespace pictavo::test
