// Measurements of the show that need to be taken inside Windows: the change latency (from the tick to
// the picture drawn), the time from starting Pictavo.scr to a black screen, and what the process holds
// (handles, GDI objects, memory) before and after many changes. Prints one figure a line; show-bench.sh
// runs it and prints the table.
//
//   pictavo_show_bench latency IMAGES_DIR FILE CHANGES
//   pictavo_show_bench start PROGRAM RUNS
//   pictavo_show_bench leaks IMAGES_DIR FILE CHANGES
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "platform/Text_win.h"
#include "pictures/ScreenPicture_win.h"
#include "show/Slideshow_win.h"

namespace pictavo {
namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Frequency() {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  return static_cast<double>(f.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

int Latency(const std::string& dir, const std::string& file, int changes) {
  gImagesDir = dir;
  gDelay = 0;
  gRandom = false;
  gUseAll = false;
  gCollectionCount = 1;
  gCollections[0].InUse = true;
  gCollections[0].ImageCount = 1;
  gCollections[0].Images[0] = {"bench 1", file};
  std::vector<double> ms;
  bool refused = false;
  ShowEnvironment env;
  env.splashPath = dir + "\\no-splash.jpg";
  env.tickMs = 1500;
  env.onEvent = [&](const ShowEvent& e) {
    if (e.kind == ShowEvent::Kind::Undecodable || e.kind == ShowEvent::Kind::Missing) refused = true;
    if (e.kind != ShowEvent::Kind::Picture && !refused) return;
    ::GdiFlush();
    ms.push_back(static_cast<double>(Now() - e.changeStarted) * 1000.0 / Frequency());
    if (static_cast<int>(ms.size()) >= changes || refused) ::PostMessageW(e.window, WM_KEYDOWN, VK_SPACE, 0);
  };
  RunShowWith(env);
  if (refused) {
    std::printf("error: %s could not be shown\n", file.c_str());
    return 1;
  }
  std::printf("latency_ms %.1f", Median(ms));
  for (double v : ms) std::printf(" %.1f", v);
  std::printf("\n");
  return 0;
}

// The kernel handles this process holds, from the system's handle list where the process's own count is
// not kept (Wine answers 0 there).
DWORD HandleCount() {
  DWORD count = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
  struct Entry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<unsigned char> buffer(1 << 16);
  ULONG needed = 0;
  LONG status;
  while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004))  // the list is longer: a larger buffer
    buffer.resize(buffer.size() * 2);
  if (status < 0) return 0;
  const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  for (ULONG i = 0; i < entries; ++i) count += entry[i].ownerPid == ::GetCurrentProcessId();
  return count;
}

struct Holdings {
  DWORD handles = 0;
  DWORD gdiObjects = 0;   // 0 where the system does not count them (Wine)
  DWORD userObjects = 0;
  size_t committedKb = 0;
};

Holdings Held() {
  Holdings h;
  h.handles = HandleCount();
  h.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  h.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  if (::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory))) h.committedKb = memory.PagefileUsage / 1024;
  return h;
}

// The show changing pictures at every tick, and after each change a display change that alternates the
// primary monitor between the whole screen and three quarters of it, so that every picture is also
// decoded again and the text font and window move are exercised. The holdings after the first change
// and after the last.
int Leaks(const std::string& dir, const std::string& file, int changes) {
  gImagesDir = dir;
  gDelay = -1;
  gRandom = false;
  gUseAll = false;
  gCollectionCount = 1;
  gCollections[0].InUse = true;
  gCollections[0].ImageCount = 2;
  gCollections[0].Images[0] = {"bench 1", file};
  gCollections[0].Images[1] = {"bench 2", "missing.jpg"};
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  int seen = 0;
  bool small = false;
  Holdings first, last;
  ShowEnvironment env;
  env.splashPath = dir + "\\no-splash.jpg";
  env.tickMs = 1;
  env.display = [&] { return DisplayMetrics{{0, 0, w, h}, small ? w * 3 / 4 : w, small ? h * 3 / 4 : h}; };
  env.onEvent = [&](const ShowEvent& e) {
    if (e.kind == ShowEvent::Kind::Undecodable) seen = changes + 1;
    if (e.kind != ShowEvent::Kind::Picture && e.kind != ShowEvent::Kind::Missing) return;
    if (++seen == 1) first = Held();
    if (seen >= changes) {
      last = Held();
      ::PostMessageW(e.window, WM_KEYDOWN, VK_SPACE, 0);
      return;
    }
    small = !small;
    ::PostMessageW(e.window, WM_DISPLAYCHANGE, 32, 0);
  };
  RunShowWith(env);
  if (seen > changes) {
    std::printf("error: %s could not be shown\n", file.c_str());
    return 1;
  }
  std::printf("held_after_changes %d handles %lu %lu gdi %lu %lu user %lu %lu committed_kb %zu %zu\n", changes,
              first.handles, last.handles, first.gdiObjects, last.gdiObjects, first.userObjects, last.userObjects,
              first.committedKb, last.committedKb);
  return 0;
}

bool ScreenIsBlack() {
  HDC screen = ::GetDC(nullptr);
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  bool black = true;
  for (int i = 1; i <= 3 && black; ++i)
    for (int k = 1; k <= 3 && black; ++k) black = ::GetPixel(screen, w * i / 4, h * k / 4) == RGB(0, 0, 0);
  ::ReleaseDC(nullptr, screen);
  return black;
}

void PumpFor(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  MSG msg;
  while (::GetTickCount64() < end) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(2);
  }
}

int StartToBlack(const std::wstring& program, int runs) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"BenchWhite";
  ::RegisterClassW(&wc);
  std::vector<double> toBlack, toExit;
  for (int run = 0; run < runs; ++run) {
    // Something that is not black under the show, so that the black screen is the show's.
    HWND white = ::CreateWindowExW(WS_EX_TOPMOST, L"BenchWhite", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                   ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ::UpdateWindow(white);
    PumpFor(500);
    if (ScreenIsBlack()) {
      std::printf("error: the screen is black before the show\n");
      return 1;
    }
    std::wstring commandLine = L"\"" + program + L"\" /S";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const LONGLONG start = Now();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      std::printf("error: cannot start the program\n");
      return 1;
    }
    bool black = false;
    while (!black && static_cast<double>(Now() - start) / Frequency() < 20.0) {
      black = ScreenIsBlack();
      if (!black) ::Sleep(1);
    }
    const LONGLONG blackAt = Now();
    toBlack.push_back(static_cast<double>(blackAt - start) * 1000.0 / Frequency());
    PumpFor(500);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = VK_SHIFT;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    const LONGLONG keyAt = Now();
    ::SendInput(2, in, sizeof(INPUT));
    if (::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
      ::TerminateProcess(pi.hProcess, 1);
      std::printf("error: the show did not end on input\n");
    }
    toExit.push_back(static_cast<double>(Now() - keyAt) * 1000.0 / Frequency());
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::DestroyWindow(white);
    PumpFor(300);
  }
  std::printf("start_to_black_ms %.1f", Median(toBlack));
  for (double v : toBlack) std::printf(" %.1f", v);
  std::printf("\ninput_to_exit_ms %.1f", Median(toExit));
  for (double v : toExit) std::printf(" %.1f", v);
  std::printf("\n");
  return 0;
}

}  // namespace
// The decode alone, as the show does it at a change, without the window: what the change costs beyond
// painting.
int DecodeOnly(const std::wstring& path, int runs) {
  ComScope com;
  ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
  std::vector<double> ms;
  ScreenPicture picture;  // one canvas for every run, as the show keeps it from one change to the next
  for (int i = 0; i < runs; ++i) {
    const int64_t t0 = Now();
    if (!DecodeVisiblePart(factory.get(), path, 1920, 1080, picture)) {
      std::printf("error: could not decode\n");
      return 1;
    }
    ms.push_back(static_cast<double>(Now() - t0) * 1000.0 / Frequency());
  }
  std::printf("decode_ms %.1f\n", Median(ms));
  return 0;
}

}  // namespace pictavo

int wmain(int argc, wchar_t** argv) {
  using namespace pictavo;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"latency" && argc == 5) return Latency(Narrow(argv[2]), Narrow(argv[3]), _wtoi(argv[4]));
  if (mode == L"start" && argc == 4) return StartToBlack(argv[2], _wtoi(argv[3]));
  if (mode == L"decode" && argc == 4) return pictavo::DecodeOnly(argv[2], _wtoi(argv[3]));
  if (mode == L"leaks" && argc == 5) return Leaks(Narrow(argv[2]), Narrow(argv[3]), _wtoi(argv[4]));
  std::fprintf(stderr, "usage: pictavo_show_bench latency DIR FILE CHANGES | start PROGRAM RUNS | leaks DIR FILE "
                       "CHANGES\n");
  return 2;
}
