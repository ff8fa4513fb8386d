// frmMain: the borderless, topmost, black window over every monitor on which the show runs, each monitor
// showing a picture of its own.
#include "show/Slideshow_win.h"

#include "app/OSVersion_win.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "pictures/ScreenPicture_win.h"
#include "show/Pipeline.h"
#include "show/PlayList.h"
#include "show/ShowRules.h"
#include "show/TextFit.h"

namespace pictavo {

bool gStopShow = false;

namespace {

constexpr wchar_t kClassName[] = L"frmMain";
constexpr wchar_t kTitle[] = L"Pictavo";
constexpr UINT_PTR tmrSplash = 1;
constexpr UINT_PTR tmrImagePictavo = 2;
constexpr int kTextPoints = 14;

// One picture pixel is one screen pixel whatever the display scaling.
void BecomeDpiAware() {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  auto setContext = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (setContext && setContext(reinterpret_cast<HANDLE>(-4))) return;  // per monitor, version 2
  using SetAwareFn = BOOL(WINAPI*)();
  auto setAware = reinterpret_cast<SetAwareFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware) setAware();
}

// The DPI of the show's window: that of the monitor it stands on most, or the system's on older Windows.
int WindowDpi(HWND window) {
  using GetDpiFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = [] {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
  }();
  if (getDpi) {
    if (const UINT dpi = getDpi(window)) return static_cast<int>(dpi);
  }
  WindowDc dc(window);
  const int dpi = dc.get() ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

// The DPI of one monitor (given by a rectangle in desktop pixels), or the window's where the system
// cannot tell it per monitor. shcore stays loaded for the rest of the process once asked.
int MonitorDpi(HWND window, const PixelRect& desktop) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpi = [] {
    HMODULE shcore = ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  const POINT centre{desktop.left + desktop.width / 2, desktop.top + desktop.height / 2};
  UINT dpiX = 0, dpiY = 0;
  if (getDpi && SUCCEEDED(getDpi(::MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), 0, &dpiX, &dpiY)) && dpiY > 0)
    return static_cast<int>(dpiY);
  return WindowDpi(window);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM metrics) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
  auto& display = *reinterpret_cast<DisplayMetrics*>(metrics);
  const RECT& r = info.rcMonitor;
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    display.primaryName = Narrow(info.szDevice);
  else
    display.others.push_back({{r.left, r.top, r.right - r.left, r.bottom - r.top}, Narrow(info.szDevice)});
  return TRUE;
}

DisplayMetrics SystemDisplay() {
  DisplayMetrics metrics{{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                          ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)},
                         ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), {}};
  ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&metrics));
  return metrics;
}

// What one monitor shows: a picture or a line of text (picImage), and the box it stands in.
struct MonitorView {
  std::string key;    // MonitorKey: the monitor's name
  PixelRect screen;   // the monitor, in the window's pixels: where things are centred
  PixelRect desktop;  // the same in desktop pixels
  UniqueFont font;    // the text's font at this monitor's DPI, made for the first text
  // The picture that stands there. While the next one is decoded its canvas is the worker's, and the
  // monitor keeps what it showed on the screen (black where it has to be painted meanwhile).
  ScreenPicture picture;
  std::wstring text;  // the line as it stands, fitted to the monitor
  std::string textStart, textName, textEnd;
  POINT textAt{};
  PixelRect box{-1000, 0, 0, 0};
  // What stands there now (or is coming), to be shown anew when the monitors change.
  std::string shownFile;
  bool splash = false;
};

// One file to be read and decoded for one monitor: plain data that a worker fills and hands back.
struct PictureJob {
  std::string monitor;  // its key
  uint64_t ticket = 0;
  std::string file;     // the entry's File, or the splash's path (empty: the program's own about.jpg)
  std::wstring path;
  bool splash = false;
  bool again = false;   // the same picture or text anew, after a display change
  bool belowImagesDir = true;
  int screenWidth = 0;
  int screenHeight = 0;
  ScreenPicture picture;  // the canvas to fill; what it shows when the outcome is Picture
  ShowEvent::Kind outcome = ShowEvent::Kind::Undecodable;
};

// What the workers share with the window for the whole show: the memory their decodes hold together, how
// files are read and the imaging factory made, and the jobs that are done, with the window to wake.
struct Decoding {
  explicit Decoding(const ShowEnvironment& env) : imagingFactory(env.imagingFactory), reading(env.reading) {}
  MemoryBudget memory{kJpegMemoryLimitBytes};  // one picture's worth: a larger one decodes alone
  std::function<ComPtr<IWICImagingFactory>()> imagingFactory;
  std::function<void(const std::wstring&)> reading;
  std::mutex mutex;
  std::vector<std::shared_ptr<PictureJob>> done;
  HWND window = nullptr;
};

constexpr UINT kPicturesReady = WM_APP + 1;
// The exit notice: posted, where a timer of 1 ms would wait the 10 ms Windows makes of it.
constexpr UINT kExitNotify = WM_APP + 2;

// On a worker: the file tested, read and decoded. Whatever fails or is thrown makes the picture one that
// cannot be displayed.
void Decode(Decoding& with, PictureJob& job) {
  try {
    if (job.splash && job.file.empty()) job.file = OwnFilePath("about.jpg"), job.path = Widen(job.file);
    if (with.reading) with.reading(job.path);
    if (!job.belowImagesDir || !OrdinaryFileExists(job.path)) {
      job.outcome = ShowEvent::Kind::Missing;
      return;
    }
    OwnDecode own = DecodeVisiblePartOwn(job.path, job.screenWidth, job.screenHeight, job.picture, &with.memory);
    if (own == OwnDecode::OtherFormat) {
      ComScope com(COINIT_MULTITHREADED);  // the factory goes before COM does
      const ComPtr<IWICImagingFactory> factory = with.imagingFactory ? with.imagingFactory() : CreateImagingFactory();
      own = DecodeVisiblePartWith(factory.get(), job.path, job.screenWidth, job.screenHeight, job.picture,
                                  &with.memory)
                ? OwnDecode::Shown
                : OwnDecode::Failed;
    }
    job.outcome = own == OwnDecode::Shown ? ShowEvent::Kind::Picture : ShowEvent::Kind::Undecodable;
  } catch (...) {
    job.picture.Clear();
    job.outcome = ShowEvent::Kind::Undecodable;
  }
}

// Hides the pointer whatever its display count was, and puts the count back afterwards.
class HiddenPointer {
 public:
  HiddenPointer() : steps_(HidePointerSteps([] { return ::ShowCursor(FALSE); })) {}
  void Restore() {
    for (; steps_ > 0; --steps_) ::ShowCursor(TRUE);
  }
  ~HiddenPointer() { Restore(); }
  HiddenPointer(const HiddenPointer&) = delete;
  HiddenPointer& operator=(const HiddenPointer&) = delete;

 private:
  int steps_ = 0;
};

class frmMain {
 public:
  explicit frmMain(const ShowEnvironment& environment)
      : env_(environment), decoding_(std::make_shared<Decoding>(environment)),
        workers_(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {
    decoding_->done.reserve(64);
  }
  ~frmMain() { StopDecoding(); }
  void Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  bool Create();
  ShowGeometry Geometry() const { return GeometryFor(env_.display ? env_.display() : SystemDisplay()); }
  // The views for geometry's monitors; where `carried` names one of `old`, that view carries on
  // (CarriedOverMonitors).
  void LayOut(const ShowGeometry& geometry, std::vector<MonitorView> old, const std::vector<int>& carried);
  // Dispatches window events, sleeping between them, until `done` says so or the window is gone.
  template <typename Done>
  void Pump(Done done);
  void ShowSplash();
  void EndSplash();
  void ShowNextImage();
  // Hands `file` for monitor m to a worker; the monitor keeps what it shows until the result is put up.
  void RequestPicture(size_t monitor, const std::string& file, bool splash, bool again);
  void PicturesReady();
  void PutUp(PictureJob& job);
  void StopDecoding();
  // "start NAME end" on one line; a name too long for the monitor loses its middle.
  void SetText(MonitorView& view, const std::string& start, const std::string& name, const std::string& end);
  void PlaceText(MonitorView& view);
  void MakeFont(MonitorView& view);
  void PlacePicture(MonitorView& view);
  // The picture or text centred again on the view's screen, which was oldScreen; true when it stands
  // there now, false when it is decoded anew.
  bool Recentre(size_t monitor, const PixelRect& oldScreen);
  void EndShow();
  void Paint();
  void Notify(ShowEvent::Kind kind, size_t monitor);
  void Repaint();
  void Repaint(const MonitorView& view);

  void Form_Click() { EndShow(); }
  void Form_KeyDown() { EndShow(); }
  void Form_MouseMove(int x, int y);
  void Form_Deactivate();
  void Form_DisplayChange();
  // Windows announces a change of the monitors with WM_DISPLAYCHANGE; Wine does not when its X server's
  // monitors change, so the one-second tick also compares what the system reports with the layout.
  void WatchDisplay();
  void Form_DpiChanged();
  void tmrSplash_Timer() { splashDone_ = true; }
  void tmrImagePictavo_Timer();
  void tmrExitNotify_Timer();

  ShowEnvironment env_;
  std::shared_ptr<Decoding> decoding_;
  WorkerPool workers_;
  PictureRequests requests_;
  bool starting_ = true;  // the window is being created and shown: losing activation does not end the show
  RandomSource* random_ = nullptr;
  ShowList list_;
  TickCounter ticks_;
  PointerWatch pointer_;
  bool splashDone_ = false;
  bool destroyed_ = false;

  HWND hwnd_ = nullptr;
  POINT windowOrigin_{};  // the window's top-left corner in desktop pixels
  std::vector<int> displaySeen_;  // the virtual screen, the primary's size and the monitor count laid out
  bool changing_ = false;  // the first picture has been asked for: a monitor that appears takes the next entry
  std::vector<MonitorView> monitors_;  // the primary first
  LONGLONG changeStarted_ = 0;
};

bool frmMain::Create() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &frmMain::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = nullptr;
  wc.hbrBackground = nullptr;  // all painting is ours, black included
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  const ShowGeometry geometry = Geometry();
  const PixelRect& at = geometry.window;
  hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kTitle, WS_POPUP, at.left, at.top, at.width,
                            at.height, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  decoding_->window = hwnd_;
  LayOut(geometry, {}, {});
  return true;
}

// What the tick compares: the desktop window's rectangle and the monitor count. Two calls, because under
// Wine each costs a round trip to its server (about 0.1 ms here), and the show waits most of its time.
std::vector<int> DisplaySeen() {
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  return {desktop.left, desktop.top, desktop.right, desktop.bottom, ::GetSystemMetrics(SM_CMONITORS)};
}

void frmMain::LayOut(const ShowGeometry& geometry, std::vector<MonitorView> old, const std::vector<int>& carried) {
  windowOrigin_ = {geometry.window.left, geometry.window.top};
  displaySeen_ = DisplaySeen();
  monitors_.clear();
  monitors_.resize(geometry.monitors.size());
  for (size_t i = 0; i < monitors_.size(); ++i) {
    if (i < carried.size() && carried[i] >= 0) monitors_[i] = std::move(old[static_cast<size_t>(carried[i])]);
    MonitorView& view = monitors_[i];
    view.key = MonitorKey(geometry.monitors[i]);
    view.screen = geometry.monitors[i].rect;
    view.desktop = {view.screen.left + windowOrigin_.x, view.screen.top + windowOrigin_.y, view.screen.width,
                    view.screen.height};
    view.font.reset();  // the monitor's DPI may have changed with it
  }
}

// The text's font at the monitor's DPI.
void frmMain::MakeFont(MonitorView& view) {
  view.font.reset(::CreateFontW(-::MulDiv(kTextPoints, MonitorDpi(hwnd_, view.desktop), 72), 0, 0, 0, FW_BOLD, FALSE,
                                FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

void frmMain::Run() {
  BecomeDpiAware();
  random_ = env_.random ? env_.random : &ProcessRandom();

  list_ = BuildShowList(gCollections.data(), gCollectionCount, gUseAll, gRandom, *random_);
  HiddenPointer pointer;
  if (!Create()) return;
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  ::SetFocus(hwnd_);
  ::UpdateWindow(hwnd_);
  starting_ = false;
  Notify(ShowEvent::Kind::WindowShown, 0);

  ShowSplash();
  ticks_.Reset();
  ::SetTimer(hwnd_, tmrImagePictavo, env_.tickMs, nullptr);
  if (list_.ShowCount() > 0) ShowNextImage();
  Pump([this] { return gStopShow; });

  // Nothing waits for a read or a decode under way: what is still coming is dropped.
  StopDecoding();
  pointer.Restore();
  ::KillTimer(hwnd_, tmrImagePictavo);
  ::PostMessageW(hwnd_, kExitNotify, 0, 0);
  Pump([] { return false; });
  Notify(ShowEvent::Kind::Ended, 0);
}

template <typename Done>
void frmMain::Pump(Done done) {
  MSG msg;
  while (!destroyed_ && !done()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {  // someone asked the thread to quit: end the show and pass the request on
      gStopShow = true;
      if (hwnd_ && !destroyed_) ::DestroyWindow(hwnd_);
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void frmMain::StopDecoding() {
  workers_.Close();
  decoding_->memory.Close();
}


// On the primary monitor alone; the others stay black until the first change. A splash that takes as
// long to read as it would stand is given up.
void frmMain::ShowSplash() {
  splashDone_ = false;
  RequestPicture(0, env_.splashPath, true, false);
  ::SetTimer(hwnd_, tmrSplash, env_.splashMs, nullptr);
  Pump([this] { return splashDone_ || gStopShow; });
  ::KillTimer(hwnd_, tmrSplash);
  EndSplash();
}

void frmMain::EndSplash() {
  // The primary may have been laid out anew meanwhile: the splash is wherever it went.
  for (size_t i = 0; i < monitors_.size(); ++i) {
    MonitorView& shown = monitors_[i];
    if (!shown.splash) continue;
    shown.splash = false;
    if (requests_.Waiting(shown.key)) {  // never arrived: nothing stands there
      requests_.Forget(shown.key);
      continue;
    }
    shown.picture.Clear();  // the box keeps its place until the next picture moves it
    Repaint(shown);
    Notify(ShowEvent::Kind::SplashEnded, i);
    shown.shownFile.clear();
  }
}

void frmMain::ShowNextImage() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  changeStarted_ = now.QuadPart;
  changing_ = true;
  const std::vector<int> entries = ChooseEntriesForChange(list_, gRandom, *random_, static_cast<int>(monitors_.size()));
  for (size_t m = 0; m < entries.size(); ++m)
    RequestPicture(m, list_.Items[static_cast<size_t>(entries[m])].File, false, false);
}

void frmMain::RequestPicture(size_t monitor, const std::string& file, bool splash, bool again) {
  MonitorView& view = monitors_[monitor];
  bool queued = false;
  try {
    auto job = std::make_shared<PictureJob>();
    job->monitor = view.key;
    job->ticket = requests_.Request(view.key);
    job->file = file;
    job->splash = splash;
    job->again = again;
    // Only a file below the images directory is one of the collection's: anything else (another drive,
    // "..", a device that may never answer a read) is as good as missing.
    job->belowImagesDir = splash || IsPathBelowImagesDir(file);
    job->path = Widen(splash ? file : gImagesDir + "\\" + file);
    job->screenWidth = view.screen.width;
    job->screenHeight = view.screen.height;
    // The next picture is decoded into the canvas of the last, so one picture is held at a time.
    job->picture = std::move(view.picture);
    job->picture.Clear();
    view.picture = ScreenPicture{};
    view.text.clear();
    view.box.left = -1000;
    view.shownFile = file;
    view.splash = splash;
    std::shared_ptr<Decoding> decoding = decoding_;
    queued = workers_.Submit([decoding, job] {
      Decode(*decoding, *job);
      {
        std::lock_guard lock(decoding->mutex);
        decoding->done.push_back(job);
      }
      ::PostMessageW(decoding->window, kPicturesReady, 0, 0);
    });
  } catch (...) {
    // No memory for the work: as when no thread can be had.
  }
  if (!queued) {  // a picture that cannot be displayed, at once; no splash
    requests_.Forget(view.key);
    if (splash) {
      view.splash = false;
      splashDone_ = true;
      return;
    }
    SetText(view, "The image file ", file, " could not be displayed.");
    Repaint(view);
    Notify(ShowEvent::Kind::Undecodable, monitor);
  }
}

void frmMain::PicturesReady() {
  std::vector<std::shared_ptr<PictureJob>> done;
  {
    std::lock_guard lock(decoding_->mutex);
    done.swap(decoding_->done);
    decoding_->done.reserve(64);
  }
  for (const std::shared_ptr<PictureJob>& job : done) {
    try {
      PutUp(*job);
    } catch (...) {
      // Only the text can have failed here: the monitor stays black.
    }
  }
}

// A result is put up on its monitor when that monitor still waits for it and has kept its size; a
// monitor whose size changed meanwhile has the same file decoded anew.
void frmMain::PutUp(PictureJob& job) {
  if (gStopShow || !requests_.Arrived(job.monitor, job.ticket)) return;
  const auto found = std::find_if(monitors_.begin(), monitors_.end(),
                                  [&](const MonitorView& v) { return v.key == job.monitor; });
  if (found == monitors_.end()) return;
  const size_t m = static_cast<size_t>(found - monitors_.begin());
  MonitorView& view = *found;
  if (job.screenWidth != view.screen.width || job.screenHeight != view.screen.height) {
    view.picture = std::move(job.picture);
    RequestPicture(m, job.file, job.splash, job.again);
    return;
  }
  view.picture = std::move(job.picture);
  ShowEvent::Kind kind = job.outcome;
  if (job.splash) {
    view.shownFile = job.file;
    if (kind != ShowEvent::Kind::Picture || !view.splash) {  // no splash: the show starts at once
      view.splash = false;
      view.shownFile.clear();
      splashDone_ = true;
      return;
    }
    if (!job.again) ::SetTimer(hwnd_, tmrSplash, env_.splashMs, nullptr);  // it stands its whole time
    kind = ShowEvent::Kind::Splash;
  }
  if (job.outcome == ShowEvent::Kind::Missing)
    SetText(view, "The image file ", job.file, " was not found.");
  else if (job.outcome == ShowEvent::Kind::Undecodable)
    SetText(view, "The image file ", job.file, " could not be displayed.");
  else
    PlacePicture(view);
  Repaint(view);
  Notify(job.again ? ShowEvent::Kind::Recentred : kind, m);
}

void frmMain::PlacePicture(MonitorView& view) {
  view.box = {view.screen.left + CenterOffset(view.screen.width, view.picture.width),
              view.screen.top + CenterOffset(view.screen.height, view.picture.height), view.picture.width,
              view.picture.height};
}

void frmMain::SetText(MonitorView& view, const std::string& start, const std::string& name, const std::string& end) {
  view.picture.Clear();
  view.textStart = start;
  view.textName = name;
  view.textEnd = end;
  PlaceText(view);
}

// The text fitted to its monitor's width and centred on it, in the monitor's font.
void frmMain::PlaceText(MonitorView& view) {
  if (!view.font) MakeFont(view);
  view.box = view.screen;
  SIZE extent{};
  {
    WindowDc dc(hwnd_);
    SelectScope font(dc.get(), view.font.get());
    auto measure = [&](const std::wstring& line) {
      SIZE size{};
      ::GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
      return size;
    };
    view.text = Widen(FitNameInLine(view.textStart, view.textName, view.textEnd, view.screen.width,
                                    [&](const std::string& line) { return static_cast<int>(measure(Widen(line)).cx); }));
    extent = measure(view.text);
  }
  const TextOrigin origin = CenterText(view.box.width, view.box.height, extent.cx, extent.cy);
  view.textAt = {view.box.left + origin.x, view.box.top + origin.y};
}

// The picture is decoded again only when the monitor's new size shows another part of it.
bool frmMain::Recentre(size_t monitor, const PixelRect& oldScreen) {
  MonitorView& view = monitors_[monitor];
  const PixelRect& screen = view.screen;
  if (requests_.Waiting(view.key)) return false;  // what is coming is placed when it comes
  if (view.picture.shown) {
    const Placement before = PlaceCentred(oldScreen.width, oldScreen.height, view.picture.width, view.picture.height);
    const Placement after = PlaceCentred(screen.width, screen.height, view.picture.width, view.picture.height);
    if (before.source != after.source) {
      RequestPicture(monitor, view.shownFile, view.splash, true);
      return false;
    }
    view.picture.onScreen = after.onScreen;
    PlacePicture(view);
  } else if (!view.text.empty()) {
    PlaceText(view);
  } else {
    view.box.left = -1000;  // nothing stands there
  }
  return true;
}

void frmMain::Repaint() {
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  ::UpdateWindow(hwnd_);
}

// One monitor alone: the others keep what stands there, a picture still coming included.
void frmMain::Repaint(const MonitorView& view) {
  const RECT r{view.screen.left, view.screen.top, view.screen.left + view.screen.width,
               view.screen.top + view.screen.height};
  ::InvalidateRect(hwnd_, &r, FALSE);
  ::UpdateWindow(hwnd_);
}

void frmMain::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int saved = ::SaveDC(dc);
  for (const MonitorView& view : monitors_) {
    if (!view.picture.shown) continue;
    const PixelRect& at = view.picture.onScreen;
    const int left = view.screen.left + at.left, top = view.screen.top + at.top;
    ::ExcludeClipRect(dc, left, top, left + at.width, top + at.height);
  }
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  ::RestoreDC(dc, saved);
  UniqueMemoryDc memory;
  for (const MonitorView& view : monitors_) {
    if (view.picture.shown) {
      if (!memory) memory.reset(::CreateCompatibleDC(dc));
      if (!memory) continue;
      const PixelRect& at = view.picture.onScreen;
      SelectScope bitmap(memory.get(), view.picture.canvas.get());
      ::BitBlt(dc, view.screen.left + at.left, view.screen.top + at.top, at.width, at.height, memory.get(),
               view.picture.sourceLeft, 0, SRCCOPY);
    } else if (!view.text.empty()) {
      SelectScope font(dc, view.font.get());
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(255, 255, 255));
      ::TextOutW(dc, view.textAt.x, view.textAt.y, view.text.c_str(), static_cast<int>(view.text.size()));
    }
  }
  ::EndPaint(hwnd_, &ps);
}

void frmMain::Notify(ShowEvent::Kind kind, size_t monitor) {
  const bool change = kind == ShowEvent::Kind::Picture || kind == ShowEvent::Kind::Missing ||
                      kind == ShowEvent::Kind::Undecodable;
  if (!env_.onEvent || monitor >= monitors_.size()) return;
  const MonitorView& view = monitors_[monitor];
  const bool window = kind == ShowEvent::Kind::WindowShown || kind == ShowEvent::Kind::Ended;
  env_.onEvent(ShowEvent{kind, window ? std::string() : view.shownFile, view.box, hwnd_, change ? changeStarted_ : 0,
                         static_cast<int>(monitor)});
}

void frmMain::EndShow() {
  gStopShow = true;
  // Wakes the pump, which sees the flag only when a message is posted: a message sent to the window
  // (activation, WM_CLOSE) is handled without one.
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);
  const OSVersion version = QueryOSVersion();
#pragma push_macro("VER_PLATFORM_WIN32_NT")
#undef VER_PLATFORM_WIN32_NT
  const bool nt = version.Initialized() && version.Platform() == OSVersion::VER_PLATFORM_WIN32_NT;
#pragma pop_macro("VER_PLATFORM_WIN32_NT")
  // Elsewhere a window's appearance raises a pointer event of its own: record the position again.
  if (!nt) pointer_.Forget();
}

// Anywhere on the window, over the picture, the text or the border: positions are the window's own, so a
// picture appearing or changing under a pointer at rest reports the same spot and the show goes on.
void frmMain::Form_MouseMove(int x, int y) {
  if (pointer_.Move(x, y)) EndShow();
}

// Another window took the foreground: keys typed now are meant for it, so the show ends, as on input.
void frmMain::Form_Deactivate() {
  if (!starting_) EndShow();
}

// A resolution changed, or a monitor came or went: the window covers the new virtual screen, what stands
// on a monitor that stays is centred on it anew, a monitor that appears takes the next entry once the show
// has begun, and one that went is forgotten.
void frmMain::Form_DisplayChange() {
  const ShowGeometry geometry = Geometry();
  const PixelRect& at = geometry.window;
  // The pointer stands still while the window moves under it: not a move that ends the show.
  pointer_.Shift(windowOrigin_.x - at.left, windowOrigin_.y - at.top);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, at.left, at.top, at.width, at.height, SWP_NOACTIVATE);

  std::vector<Monitor> before;
  for (const MonitorView& view : monitors_) before.push_back({view.desktop, view.key});
  std::vector<Monitor> after;
  for (const Monitor& m : geometry.monitors)
    after.push_back({{m.rect.left + at.left, m.rect.top + at.top, m.rect.width, m.rect.height}, MonitorKey(m)});
  const std::vector<int> carried = CarriedOverMonitors(before, after);
  std::vector<PixelRect> oldScreens;
  for (const MonitorView& view : monitors_) oldScreens.push_back(view.screen);
  for (size_t b = 0; b < monitors_.size(); ++b)  // what a monitor that went waits for is not wanted
    if (std::find(carried.begin(), carried.end(), static_cast<int>(b)) == carried.end())
      requests_.Forget(monitors_[b].key);
  LayOut(geometry, std::move(monitors_), carried);

  std::vector<size_t> recentred;
  for (size_t i = 0; i < monitors_.size(); ++i) {
    if (carried[i] >= 0) {
      if (Recentre(i, oldScreens[static_cast<size_t>(carried[i])])) recentred.push_back(i);
    } else if (changing_ && list_.ShowCount() > 0) {
      RequestPicture(i, list_.Items[static_cast<size_t>(ChooseNextEntry(list_, gRandom, *random_))].File, false,
                     false);
    }
  }
  Repaint();
  for (size_t i : recentred) Notify(ShowEvent::Kind::Recentred, i);
}

// The DPI changed (the scaling of a monitor): the texts take the new size. The window keeps covering the
// virtual screen, whatever size Windows suggests.
void frmMain::Form_DpiChanged() {
  bool text = false;
  for (MonitorView& view : monitors_) {
    view.font.reset();
    if (!view.text.empty()) PlaceText(view), text = true;
  }
  if (text) Repaint();
}

void frmMain::WatchDisplay() {
  // A display given by the environment (tests, the benchmark) is announced by whoever changes it.
  if (!env_.display && DisplaySeen() != displaySeen_) Form_DisplayChange();
}

// A change still under way when the next is due is not joined by another: that change is skipped.
void frmMain::tmrImagePictavo_Timer() {
  WatchDisplay();
  if (ticks_.Tick(gDelay) && list_.ShowCount() > 0 && !requests_.Waiting()) ShowNextImage();
}

void frmMain::tmrExitNotify_Timer() { ::DestroyWindow(hwnd_); }

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<frmMain*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmMain*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    // Nothing thrown crosses into the system: what failed is not done, and the show goes on.
    return message == WM_PAINT ? ::DefWindowProcW(hwnd, message, wParam, lParam) : 0;
  }
}

LRESULT frmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      ::SetCursor(nullptr);
      return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Form_KeyDown();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      Form_Click();
      return 0;
    case WM_MOUSEMOVE:
      Form_MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == tmrSplash) tmrSplash_Timer();
      if (wParam == tmrImagePictavo) tmrImagePictavo_Timer();
      return 0;
    case kExitNotify:
      tmrExitNotify_Timer();
      return 0;
    case kPicturesReady:
      PicturesReady();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) Form_Deactivate();
      break;
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      if (!wParam) Form_Deactivate();
      break;
    case WM_DISPLAYCHANGE:
      Form_DisplayChange();
      return 0;
    case WM_DPICHANGED:
      Form_DpiChanged();
      return 0;
    case WM_SYSCOMMAND:
      // No other screen saver while this one runs; turning the monitors off is Windows' to do.
      if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_CLOSE:
      EndShow();  // the exit timer destroys the window once the show has wound down
      return 0;
    case WM_DESTROY:
      destroyed_ = true;
      ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

void RunShow() { RunShowWith(ShowEnvironment{}); }

void RunShowWith(const ShowEnvironment& environment) {
  gStopShow = false;
  frmMain window(environment);
  window.Run();
}

}  // namespace pictavo
