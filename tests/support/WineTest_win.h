// Helpers for the tests that run under Wine: temporary directories, the program's
// settings, the built Pictavo.scr as a child process, windows and screenshots.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Owned_win.h"

namespace pictavo::test {

// A fresh directory under the temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }
  // UTF-8 form of path(), as the program's own globals hold it.
  std::string Utf8() const;
  void Write(std::wstring_view name, std::string_view bytes) const;
  std::optional<std::string> Read(std::wstring_view name) const;
  bool Exists(std::wstring_view name) const;

 private:
  std::wstring path_;
};

// A whole file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// The program's registry settings for the length of a test, read and written through the program's own
// store; the key is removed before and after.
class ScopedSettings {
 public:
  ScopedSettings();
  ~ScopedSettings();
  ScopedSettings(const ScopedSettings&) = delete;
  ScopedSettings& operator=(const ScopedSettings&) = delete;

  void Set(std::wstring_view name, std::wstring_view value) const;
  // The value as the program reads it: empty when it is missing or not text.
  std::wstring Get(std::wstring_view name) const;
};

// The built Pictavo.scr as a Windows path.
std::wstring ProgramPath();

// A program started for a test; ended by force if still running when the object goes.
class ChildProcess {
 public:
  // Starts `program` with the argument string `arguments` (the command line is
  // "program" + " " + arguments, so the argument string reaches the program exactly).
  ChildProcess(const std::wstring& program, const std::wstring& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD id() const { return id_; }
  // True when the process ended within the time.
  bool WaitForExit(DWORD timeoutMs);
  bool running() const;
  std::optional<DWORD> ExitCode() const;

 private:
  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD id_ = 0;
};

// A Unix program run to its end by its Unix path ("/usr/bin/xrandr --output DUMMY1 --off"), as Wine's
// start runs one; false when it could not be run or failed. Xdotool gives real input through the X
// server, as a user's mouse and keyboard give it ("mousemove 10 20 click 1").
bool RunUnix(const std::wstring& commandLine);
inline bool Xdotool(const std::wstring& arguments) { return RunUnix(L"/usr/bin/xdotool " + arguments); }

// A visible top-level window with this class (nullptr: any) and title (nullptr: any),
// belonging to the process `processId` (0: any), or nullptr after the time-out.
HWND WaitForVisibleWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs, DWORD processId = 0);
// Every visible top-level window of a process.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// A window's text, read with WM_GETTEXT (works across processes).
std::wstring WindowText(HWND hwnd);
// The child control with this caption, or nullptr.
HWND FindChildByText(HWND parent, std::wstring_view text);

// The primary screen's pixels, 0x00RRGGBB, taken with BitBlt from the screen.
class Screenshot {
 public:
  // The pixels of `area` of the virtual screen (desktop pixels; empty: the primary screen); At(0, 0) is its
  // top-left corner.
  static Screenshot Capture(RECT area = {});
  int width() const { return width_; }
  int height() const { return height_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // True when every pixel of the rectangle [left, right) x [top, bottom) has this colour.
  bool AllOf(int left, int top, int right, int bottom, uint32_t rgb) const;
  // The bounding box of the pixels that are not `background`; empty when there are none.
  RECT BoundsOfNot(uint32_t background) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Sleeps in small steps until the predicate holds or the time is up; answers the predicate.
template <typename Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(20);
  }
}

}  // namespace pictavo::test
