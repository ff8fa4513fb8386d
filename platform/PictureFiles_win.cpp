#include "platform/PictureFiles_win.h"

#include <algorithm>

namespace pictavo {

bool OrdinaryFileExists(const std::wstring& path) {
  if (path.find_first_of(L"*?") != std::wstring::npos) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

namespace {

UniqueFile OpenForReading(const std::wstring& path) {
  return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool ReadInto(HANDLE file, uint8_t* data, size_t size) {
  for (size_t done = 0; done < size;) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 24));
    if (!::ReadFile(file, data + done, want, &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

}  // namespace

std::vector<uint8_t> ReadFileHead(const std::wstring& path, size_t maxBytes) {
  UniqueFile file = OpenForReading(path);
  std::vector<uint8_t> head;
  if (!file) return head;
  head.resize(maxBytes);
  DWORD read = 0;
  if (!::ReadFile(file.get(), head.data(), static_cast<DWORD>(maxBytes), &read, nullptr)) read = 0;
  head.resize(read);
  return head;
}

bool ReadWholeFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) {
  out.clear();
  UniqueFile file = OpenForReading(path);
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<uint64_t>(size.QuadPart) > maxBytes || static_cast<uint64_t>(size.QuadPart) > SIZE_MAX)
    return false;
  out.resize(static_cast<size_t>(size.QuadPart));
  if (!ReadInto(file.get(), out.data(), out.size())) {
    out.clear();
    return false;
  }
  return true;
}

ComPtr<IWICImagingFactory> CreateImagingFactory() {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put()))))
    factory.reset();
  return factory;
}

UniqueBitmap CreateTopDownDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace pictavo
