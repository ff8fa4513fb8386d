// Pictures and input made by the show's Wine tests: JPEG files encoded by libjpeg-turbo, 24-bit bitmaps,
// and real keyboard and pointer input.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace pictavo::test {

enum class PictureFormat { Bmp, Jpeg };

// A picture of width x height whose pixel (x, y) has the colour rgb(x, y) (0x00RRGGBB). A JPEG gets an
// Exif segment with this orientation when it is not 0, little-endian, or big-endian when it is negative.
std::string EncodePicture(PictureFormat format, int width, int height, const std::function<uint32_t(int, int)>& rgb,
                          int orientation = 0);
inline std::string Plain(PictureFormat format, int width, int height, uint32_t rgb) {
  return EncodePicture(format, width, height, [rgb](int, int) { return rgb; });
}

// Channel-wise closeness, for lossy JPEG.
bool Near(uint32_t a, uint32_t b, int tolerance = 40);

// Real input, as a user gives it.
inline void SendKey(BYTE vk) {
  ::keybd_event(vk, 0, 0, 0);
  ::keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}
inline void Click() { ::mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }
inline void MovePointer(int x, int y) {
  ::mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<DWORD>((x * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN)),
                static_cast<DWORD>((y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN)), 0, 0);
}

}  // namespace pictavo::test
