// Measurements of the show that need to be taken inside Windows: the change latency (from the tick to
// the picture drawn), the time from starting Pictavo.scr to a black screen, and what the process holds
// (handles, GDI objects, memory) before and after many changes. Prints one figure a line; show-bench.sh
// runs it and prints the table.
//
//   pictavo_show_bench latency IMAGES_DIR FILE CHANGES [MONITORS]
//   pictavo_show_bench memory IMAGES_DIR FILE MONITORS
//   pictavo_show_bench start PROGRAM RUNS [ARGUMENT [INPUT_AFTER_MS]]
//   pictavo_show_bench leaks IMAGES_DIR FILE CHANGES
//   pictavo_show_bench bare
// MONITORS (1 or 2): the show on one 1920x1080 monitor, or on two side by side. start runs PROGRAM with
// ARGUMENT ("/S" unless given) and gives it input INPUT_AFTER_MS (500 unless given) after its screen turned
// black.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "platform/Text_win.h"
#include "pictures/ScreenPicture_win.h"
#include "show/ShowRules.h"
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

// One 1920x1080 monitor, or two side by side, whatever the screen is.
DisplayMetrics BenchMonitors(int monitors) {
  if (monitors < 2) return {{0, 0, 1920, 1080}, 1920, 1080, {}, "BENCH1"};
  return {{0, 0, 3840, 1080}, 1920, 1080, {{{1920, 0, 1920, 1080}, "BENCH2"}}, "BENCH1"};
}

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto ms = [](const FILETIME& t) {
    return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// The show changing `file` on every monitor at every tick; `seen(event, changesDone)` after each whole
// change (every monitor has reported), until it answers false. False when the file could not be shown.
bool RunChanges(const std::string& dir, const std::string& file, int monitors,
                const std::function<bool(const ShowEvent&, int)>& seen) {
  gImagesDir = dir;
  gDelay = 0;
  gRandom = false;
  gUseAll = false;
  gCollectionCount = 1;
  gCollections[0].InUse = true;
  gCollections[0].ImageCount = 1;
  gCollections[0].Images[0] = {"bench 1", file};
  bool refused = false;
  int reported = 0, changes = 0;
  ShowEnvironment env;
  env.splashPath = dir + "\\no-splash.jpg";
  env.tickMs = 1500;
  env.display = [monitors] { return BenchMonitors(monitors); };
  env.onEvent = [&](const ShowEvent& e) {
    if (e.kind == ShowEvent::Kind::Undecodable || e.kind == ShowEvent::Kind::Missing) refused = true;
    if (e.kind != ShowEvent::Kind::Picture && !refused) return;
    if (!refused && ++reported % monitors != 0) return;
    ::GdiFlush();
    if (refused || !seen(e, ++changes)) ::PostMessageW(e.window, WM_KEYDOWN, VK_SPACE, 0);
  };
  RunShowWith(env);
  if (refused) std::printf("error: %s could not be shown\n", file.c_str());
  return !refused;
}

// From the tick to every monitor's picture drawn, and the process's CPU time from one change's end to the
// next one's (the change and a tick's wait).
int Latency(const std::string& dir, const std::string& file, int changes, int monitors) {
  std::vector<double> ms, cpu;
  double lastCpu = 0;
  const bool ok = RunChanges(dir, file, monitors, [&](const ShowEvent& e, int done) {
    ms.push_back(static_cast<double>(Now() - e.changeStarted) * 1000.0 / Frequency());
    const double now = ProcessCpuMs();
    if (done > 1) cpu.push_back(now - lastCpu);
    lastCpu = now;
    return done < changes;
  });
  if (!ok) return 1;
  std::printf("latency_ms %.1f cpu_ms %.1f", Median(ms), Median(cpu));
  for (double v : ms) std::printf(" %.1f", v);
  std::printf("\n");
  return 0;
}

// The process's peak working set over three changes, and its working set after them.
int Memory(const std::string& dir, const std::string& file, int monitors) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  const bool ok = RunChanges(dir, file, monitors, [&](const ShowEvent&, int done) {
    if (done < 3) return true;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    return false;
  });
  if (!ok) return 1;
  std::printf("memory_kb %zu %zu\n", static_cast<size_t>(memory.PeakWorkingSetSize / 1024),
              static_cast<size_t>(memory.WorkingSetSize / 1024));
  return 0;
}

LRESULT CALLBACK BareWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) ::PostQuitMessage(0);
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// A bare window, as large as the show's, with the show's one-second timer and message loop: the
// reference for what the show costs between changes.
int Bare() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &BareWindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = L"BenchBare";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BenchBare", L"bare", WS_POPUP | WS_VISIBLE, 0, 0,
                                  ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  wc.hInstance, nullptr);
  ::SetForegroundWindow(window);
  ::SetTimer(window, 1, 1000, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
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
  env.display = [&] { return DisplayMetrics{{0, 0, w, h}, small ? w * 3 / 4 : w, small ? h * 3 / 4 : h, {}, "BENCH1"}; };
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

struct WindowSearch {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM search) {
  auto* look = reinterpret_cast<WindowSearch*>(search);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == look->pid && ::IsWindowVisible(window)) look->found = window;
  return look->found ? FALSE : TRUE;
}
HWND VisibleWindowOf(DWORD pid) {
  WindowSearch search{pid, nullptr};
  ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int StartToBlack(const std::wstring& program, int runs, const std::wstring& argument, DWORD inputAfterMs) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"BenchWhite";
  ::RegisterClassW(&wc);
  std::vector<double> toBlack, toGone, toExit;
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
    std::wstring commandLine = L"\"" + program + L"\" " + argument;
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
    PumpFor(inputAfterMs);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = VK_SHIFT;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    const HWND window = VisibleWindowOf(pi.dwProcessId);  // the desktop is back when it is gone
    const LONGLONG keyAt = Now();
    ::SendInput(2, in, sizeof(INPUT));
    while (window && ::IsWindow(window) && static_cast<double>(Now() - keyAt) / Frequency() < 15.0) ::Sleep(1);
    toGone.push_back(static_cast<double>(Now() - keyAt) * 1000.0 / Frequency());
    if (::WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) {
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
  std::printf("\ninput_to_window_gone_ms %.1f", Median(toGone));
  for (double v : toGone) std::printf(" %.1f", v);
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
  if (mode == L"latency" && (argc == 5 || argc == 6))
    return Latency(Narrow(argv[2]), Narrow(argv[3]), _wtoi(argv[4]), argc == 6 ? _wtoi(argv[5]) : 1);
  if (mode == L"memory" && argc == 5) return Memory(Narrow(argv[2]), Narrow(argv[3]), _wtoi(argv[4]));
  if (mode == L"bare") return Bare();
  if (mode == L"start" && argc >= 4 && argc <= 6)
    return StartToBlack(argv[2], _wtoi(argv[3]), argc > 4 ? argv[4] : L"/S", argc > 5 ? _wtoi(argv[5]) : 500);
  if (mode == L"decode" && argc == 4) return pictavo::DecodeOnly(argv[2], _wtoi(argv[3]));
  if (mode == L"leaks" && argc == 5) return Leaks(Narrow(argv[2]), Narrow(argv[3]), _wtoi(argv[4]));
  std::fprintf(stderr, "usage: pictavo_show_bench latency DIR FILE CHANGES [MONITORS] | memory DIR FILE MONITORS | "
                       "start PROGRAM RUNS [ARGUMENT [INPUT_AFTER_MS]] | leaks DIR FILE CHANGES | bare\n");
  return 2;
}
