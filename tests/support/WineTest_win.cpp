#include "tests/support/WineTest_win.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/Registry_win.h"
#include "platform/Text_win.h"

namespace pictavo::test {
namespace fs = std::filesystem;
namespace {

// A path of the build tree as the test sees it: under Wine a Linux path lies on drive Z:.
std::wstring LinuxToWindowsPath(std::string_view linuxPath) {
  std::wstring path = (linuxPath.starts_with('/') ? L"Z:" : L"") + Widen(linuxPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

TempDir::TempDir() {
  static unsigned counter = 0;
  std::error_code error;
  do {
    path_ = (fs::temp_directory_path(error) / ("pictavo-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                                std::to_string(++counter))).wstring();
  } while (!fs::create_directory(path_, error) && !error);
}

// Read-only files are made writable first: the tests leave some behind on purpose.
TempDir::~TempDir() {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(path_, error))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

std::string TempDir::Utf8() const { return Narrow(path_); }

void TempDir::Write(std::wstring_view name, std::string_view bytes) const {
  std::ofstream(fs::path(File(name)), std::ios::binary) << bytes;
}

std::optional<std::string> TempDir::Read(std::wstring_view name) const { return ReadFileBytes(File(name)); }

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempDir::Exists(std::wstring_view name) const {
  return ::GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RunUnix(const std::wstring& commandLine) {
  ChildProcess program(L"C:\\windows\\system32\\start.exe", L"/wait /unix " + commandLine);
  return program.WaitForExit(10000) && program.ExitCode() == 0u;
}

ScopedSettings::ScopedSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pictavo"); }
ScopedSettings::~ScopedSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pictavo"); }

void ScopedSettings::Set(std::wstring_view name, std::wstring_view value) const {
  RegistryStore().Write(Narrow(name), Narrow(value));
}

std::wstring ScopedSettings::Get(std::wstring_view name) const { return Widen(RegistryStore().Read(Narrow(name))); }

std::wstring ProgramPath() { return LinuxToWindowsPath(PICTAVO_BIN_DIR) + L"\\Pictavo.scr"; }

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Under Wine, starting a program file copied a moment before has been seen to fail once in a loaded
  // run: a few tries before giving up.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
      process_.reset(info.hProcess);
      thread_.reset(info.hThread);
      id_ = info.dwProcessId;
      return;
    }
    ::Sleep(200);
  }
}

// Ended by force when still running.
ChildProcess::~ChildProcess() {
  if (running()) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
  return !process_ || ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::ExitCode() const {
  DWORD code = 0;
  if (!process_ || running() || !::GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (::IsWindowVisible(w) && (processId == 0 || pid == processId)) found.push_back(w);
  }
  return found;
}

HWND WaitForVisibleWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs, DWORD processId) {
  HWND result = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : VisibleWindowsOf(processId)) {
          wchar_t cls[256] = {};
          ::GetClassNameW(w, cls, 256);
          if ((!className || wcscmp(cls, className) == 0) && (!title || WindowText(w) == title)) return result = w, true;
        }
        return false;
      },
      timeoutMs);
  return result;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(4096, L'\0');
  DWORD_PTR got = 0;
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                        &got);
  text.resize(got);
  return text;
}

// Direct children only, which is where the program's dialogs put their controls.
HWND FindChildByText(HWND parent, std::wstring_view text) {
  return ::FindWindowExW(parent, nullptr, nullptr, std::wstring(text).c_str());
}

Screenshot Screenshot::Capture(RECT area) {
  if (::IsRectEmpty(&area)) area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  Screenshot shot;
  shot.width_ = area.right - area.left;
  shot.height_ = area.bottom - area.top;
  shot.pixels_.assign(static_cast<size_t>(shot.width_) * shot.height_, 0);
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width_;
  info.bmiHeader.biHeight = -shot.height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap dib(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return shot;
  {
    SelectScope select(memory.get(), dib.get());
    ::BitBlt(memory.get(), 0, 0, shot.width_, shot.height_, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
  }
  const auto* src = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < shot.pixels_.size(); ++i) shot.pixels_[i] = src[i] & 0x00FFFFFFu;
  return shot;
}

bool Screenshot::AllOf(int left, int top, int right, int bottom, uint32_t rgb) const {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (At(x, y) != rgb) return false;
  return true;
}

RECT Screenshot::BoundsOfNot(uint32_t background) const {
  RECT r{width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (At(x, y) != background) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  if (r.right <= r.left) r = RECT{0, 0, 0, 0};
  return r;
}

}  // namespace pictavo::test
