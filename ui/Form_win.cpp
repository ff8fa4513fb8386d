#include "ui/Form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/Resources.h"
#include "platform/Text_win.h"
#include "ui/ClickGuard.h"
#include "ui/MessageCatalogue.h"
#include "ui/MessageDialog_win.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;

// Functions of newer Windows versions, looked up once so the program still starts on older ones.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
  BOOL(WINAPI* setDialogDpiChangeBehavior)(HWND, int, int) = nullptr;
  BOOL(WINAPI* setDialogControlDpiChangeBehavior)(HWND, int, int) = nullptr;
};

template <typename F>
void Resolve(HMODULE module, const char* name, F& target) {
  target = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const DpiFunctions& DpiApi() {
  static const DpiFunctions functions = [] {
    DpiFunctions f;
    if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
      Resolve(user32, "GetDpiForWindow", f.getDpiForWindow);
      Resolve(user32, "AdjustWindowRectExForDpi", f.adjustWindowRectExForDpi);
      Resolve(user32, "SetDialogDpiChangeBehavior", f.setDialogDpiChangeBehavior);
      Resolve(user32, "SetDialogControlDpiChangeBehavior", f.setDialogControlDpiChangeBehavior);
    }
    return f;
  }();
  return functions;
}

// The dialog lays itself out on a DPI change; Windows' own dialog scaling would fight it.
constexpr int kDdcDisableAll = 0x0001;
constexpr int kDcdcDisableFontUpdate = 0x0001;
constexpr int kDcdcDisableRelayout = 0x0002;

// An in-memory dialog template: a caption, no menu, the standard class, no controls.
std::vector<WORD> BuildTemplate(std::wstring_view title) {
  DLGTEMPLATE header{};
  header.style = kDialogStyle;
  header.dwExtendedStyle = kDialogExStyle;
  static_assert(sizeof(DLGTEMPLATE) % sizeof(WORD) == 0);
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD));
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the predefined dialog class
  for (wchar_t c : title) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(const ControlSpec& c) {
  const DWORD align = c.align == TextAlign::Right ? SS_RIGHT : c.align == TextAlign::Centre ? SS_CENTER : SS_LEFT;
  switch (c.kind) {
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Label: return {L"STATIC", align, 0};
    case ControlKind::TextBox: return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::OptionButton: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
    case ControlKind::GroupFrame: return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::ListBox:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::CheckList:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::TrackBar: return {TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 0};
    case ControlKind::PictureBox: return {L"STATIC", SS_OWNERDRAW, 0};
    case ControlKind::Line: return {L"STATIC", SS_BLACKRECT, 0};
    case ControlKind::DriveList: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
    case ControlKind::DirectoryList:
      return {L"LISTBOX",
              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

UniqueFont MakeFont(const FontSpec& font, int32_t dpi) {
  return UniqueFont(::CreateFontW(-PointsToPixels(font.points, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                  font.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                  Widen(font.face).c_str()));
}

// A drop-down list's window is its closed box; the height it is given is that of the box with its
// list dropped. The closed box follows the height of its field, which is fitted to the table's.
void FitDriveList(HWND combo, const PixelRect& r) {
  constexpr int kDroppedRows = 8;
  ::SetWindowPos(combo, nullptr, r.left, r.top, r.Width(), r.Height() * kDroppedRows, SWP_NOZORDER | SWP_NOACTIVATE);
  // The field's height need not map one to one onto the box's: a few corrections at most.
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT now{};
    ::GetWindowRect(combo, &now);
    const auto field = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    const int closed = now.bottom - now.top;
    if (field <= 0 || closed == r.Height() || field + r.Height() - closed <= 0) return;
    ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + r.Height() - closed);
  }
}

// A directory list's rows: the font's height, at least that of a small icon, and a little air.
void FitDirectoryRows(HWND list, HFONT font, int32_t dpi) {
  WindowDc dc(list);
  SelectScope select(dc.get(), font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  const int row = std::max<int>(metrics.tmHeight, TwipsToPixels(240, dpi)) + TwipsToPixels(30, dpi);
  ::SendMessageW(list, LB_SETITEMHEIGHT, 0, row);
}

// The click guard of this thread (ClickGuard.h), fed by a message hook while a modal window is open.
struct ThreadClickGuard {
  HHOOK hook = nullptr;
  int depth = 0;  // modal windows open on this thread
  ClickGuard guard;
};
thread_local ThreadClickGuard gClickGuard;

LRESULT CALLBACK ClickGuardHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && lParam != 0) {
    MSG& m = *reinterpret_cast<MSG*>(lParam);
    const bool press = m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONDBLCLK || m.message == WM_NCLBUTTONDOWN ||
                       m.message == WM_NCLBUTTONDBLCLK;
    const bool release = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
    const ClickGuard::DoubleClick limits{::GetDoubleClickTime(), ::GetSystemMetrics(SM_CXDOUBLECLK),
                                         ::GetSystemMetrics(SM_CYDOUBLECLK)};
    if ((press || release) && gClickGuard.guard.Drop(press, {m.time, m.pt.x, m.pt.y}, limits)) m.message = WM_NULL;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The width of a vertical scroll bar at a DPI.
int ScrollBarWidth(int32_t dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  return forDpi != nullptr ? forDpi(SM_CXVSCROLL, static_cast<UINT>(dpi))
                           : ::GetSystemMetrics(SM_CXVSCROLL);
}

// A handler's failure, told with the catalogue's message for what it does not name; once at a time.
void ReportUnexpectedFailure(HWND window) {
  static thread_local bool reporting = false;
  if (reporting) return;
  reporting = true;
  try {
    ShowMessage(message::kUnexpected, window);
  } catch (...) {
  }
  reporting = false;
}

}  // namespace

ModalScope::ModalScope() {
  ThreadClickGuard& g = gClickGuard;
  g.guard.ModalOpened();
  if (g.depth++ == 0 && g.hook == nullptr)
    g.hook = ::SetWindowsHookExW(WH_GETMESSAGE, &ClickGuardHook, nullptr, ::GetCurrentThreadId());
}

ModalScope::~ModalScope() {
  ThreadClickGuard& g = gClickGuard;
  // Closed by a click: the last message taken from the queue was that release.
  g.guard.ModalClosed(static_cast<uint32_t>(::GetMessageTime()));
  if (--g.depth == 0 && g.hook != nullptr) {
    ::UnhookWindowsHookEx(g.hook);
    g = ThreadClickGuard{};
  }
}

int32_t WindowDpi(HWND window) {
  if (DpiApi().getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = DpiApi().getDpiForWindow(window);
    if (dpi != 0) return static_cast<int32_t>(dpi);
  }
  WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDefaultDpi;
}

TwipsSize OuterSizeTwips(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  const int32_t dpi = WindowDpi(window);
  return {PixelsToTwips(r.right - r.left, dpi), PixelsToTwips(r.bottom - r.top, dpi)};
}

void CenterForm(HWND window) {
  if (window == nullptr) return;
  {
    const int32_t dpi = WindowDpi(window);
    RECT r{};
    ::GetWindowRect(window, &r);
    const float width = PixelsToTwips(r.right - r.left, dpi);
    const float screen = PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN), dpi);
    const int32_t left = CenteredEdge(screen, width);
    ::SetWindowPos(window, nullptr, TwipsToPixels(left, dpi), r.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  {
    // Read again: the horizontal move may have taken the window to a monitor of another DPI.
    const int32_t dpi = WindowDpi(window);
    RECT r{};
    ::GetWindowRect(window, &r);
    const float height = PixelsToTwips(r.bottom - r.top, dpi);
    const float screen = PixelsToTwips(::GetSystemMetrics(SM_CYSCREEN), dpi);
    const int32_t top = CenteredEdge(screen, height);
    ::SetWindowPos(window, nullptr, r.left, TwipsToPixels(top, dpi), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Form::Form(const FormSpec& spec) : spec_(spec) {}

Form::~Form() = default;

int32_t Form::Pixels(int32_t twips) const { return TwipsToPixels(twips, dpi_); }

INT_PTR Form::ShowModal(HWND owner) {
  const std::vector<WORD> dialogTemplate = BuildTemplate(Widen(spec_.title));
  closing_ = false;
  loadFailed_ = false;
  const ModalScope modal;
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                                   reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
                                                   &Form::DialogProc, reinterpret_cast<LPARAM>(this));
  // Told over the owner, which is as it was: the dialog never showed.
  if (loadFailed_) ReportUnexpectedFailure(owner);
  return result;
}

void Form::Close(INT_PTR result) {
  if (hwnd_ == nullptr || closing_) return;
  closing_ = true;
  ::EndDialog(hwnd_, result);
}

void Form::SetControlText(int id, std::string_view utf8) { ::SetDlgItemTextW(hwnd_, id, Widen(utf8).c_str()); }

std::string Form::ControlText(int id) const {
  HWND control = Control(id);
  const int length = control != nullptr ? ::GetWindowTextLengthW(control) : 0;
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

INT_PTR CALLBACK Form::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Form* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Form*>(lParam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into Windows. A dialog that cannot load closes and is told when it has gone; a
    // handler that fails is told to the user and the dialog stays, with whatever the user had done in it.
    if (message == WM_INITDIALOG) {
      self->loadFailed_ = true;
      self->Close(-1);
    } else {
      ReportUnexpectedFailure(hwnd);
    }
    return FALSE;
  }
}

INT_PTR Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      dpi_ = WindowDpi(hwnd_);
      if (DpiApi().setDialogDpiChangeBehavior != nullptr)
        DpiApi().setDialogDpiChangeBehavior(hwnd_, kDdcDisableAll, kDdcDisableAll);
      SetWindowIcons();
      CreateControls();
      ApplyLayout();
      Form_Load();
      if (!closing_) {
        if (HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE))
          ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
      }
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      OnCloseBox();
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr) return FALSE;
      OnDrawItem(static_cast<int>(item->CtlID), *item);
      return TRUE;
    }
    case WM_DPICHANGED: {
      // Windows' rectangle keeps the dialog on the monitor that has the new DPI; a size or place of our
      // own could take it back over the edge and make it bounce between the two.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      dpi_ = LOWORD(wParam) != 0 ? LOWORD(wParam) : dpi_;
      if (suggested != nullptr)
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyLayout(suggested == nullptr);
      OnDpiChanged();
      ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
      return TRUE;
    }
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      hwnd_ = nullptr;
      return FALSE;
    default: {
      LRESULT result = 0;
      if (!OnMessage(message, wParam, lParam, result)) return FALSE;
      switch (message) {
        // These return their result directly; all others through DWLP_MSGRESULT.
        case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM: case WM_VKEYTOITEM:
        case WM_CHARTOITEM: case WM_QUERYDRAGICON:
          return static_cast<INT_PTR>(result);
        default:
          ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
          return TRUE;
      }
    }
  }
}

void Form::SetWindowIcons() {
  // The program icon, when the running program carries one; shared icons are never freed.
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  for (const auto& [kind, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = ::GetSystemMetrics(metric);
    if (HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PICTAVO), IMAGE_ICON, size, size, LR_SHARED))
      ::SendMessageW(hwnd_, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
}

void Form::CreateControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                          ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::vector<size_t> order = CreationOrder(spec_);
  const ControlSpec* previous = nullptr;
  for (size_t index : order) {
    const ControlSpec& c = spec_.controls[index];
    const ControlClass cls = ClassOf(c);
    // Each control starts a group, except an option button that follows another in the
    // same container: such a run is one group, and the arrow keys move within it.
    const bool continuesGroup = c.kind == ControlKind::OptionButton && previous != nullptr &&
                                previous->kind == ControlKind::OptionButton && previous->container == c.container;
    const DWORD style = WS_CHILD | WS_VISIBLE | cls.style | c.style | (continuesGroup ? 0 : WS_GROUP);
    HWND control = ::CreateWindowExW(cls.exStyle | c.exStyle, cls.className, Widen(c.caption).c_str(), style, 0, 0,
                                     0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                     nullptr);
    if (control != nullptr && DpiApi().setDialogControlDpiChangeBehavior != nullptr)
      DpiApi().setDialogControlDpiChangeBehavior(control, kDcdcDisableFontUpdate | kDcdcDisableRelayout,
                                              kDcdcDisableFontUpdate | kDcdcDisableRelayout);
    if (control != nullptr && c.kind == ControlKind::CheckList) {
      ListView_SetExtendedListViewStyle(control, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      ListView_InsertColumn(control, 0, &column);
    }
    previous = &c;
  }
}

HFONT Form::FontFor(const ControlSpec& control) const {
  const size_t index = static_cast<size_t>(&control - spec_.controls.data());
  if (control.font != nullptr && index + 1 < fonts_.size() && fonts_[index + 1]) return fonts_[index + 1].get();
  return fonts_.empty() ? nullptr : fonts_[0].get();
}

void Form::ApplyLayout(bool sizeWindow) {
  // New fonts first; the old ones are released only after every control has the new ones.
  std::vector<UniqueFont> fonts;
  fonts.reserve(spec_.controls.size() + 1);
  fonts.push_back(MakeFont(spec_.font, dpi_));
  for (const ControlSpec& c : spec_.controls) fonts.push_back(c.font != nullptr ? MakeFont(*c.font, dpi_) : UniqueFont());
  fonts_.swap(fonts);

  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].get()), FALSE);
  for (const ControlSpec& c : spec_.controls) {
    HWND control = Control(c.id);
    if (control == nullptr) continue;
    const PixelRect r = ControlPixelRect(spec_, c, dpi_);
    ::SetWindowPos(control, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), TRUE);
    if (c.kind == ControlKind::DriveList) FitDriveList(control, r);
    if (c.kind == ControlKind::DirectoryList) FitDirectoryRows(control, FontFor(c), dpi_);
    if (c.kind == ControlKind::CheckList) {
      // The column leaves room for the vertical scroll bar that a longer list shows, so that the list
      // never needs a horizontal one.
      RECT client{};
      ::GetClientRect(control, &client);
      const int bar = (::GetWindowLongW(control, GWL_STYLE) & WS_VSCROLL) ? 0 : ScrollBarWidth(dpi_);
      ListView_SetColumnWidth(control, 0, client.right - client.left - bar);
    }
  }

  if (!sizeWindow) return;
  // The designed size is the client area; the window's outer size follows from its frame.
  const PixelRect client = ClientPixelRect(spec_, dpi_);
  RECT outer{0, 0, client.right, client.bottom};
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  if (DpiApi().adjustWindowRectExForDpi != nullptr)
    DpiApi().adjustWindowRectExForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi_));
  else
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Frames that differ from the computed one (themes, window managers): correct to the client size.
  RECT actual{};
  ::GetClientRect(hwnd_, &actual);
  const int dx = client.right - (actual.right - actual.left);
  const int dy = client.bottom - (actual.bottom - actual.top);
  if (dx != 0 || dy != 0)
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pictavo
