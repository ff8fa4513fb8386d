#include "tests/show/TestPictures_win.h"

#include <wincodec.h>

#include <stdexcept>
#include <vector>

#include "platform/Owned_win.h"

namespace pictavo::test {
namespace {

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::runtime_error(std::string("encoding a test picture failed at ") + what);
}

// An APP1 Exif segment with IFD0 holding only the orientation, little-endian.
std::string ExifSegment(int orientation) {
  const unsigned char tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                                static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0, 0};
  std::string body = std::string("Exif\0\0", 6) + std::string(reinterpret_cast<const char*>(tiff), sizeof tiff);
  const size_t length = body.size() + 2;
  std::string segment("\xFF\xE1");
  segment.push_back(static_cast<char>(length >> 8));
  segment.push_back(static_cast<char>(length & 0xFF));
  segment.append(body);
  return segment;
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
  const GUID container = format == PictureFormat::Bmp    ? GUID_ContainerFormatBmp
                         : format == PictureFormat::Jpeg ? GUID_ContainerFormatJpeg
                                                         : GUID_ContainerFormatPng;
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory.get()->CreateEncoder(container, nullptr, encoder.put()), "encoder");
  Check(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache), "initialize");
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  Check(encoder.get()->CreateNewFrame(frame.put(), options.put()), "frame");
  if (format == PictureFormat::Jpeg && options) {
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = 0.95f;
    options.get()->Write(1, &option, &value);
  }
  Check(frame.get()->Initialize(options.get()), "frame initialize");
  Check(frame.get()->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
  WICPixelFormatGUID pixelFormat = GUID_WICPixelFormat24bppBGR;
  Check(frame.get()->SetPixelFormat(&pixelFormat), "pixel format");
  if (pixelFormat != GUID_WICPixelFormat24bppBGR) throw std::runtime_error("the encoder wants another pixel format");
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
  const void* data = ::GlobalLock(memory);
  std::string bytes(static_cast<const char*>(data), static_cast<size_t>(stat.cbSize.QuadPart));
  ::GlobalUnlock(memory);
  if (format == PictureFormat::Jpeg && orientation != 0) bytes.insert(2, ExifSegment(orientation));
  return bytes;
}

std::string LyingBmp(int32_t width, int32_t height) {
  std::string bytes(54 + 64, '\x7F');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  };
  auto put16 = [&](size_t at, uint16_t v) {
    bytes[at] = static_cast<char>(v);
    bytes[at + 1] = static_cast<char>(v >> 8);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(30, 0);
  put32(34, 0);
  put32(38, 2835);
  put32(42, 2835);
  put32(46, 0);
  put32(50, 0);
  return bytes;
}

}  // namespace pictavo::test
