// Benchmark of the editor's copies: a pick of many photo-sized files copied into an images directory
// through the real editor, while a second thread asks the dialog for an answer and looks at its label on
// the screen. Prints the time beside plain copies of the same files, how long the dialog went without
// answering, and how often the screen showed the label anew. A program that prints figures, not a test.
//
//   pictavo_copy_bench.exe [FILES [MEGABYTES_EACH [ROUNDS]]]      (200 files of 5 MB, 3 rounds by default)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "editor/CollectionEditor.h"
#include "editor/CollectionEditor_win.h"
#include "editor/ImageFilePicker_win.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"

namespace pictavo {
namespace {

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::wstring TempPath(const wchar_t* leaf) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + leaf;
}

void EmptyDirectory(const std::wstring& dir, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) ::DeleteFileW((dir + L"\\" + name).c_str());
}

// Hands the editor the whole pick and asks for OK once the copies are done (Cancel for an empty pick).
struct WholePick final : ImageFilePicker {
  std::wstring result;
  std::string Pick(HWND owner, const std::string&) override {
    const int button = result.empty() ? collection::btnCancel : collection::btnSave;
    ::PostMessageW(owner, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return Narrow(result);
  }
};

std::atomic<HWND> gEditor{nullptr};
LRESULT CALLBACK PressAddOnceLoaded(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_INITDIALOG && gEditor.load() == nullptr) {
    gEditor = m->hwnd;
    ::SetDlgItemTextW(m->hwnd, collection::txtName, L"Bench");
    ::ShowWindow(m->hwnd, SW_SHOWNORMAL);  // as when the user clicks Add Files on the open dialog
    ::UpdateWindow(m->hwnd);
    ::PostMessageW(m->hwnd, WM_COMMAND, MAKEWPARAM(collection::btnAdd, BN_CLICKED), 0);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the watching thread saw of the dialog while files were copied.
struct Watch {
  std::vector<double> answerMs;
  std::set<uint64_t> barPictures;  // distinct pictures of the progress bar's place on the screen
  int listed = 0;                  // the most names the list held meanwhile
};

uint64_t PictureOf(HWND control) {
  RECT r{};
  if (!::GetWindowRect(control, &r)) return 0;
  const int w = r.right - r.left, h = r.bottom - r.top;
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
  {
    SelectScope select(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  ::GetDIBits(memory.get(), bitmap.get(), 0, h, pixels.data(), &info, DIB_RGB_COLORS);
  uint64_t hash = 1469598103934665603ull;
  for (uint32_t p : pixels) hash = (hash ^ p) * 1099511628211ull;
  return hash;
}

void WatchEditor(std::atomic<bool>& done, Watch& watch) {
  while (!done) {
    HWND editor = gEditor.load();
    HWND bar = editor != nullptr ? ::GetDlgItem(editor, collection::prgCopying) : nullptr;
    if (bar != nullptr && ::IsWindowVisible(bar)) {
      const Clock::time_point asked = Clock::now();
      DWORD_PTR result = 0;
      ::SendMessageTimeoutW(editor, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
      watch.answerMs.push_back(SecondsSince(asked) * 1000);
      watch.barPictures.insert(PictureOf(bar));
      ::SendMessageTimeoutW(::GetDlgItem(editor, collection::lstFiles), LB_GETCOUNT, 0, 0, SMTO_BLOCK, 1000, &result);
      watch.listed = std::max(watch.listed, static_cast<int>(result));
    }
    ::Sleep(50);
  }
}

// Each round reads the photos from the disk, not from the cache the round before filled (this needs the
// benchmark to run as root; elsewhere the rounds read from the cache alike).
void DropFileCache() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command =
      L"C:\\windows\\system32\\start.exe /wait /unix /bin/sh -c \"sync; echo 3 > /proc/sys/vm/drop_caches\"";
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return;
  UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, 30000);
}

// Seconds for one pick through the editor, from its opening to its closing.
double EditorRound(const std::wstring& images, WholePick& picker) {
  gEditor = nullptr;
  gEditCollection = CollectionInfo{};
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &PressAddOnceLoaded, nullptr, ::GetCurrentThreadId());
  const Clock::time_point start = Clock::now();
  ShowCollectionEditor(nullptr, Narrow(images), -1, picker);
  const double seconds = SecondsSince(start);
  ::UnhookWindowsHookEx(hook);
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

int Run(int files, int megabytes, int rounds) {
  const std::wstring source = TempPath(L"pictavo-copy-bench-photos"), images = TempPath(L"pictavo-copy-bench-images");
  ::CreateDirectoryW(source.c_str(), nullptr);
  std::vector<std::wstring> names;
  std::vector<char> bytes(static_cast<size_t>(megabytes) << 20);
  uint32_t seed = 12345;
  for (int i = 0; i < files; ++i) {
    names.push_back(L"IMG_" + std::to_wstring(1000 + i) + L".JPG");
    const std::wstring path = source + L"\\" + names.back();
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    for (char& b : bytes) b = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  WholePick nothing, pick;
  pick.result = source + L'\0';
  for (const std::wstring& name : names) pick.result += name + L'\0';
  Watch watch;
  std::atomic<bool> done{false};
  std::thread watcher(WatchEditor, std::ref(done), std::ref(watch));
  std::vector<double> plain, editor, dialog;
  for (int round = 0; round < rounds; ++round) {
    DropFileCache();
    Clock::time_point start = Clock::now();
    ::CreateDirectoryW(images.c_str(), nullptr);
    for (const std::wstring& name : names)
      ::CopyFileW((source + L"\\" + name).c_str(), (images + L"\\" + name).c_str(), TRUE);
    plain.push_back(SecondsSince(start));
    EmptyDirectory(images, names);
    ::RemoveDirectoryW(images.c_str());  // the editor makes it, as on the first use

    dialog.push_back(EditorRound(images, nothing));
    DropFileCache();
    editor.push_back(EditorRound(images, pick));
    EmptyDirectory(images, names);
    ::RemoveDirectoryW(images.c_str());
  }
  done = true;
  watcher.join();

  const double total = static_cast<double>(files) * megabytes, p = Median(plain), e = Median(editor) - Median(dialog);
  std::vector<double> answers = watch.answerMs;
  std::sort(answers.begin(), answers.end());
  std::printf("copies of %d files of %d MB (%.0f MB), median of %d rounds\n", files, megabytes, total, rounds);
  std::printf("  plain CopyFileW, one after another: %6.2f s  (%4.0f MB/s)\n", p, total / p);
  std::printf("  the editor's Add Files:             %6.2f s  (%4.0f MB/s), opening and closing it aside (%.2f s)\n",
              e, total / e, Median(dialog));
  std::printf("  while copying, the dialog answered %zu questions: median %.1f ms, longest %.1f ms\n", answers.size(),
              answers.empty() ? 0.0 : answers[answers.size() / 2], answers.empty() ? 0.0 : answers.back());
  std::printf("  the progress bar on the screen: %zu different pictures; the list showed up to %d names meanwhile\n",
              watch.barPictures.size(), watch.listed);
  std::printf("  last collection handed back: %d files\n", gEditCollection.ImageCount);
  return 0;
}

}  // namespace
}  // namespace pictavo

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? std::max(1, _wtoi(argv[1])) : 200;
  const int megabytes = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
  const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 3;
  return pictavo::Run(files, megabytes, rounds);
}
