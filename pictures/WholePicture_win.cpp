#include "pictures/WholePicture_win.h"

#include <vector>

#include "pictures/JpegDecoder.h"
#include "pictures/PictureHeader.h"
#include "platform/PictureFiles_win.h"

namespace pictavo {
namespace {

// The whole upright picture, in a buffer no larger than the caller's limit.
class WholeBuffer final : public TargetAllocator {
 public:
  explicit WholeBuffer(uint64_t maxPixels) : maxPixels_(maxPixels) {}
  PixelTarget Allocate(int width, int height) noexcept override {
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > maxPixels_) return {};
    try {
      pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    } catch (...) {
      return {};
    }
    return {pixels.data(), static_cast<size_t>(width)};
  }
  std::vector<uint32_t> pixels;

 private:
  uint64_t maxPixels_;
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

JpegOutcome DecodeWholeJpeg(IWICImagingFactory* factory, const std::wstring& path, uint64_t maxPixels,
                            ComPtr<IWICBitmapSource>& out) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return JpegOutcome::Failed;
  FileBytes bytes(file.get());
  WholeBuffer picture(maxPixels);
  JpegPart part;
  // A "screen" as large as a JPEG can be: the whole picture is visible.
  const JpegOutcome outcome = DecodeJpegPart(bytes, 65535, 65535, picture, part);
  if (outcome != JpegOutcome::Decoded) return outcome;
  const UINT stride = static_cast<UINT>(part.bufferWidth) * 4u;
  ComPtr<IWICBitmap> bitmap;  // a copy of the pixels
  if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(part.bufferWidth), static_cast<UINT>(part.bufferHeight),
                                             GUID_WICPixelFormat32bppBGR, stride,
                                             stride * static_cast<UINT>(part.bufferHeight),
                                             reinterpret_cast<BYTE*>(picture.pixels.data()), bitmap.put())))
    return JpegOutcome::Failed;
  out.reset(bitmap.release());
  return JpegOutcome::Decoded;
}

}  // namespace

ComPtr<IWICBitmapSource> OpenWholePicture(IWICImagingFactory* factory, const std::wstring& path, uint64_t maxPixels) {
  if (!factory) return {};
  // The imaging component's decoders decode the whole frame on opening: the header's own size decides first.
  const std::vector<uint8_t> head = ReadFileHead(path, kPictureHeadBytes);
  if (RefuseBeforeDecoding(ReadPictureHeader(head.data(), head.size()))) return {};
  ComPtr<IWICBitmapSource> source;
  switch (DecodeWholeJpeg(factory, path, maxPixels, source)) {
    case JpegOutcome::Decoded:
      return source;
    case JpegOutcome::NotJpeg:
      break;
    default:
      return {};
  }
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())) ||
      FAILED(decoder.get()->GetFrame(0, frame.put())))
    return {};
  UINT width = 0, height = 0;
  // The decoder trusts the file's header: refuse absurd sizes before any pixel is decoded.
  if (FAILED(frame.get()->GetSize(&width, &height)) || width == 0 || height == 0 ||
      static_cast<uint64_t>(width) * height > maxPixels)
    return {};
  source.reset(frame.release());
  return source;
}

}  // namespace pictavo
