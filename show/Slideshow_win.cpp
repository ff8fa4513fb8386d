// frmMain: the borderless, topmost, black window over every monitor on which the show runs.
#include "show/Slideshow_win.h"

#include "app/OSVersion_win.h"

#include <windowsx.h>

#include <algorithm>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "pictures/ScreenPicture_win.h"
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
constexpr UINT_PTR tmrExitNotify = 3;
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

DisplayMetrics SystemDisplay() {
  return {{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
           ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)},
          ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
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
  frmMain(const ShowEnvironment& environment, bool comReady) : env_(environment), comReady_(comReady) {}
  void Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  bool Create();
  // Dispatches window events, sleeping between them, until `done` says so or the window is gone.
  template <typename Done>
  void Pump(Done done);
  void ShowSplash();
  void ShowNextImage();
  void ShowPicture(const std::string& file, const std::wstring& path, ShowEvent::Kind kindWhenShown);
  // "start NAME end" on one line; a name too long for the screen loses its middle.
  void ShowText(const std::string& start, const std::string& name, const std::string& end, ShowEvent::Kind kind,
                const std::string& file);
  void PlaceText();
  void MakeFont();
  void Recentre(const PixelRect& oldScreen);
  void EndShow();
  void Paint();
  void Notify(ShowEvent::Kind kind, const std::string& file);
  void Repaint();

  void Form_Click() { EndShow(); }
  void Form_KeyDown() { EndShow(); }
  void Form_MouseMove(int x, int y);
  void Form_Deactivate();
  void Form_DisplayChange();
  void Form_DpiChanged();
  void tmrSplash_Timer() { splashDone_ = true; }
  void tmrImagePictavo_Timer();
  void tmrExitNotify_Timer();

  ShowEnvironment env_;
  bool comReady_ = false;
  bool starting_ = true;  // the window is being created and shown: losing activation does not end the show
  RandomSource* random_ = nullptr;
  ShowList list_;
  TickCounter ticks_;
  PointerWatch pointer_;
  bool splashDone_ = false;
  bool destroyed_ = false;

  HWND hwnd_ = nullptr;
  PixelRect screen_;  // the primary monitor, in the window's pixels: where things are centred
  ComPtr<IWICImagingFactory> wic_;
  UniqueFont font_;

  // picImage: a picture or a line of text, and the box it stands in.
  ScreenPicture picture_;
  std::wstring text_;  // the line as it stands, fitted to the screen
  std::string textStart_, textName_, textEnd_;
  POINT textAt_{};
  PixelRect box_{-1000, 0, 0, 0};
  LONGLONG changeStarted_ = 0;
  // What stands there now, to be shown anew when the monitors change.
  std::string shownFile_;
  std::wstring shownPath_;
  bool splashShown_ = false;
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

  const ShowGeometry geometry = GeometryFor(env_.display ? env_.display() : SystemDisplay());
  screen_ = geometry.primary;
  const PixelRect& at = geometry.window;
  hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kTitle, WS_POPUP, at.left, at.top, at.width,
                            at.height, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  MakeFont();
  return true;
}

// The text's font at the window's DPI.
void frmMain::MakeFont() {
  font_.reset(::CreateFontW(-::MulDiv(kTextPoints, WindowDpi(hwnd_), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

void frmMain::Run() {
  BecomeDpiAware();
  if (comReady_) wic_ = env_.imagingFactory ? env_.imagingFactory() : CreateImagingFactory();
  random_ = env_.random ? env_.random : &ProcessRandom();

  list_ = BuildShowList(gCollections.data(), gCollectionCount, gUseAll, gRandom, *random_);
  HiddenPointer pointer;
  if (!Create()) return;
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  ::SetFocus(hwnd_);
  ::UpdateWindow(hwnd_);
  starting_ = false;
  Notify(ShowEvent::Kind::WindowShown, {});

  ShowSplash();
  ticks_.Reset();
  ::SetTimer(hwnd_, tmrImagePictavo, env_.tickMs, nullptr);
  if (list_.ShowCount() > 0) ShowNextImage();
  Pump([this] { return gStopShow; });

  pointer.Restore();
  ::KillTimer(hwnd_, tmrImagePictavo);
  ::SetTimer(hwnd_, tmrExitNotify, 1, nullptr);
  Pump([] { return false; });
  Notify(ShowEvent::Kind::Ended, {});
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

void frmMain::ShowSplash() {
  std::string splash = env_.splashPath.empty() ? ProgramDirectory() + "\\about.jpg" : env_.splashPath;
  const std::wstring path = Widen(splash);
  if (!OrdinaryFileExists(path)) return;
  splashDone_ = false;
  if (!DecodeVisiblePart(wic_.get(), path, screen_.width, screen_.height, picture_)) return;  // no splash
  text_.clear();
  box_ = {screen_.left + CenterOffset(screen_.width, picture_.width),
          screen_.top + CenterOffset(screen_.height, picture_.height), picture_.width, picture_.height};
  shownFile_ = splash;
  shownPath_ = path;
  splashShown_ = true;
  Repaint();
  Notify(ShowEvent::Kind::Splash, splash);
  ::SetTimer(hwnd_, tmrSplash, env_.splashMs, nullptr);
  Pump([this] { return splashDone_ || gStopShow; });
  ::KillTimer(hwnd_, tmrSplash);
  splashShown_ = false;
  shownFile_.clear();
  shownPath_.clear();
  picture_.Clear();  // the box keeps its place until the next picture moves it
  Repaint();
  Notify(ShowEvent::Kind::SplashEnded, splash);
}

void frmMain::ShowNextImage() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  changeStarted_ = now.QuadPart;
  const int index = ChooseNextEntry(list_, gRandom, *random_);
  if (index < 0) return;
  const std::string& file = list_.Items[static_cast<size_t>(index)].File;
  // Off the screen first; the next picture is decoded into the same canvas, so one picture is held at a time.
  box_.left = -1000;
  picture_.Clear();
  text_.clear();
  // Only a file below the images directory is one of the collection's: anything else (another drive,
  // "..", a device that may never answer a read) is as good as missing.
  const std::wstring path = Widen(gImagesDir + "\\" + file);
  if (!IsPathBelowImagesDir(file) || !OrdinaryFileExists(path)) {
    ShowText("The image file ", file, " was not found.", ShowEvent::Kind::Missing, file);
    return;
  }
  ShowPicture(file, path, ShowEvent::Kind::Picture);
}

void frmMain::ShowPicture(const std::string& file, const std::wstring& path, ShowEvent::Kind kindWhenShown) {
  shownFile_ = file;
  shownPath_ = path;
  if (!DecodeVisiblePart(wic_.get(), path, screen_.width, screen_.height, picture_)) {
    ShowText("The image file ", file, " could not be displayed.", ShowEvent::Kind::Undecodable, file);
    return;
  }
  box_ = {screen_.left + CenterOffset(screen_.width, picture_.width),
          screen_.top + CenterOffset(screen_.height, picture_.height), picture_.width, picture_.height};
  Repaint();
  Notify(kindWhenShown, file);
}

void frmMain::ShowText(const std::string& start, const std::string& name, const std::string& end,
                       ShowEvent::Kind kind, const std::string& file) {
  picture_.Clear();
  textStart_ = start;
  textName_ = name;
  textEnd_ = end;
  shownFile_ = file;
  shownPath_.clear();
  PlaceText();
  Repaint();
  Notify(kind, file);
}

// The text fitted to the primary monitor's width and centred on it, in the current font.
void frmMain::PlaceText() {
  box_ = screen_;
  SIZE extent{};
  {
    WindowDc dc(hwnd_);
    SelectScope font(dc.get(), font_.get());
    auto measure = [&](const std::wstring& line) {
      SIZE size{};
      ::GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
      return size;
    };
    text_ = Widen(FitNameInLine(textStart_, textName_, textEnd_, screen_.width,
                                [&](const std::string& line) { return static_cast<int>(measure(Widen(line)).cx); }));
    extent = measure(text_);
  }
  const TextOrigin origin = CenterText(box_.width, box_.height, extent.cx, extent.cy);
  textAt_ = {box_.left + origin.x, box_.top + origin.y};
}

// The picture or text centred again on screen_, which was oldScreen: the picture is decoded again only
// when the new primary monitor shows another part of it.
void frmMain::Recentre(const PixelRect& oldScreen) {
  if (picture_.shown) {
    const Placement before = PlaceCentred(oldScreen.width, oldScreen.height, picture_.width, picture_.height);
    const Placement after = PlaceCentred(screen_.width, screen_.height, picture_.width, picture_.height);
    if (before.source == after.source) {
      picture_.onScreen = after.onScreen;
      box_ = {screen_.left + CenterOffset(screen_.width, picture_.width),
              screen_.top + CenterOffset(screen_.height, picture_.height), picture_.width, picture_.height};
    } else if (splashShown_) {
      DecodeVisiblePart(wic_.get(), shownPath_, screen_.width, screen_.height, picture_);  // nothing shown when it fails
      box_ = {screen_.left + CenterOffset(screen_.width, picture_.width),
              screen_.top + CenterOffset(screen_.height, picture_.height), picture_.width, picture_.height};
    } else {
      ShowPicture(std::string(shownFile_), std::wstring(shownPath_), ShowEvent::Kind::Recentred);
      return;
    }
  } else if (!text_.empty()) {
    PlaceText();
  } else {
    box_.left = -1000;  // nothing stands there
  }
  Repaint();
  Notify(ShowEvent::Kind::Recentred, shownFile_);
}

void frmMain::Repaint() {
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  ::UpdateWindow(hwnd_);
}

void frmMain::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  if (picture_.shown) {
    const PixelRect& at = picture_.onScreen;
    const int left = screen_.left + at.left, top = screen_.top + at.top;
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, left, top, left + at.width, top + at.height);
    ::FillRect(dc, &client, black);
    ::RestoreDC(dc, saved);
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    if (memory) {
      SelectScope bitmap(memory.get(), picture_.canvas.get());
      ::BitBlt(dc, left, top, at.width, at.height, memory.get(), picture_.sourceLeft, 0, SRCCOPY);
    }
  } else {
    ::FillRect(dc, &client, black);
    if (!text_.empty()) {
      SelectScope font(dc, font_.get());
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(255, 255, 255));
      ::TextOutW(dc, textAt_.x, textAt_.y, text_.c_str(), static_cast<int>(text_.size()));
    }
  }
  ::EndPaint(hwnd_, &ps);
}

void frmMain::Notify(ShowEvent::Kind kind, const std::string& file) {
  const bool change = kind == ShowEvent::Kind::Picture || kind == ShowEvent::Kind::Missing ||
                      kind == ShowEvent::Kind::Undecodable;
  if (env_.onEvent) env_.onEvent(ShowEvent{kind, file, box_, hwnd_, change ? changeStarted_ : 0});
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

// A resolution changed, or a monitor came or went: the window covers the new virtual screen and what
// stands there is centred on the new primary monitor.
void frmMain::Form_DisplayChange() {
  const ShowGeometry geometry = GeometryFor(env_.display ? env_.display() : SystemDisplay());
  RECT old{};
  ::GetWindowRect(hwnd_, &old);
  const PixelRect oldScreen = screen_;
  screen_ = geometry.primary;
  const PixelRect& at = geometry.window;
  // The pointer stands still while the window moves under it: not a move that ends the show.
  pointer_.Shift(old.left - at.left, old.top - at.top);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, at.left, at.top, at.width, at.height, SWP_NOACTIVATE);
  Recentre(oldScreen);
}

// The window's DPI changed (the scaling of its monitor): the text takes the new size. The window keeps
// covering the virtual screen, whatever size Windows suggests.
void frmMain::Form_DpiChanged() {
  MakeFont();
  if (!text_.empty()) {
    PlaceText();
    Repaint();
  }
}

void frmMain::tmrImagePictavo_Timer() {
  if (ticks_.Tick(gDelay) && list_.ShowCount() > 0) ShowNextImage();
}

void frmMain::tmrExitNotify_Timer() {
  ::KillTimer(hwnd_, tmrExitNotify);
  ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<frmMain*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmMain*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
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
      if (wParam == tmrExitNotify) tmrExitNotify_Timer();
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
  // COM outlives the window object, and with it every COM object the show holds.
  ComScope com;
  frmMain window(environment, com.ok());
  window.Run();
}

}  // namespace pictavo
