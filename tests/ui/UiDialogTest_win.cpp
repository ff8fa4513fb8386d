// The message dialog and the About boxes as a user meets them, under Wine at one DPI
// (this file is built once for 96 and once for 144 DPI).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"
#include "ui/About_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/MessageDialog_win.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

constexpr int32_t kDpi = PICTAVO_TEST_DPI;

// Hands each visible dialog of this thread to the handler once, polled by a thread timer.
// Past the time limit it closes every visible window, so that a failing test ends.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> handler) : handler_(std::move(handler)) { current_ = this; }
  ~DialogDriver() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  int handled() const { return static_cast<int>(seen_.size()); }
  bool timedOut = false;

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM) {
    DialogDriver* d = current_;
    if (!::IsWindowVisible(window) || ::GetClassLongPtrW(window, GCW_ATOM) != 32770) return TRUE;  // dialogs only
    if (d->timedOut) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (d->timedOut || std::ranges::find(d->seen_, window) != d->seen_.end()) return TRUE;
    d->seen_.push_back(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    d->handler_(window);
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr) return;
    current_->timedOut = current_->timedOut || ::GetTickCount() - current_->start_ > 8000;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Visit, 0);
  }
  static inline DialogDriver* current_ = nullptr;
  std::function<void(HWND)> handler_;
  std::vector<HWND> seen_;
  DWORD start_ = ::GetTickCount();
  UINT_PTR timer_ = ::SetTimer(nullptr, 0, 150, &Tick);
};

std::string TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(window, buffer, 1024);
  return Narrow(buffer);
}
RECT ScreenRect(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}
void SaveShot(const std::string& what) { test::SaveScreenshotIfAsked(Widen(what + "-" + std::to_string(kDpi))); }

// Moves a file beside the program aside for a test; garble puts bytes that are no picture in its place.
class SetAside {
 public:
  explicit SetAside(const wchar_t* name, bool garble = false) : path_(Widen(ProgramDirectory()) + L"\\" + name) {
    ::MoveFileExW(path_.c_str(), (path_ + L".aside").c_str(), MOVEFILE_REPLACE_EXISTING);
    UniqueFile file(garble ? ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)
                           : nullptr);
    DWORD written = 0;
    if (garble) ::WriteFile(file.get(), "this is not a picture", 21, &written, nullptr);
  }
  ~SetAside() { ::MoveFileExW((path_ + L".aside").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING); }

 private:
  std::wstring path_;
};

// A plain top-level window standing in for the settings dialog.
struct OwnerWindow {
  OwnerWindow(int left, int top, int width, int height) {
    hwnd = ::CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, left, top, width,
                             height, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(hwnd);
  }
  ~OwnerWindow() { ::DestroyWindow(hwnd); }
  HWND hwnd = nullptr;
};

// Every control where the twips table puts it at the DPI, in the table's font, its text not
// clipped; the client area of the designed size.
void ExpectLayout(HWND dialog, const FormSpec& spec, int32_t dpi) {
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ((PixelRect{0, 0, client.right, client.bottom}), ClientPixelRect(spec, dpi));
  for (const ControlSpec& c : spec.controls) {
    HWND control = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    RECT r = ScreenRect(control);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const PixelRect want = ControlPixelRect(spec, c, dpi);
    EXPECT_EQ((PixelRect{r.left, r.top, r.right, r.bottom}), want) << c.id;
    if (c.kind != ControlKind::Label && c.kind != ControlKind::Button) continue;
    const FontSpec& f = c.font != nullptr ? *c.font : spec.font;
    const auto hfont = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ::GetObjectW(hfont, sizeof lf, &lf);
    EXPECT_TRUE(Narrow(lf.lfFaceName) == f.face && lf.lfHeight == -PointsToPixels(f.points, dpi) &&
                (lf.lfWeight >= FW_BOLD) == f.bold && (lf.lfItalic != 0) == f.italic) << "font of " << c.id;
    // The text wrapped as the control wraps it; a last line without descenders may lose the
    // empty space below its baseline, nothing else.
    const std::wstring text = Widen(TextOf(control));
    const int width = want.Width() - (c.kind == ControlKind::Button ? 8 : 0);
    WindowDc dc(control);
    SelectScope select(dc.get(), hfont);
    RECT need{0, 0, width, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &need,
                DT_CALCRECT | (c.kind == ControlKind::Button ? DT_SINGLELINE : DT_WORDBREAK));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    const bool descenders = text.find_first_of(L"gjpqy,;()[]{}|/@Q") != std::wstring::npos;
    EXPECT_LE(need.right, width) << Narrow(text);
    EXPECT_LE(need.bottom - (descenders ? 0 : metrics.tmDescent), want.Height()) << Narrow(text);
  }
}

// The window where CenterForm puts it: from its outer size and the whole primary screen.
void ExpectCentred(HWND window) {
  EXPECT_EQ(WindowDpi(window), kDpi) << "the test prefix does not run at the intended DPI";
  const RECT r = ScreenRect(window);
  const auto edge = [](int screen, int size) {
    return TwipsToPixels(CenteredEdge(PixelsToTwips(screen, kDpi), PixelsToTwips(size, kDpi)), kDpi);
  };
  EXPECT_EQ(r.left, edge(::GetSystemMetrics(SM_CXSCREEN), r.right - r.left));
  EXPECT_EQ(r.top, edge(::GetSystemMetrics(SM_CYSCREEN), r.bottom - r.top));
}

enum class Seen { Nothing, Red, Blue, Other };

// What the icon box shows a quarter in from the left, half way down: the disc of the error
// icon (red) or of the information icon (blue), or the dialog's own colour.
Seen IconIn(HWND box) {
  const int size = TwipsToPixels(kIconTwips, kDpi);
  const COLORREF c = ::GetPixel(WindowDc(box).get(), size / 4, size / 2);
  if (c == ::GetSysColor(COLOR_BTNFACE)) return Seen::Nothing;
  if (GetRValue(c) > 150 && GetBValue(c) < 110) return Seen::Red;
  return GetBValue(c) > 150 && GetRValue(c) < 110 ? Seen::Blue : Seen::Other;
}

// What closes a dialog: a button's command to the dialog, a key or a click where the focus is.
void CloseBy(HWND dialog, UINT message, WPARAM wParam) {
  HWND to = message == WM_COMMAND || ::GetFocus() == nullptr ? dialog : ::GetFocus();
  ::PostMessageW(to, message, wParam, message == WM_KEYDOWN ? 1 : MAKELPARAM(50, 50));
}

// Catches a wrong text or icon kind, a title that changes, "&Done" not first in focus, controls
// off their table places or clipped; a dialog not centred, placed by its owner (which moves
// between messages) or moved again by a second CenterForm; an owner that takes input meanwhile;
// a missing or unreadable icon file that stops the dialog; "&Done", Enter or Escape not closing it.
TEST(MessageDialog, EveryCodeCentredWithHeadlineBodyAndIcon) {
  OwnerWindow owner(700, 500, 300, 200);
  const struct { int32_t code; Seen icon; WPARAM key; const wchar_t* aside; bool garble; } rows[] = {
      {-100, Seen::Red, 0, L"-", false},          {-101, Seen::Red, 0, L"-", false},
      {-102, Seen::Blue, 0, L"-", false},         {-103, Seen::Blue, VK_RETURN, L"-", false},
      {-104, Seen::Blue, VK_ESCAPE, L"-", false}, {-99, Seen::Red, 0, L"-", false},
      {0, Seen::Nothing, 0, L"err.ico", false},   {12345, Seen::Nothing, 0, L"err.ico", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    SetAside icon(row.aside, row.garble);
    ::SetWindowPos(owner.hwnd, nullptr, row.code % 7 * 90, row.code % 5 * 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "Must Be Important...");
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::lblOneLiner)), MessageFor(row.code).headline);
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::lblText)), MessageFor(row.code).body);
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::Command1)), "&Done");
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, msg::Command1));
      EXPECT_EQ(IconIn(::GetDlgItem(dialog, msg::Picture1)), row.icon);
      EXPECT_EQ(::GetWindow(dialog, GW_OWNER), owner.hwnd);
      EXPECT_FALSE(::IsWindowEnabled(owner.hwnd));
      ExpectLayout(dialog, MessageFormSpec(), kDpi);
      ExpectCentred(dialog);
      CenterForm(dialog);
      ExpectCentred(dialog);
      SaveShot("message" + std::to_string(row.code));
      CloseBy(dialog, row.key != 0 ? WM_KEYDOWN : WM_COMMAND, row.key != 0 ? row.key : WPARAM{msg::Command1});
    });
    ShowMessage(row.code, owner.hwnd);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut) << "the dialog did not close";
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd));
  }
}

// Catches the picture box ignoring its owner's position or its own outer size, placed beside
// an owner so far right that it runs off the screen, not filled by the picture, or not closed
// by a click or a key (also one the dialog manager would take); the plain box not standing
// in for a missing or undecodable picture, its texts, icon or layout wrong, not closed by
// "&Done", Enter or Escape; an About window left behind, or the owner left disabled or inactive.
TEST(AboutBox, PictureBesideItsOwnerOrCentredAndPlainBoxWithoutThePicture) {
  const int left = TwipsToPixels(1000, kDpi), farRight = ::GetSystemMetrics(SM_CXSCREEN) - 200;
  enum Picture { Present, Missing, Garbled };
  const struct { Picture picture; int ownerLeft; bool centred; UINT message; WPARAM wParam; } rows[] = {
      {Present, left, false, WM_LBUTTONUP, 0},        {Present, left, false, WM_KEYDOWN, 'X'},
      {Present, farRight, true, WM_KEYDOWN, VK_TAB},  {Missing, left, true, WM_COMMAND, about2::btnDone},
      {Garbled, left, true, WM_KEYDOWN, VK_RETURN},   {Missing, left, true, WM_KEYDOWN, VK_ESCAPE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.picture) + " " + std::to_string(row.wParam));
    SetAside picture(row.picture == Present ? L"-" : L"about.jpg", row.picture == Garbled);
    OwnerWindow owner(row.ownerLeft, TwipsToPixels(2000, kDpi), TwipsToPixels(6000, kDpi), TwipsToPixels(5000, kDpi));
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "About Pictavo");
      EXPECT_FALSE(::IsWindowEnabled(owner.hwnd));
      ASSERT_EQ(::GetDlgItem(dialog, about2::btnDone) != nullptr, row.picture != Present) << "the wrong box";
      ExpectLayout(dialog, row.picture == Present ? AboutFormSpec() : PlainAboutFormSpec(), kDpi);
      const RECT o = ScreenRect(owner.hwnd), box = ScreenRect(dialog);
      const auto tw = [](LONG pixels) { return PixelsToTwips(pixels, kDpi); };
      const AboutPlacement p = PlaceAboutBeside(tw(o.left), tw(o.top), tw(o.right - o.left), tw(o.bottom - o.top),
                                                tw(box.right - box.left), tw(box.bottom - box.top),
                                                tw(::GetSystemMetrics(SM_CXSCREEN)));
      if (row.centred) ExpectCentred(dialog);
      else EXPECT_EQ((PixelRect{box.left, box.top}), (PixelRect{TwipsToPixels(p.position.left, kDpi),
                                                                  TwipsToPixels(p.position.top, kDpi)}));
      EXPECT_TRUE(row.picture != Present || p.centreOnScreen == row.centred);
      // The picture fills the box to its far corner; the plain box shows the program icon.
      RECT area{0, 0, TwipsToPixels(kIconTwips, kDpi), TwipsToPixels(kIconTwips, kDpi)};
      if (row.picture == Present) ::GetClientRect(dialog, &area);
      WindowDc dc(row.picture == Present ? dialog : ::GetDlgItem(dialog, about2::Picture1));
      EXPECT_NE(::GetPixel(dc.get(), area.right / 2, area.bottom / 2), ::GetSysColor(COLOR_BTNFACE));
      const COLORREF corner = ::GetPixel(dc.get(), area.right - 3, area.bottom - 3);
      EXPECT_TRUE(row.picture != Present || corner != ::GetSysColor(COLOR_BTNFACE)) << "picture cut short";
      if (row.picture != Present) {
        EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label5)),
                  "You'd get a much better About box, if you would put ABOUT.JPG back.");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, about2::btnDone));
      }
      SaveShot(row.picture == Present ? "about-picture" : "about-plain");
      CloseBy(dialog, row.message, row.wParam);
    });
    ShowAbout(owner.hwnd);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut) << "the box did not close";
    EXPECT_EQ(::FindWindowW(L"#32770", L"About Pictavo"), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd));
    EXPECT_EQ(::GetActiveWindow(), owner.hwnd);
  }
}

// Catches a framework that cannot build the other dialogs' controls, a Tab order that does not
// follow the tab positions, a label's access key that does not reach the next control, and a
// dialog that keeps its old layout or fonts when WM_DPICHANGED moves it to another DPI.
TEST(Framework, EveryControlKindTabOrderAccessKeysAndDpiChange) {
  enum Id : int { btnOk = 100, lblComment, txtComment, Frame, rbOne, rbTwo, chkAll, slider, lstChecks, lstFiles };
  static constexpr FontSpec kBold{"MS Sans Serif", 8.25f, true, false};
  static constexpr ControlSpec kControls[] = {
      {btnOk, ControlKind::Button, "&OK", {3480, 4680, 1215, 375}, 0, 0, &kBold},
      {lblComment, ControlKind::Label, "Collection Co&mment:", {240, 720, 1905, 195}, 1},
      {txtComment, ControlKind::TextBox, "", {2200, 675, 3600, 285}, 2},
      {rbOne, ControlKind::OptionButton, "...&Randomly", {120, 240, 1335, 255}, 3, Frame},
      {rbTwo, ControlKind::OptionButton, "...Seque&ntially", {120, 480, 1455, 255}, 4, Frame},
      {chkAll, ControlKind::CheckBox, "Use &All Collections", {240, 2500, 1635, 255}, 5},
      {slider, ControlKind::TrackBar, "", {240, 2800, 3735, 420}, 6},
      {lstChecks, ControlKind::CheckList, "", {240, 3300, 2000, 1200}, 7},
      {lstFiles, ControlKind::ListBox, "", {2400, 3300, 2000, 1200}, 8},
      {Frame, ControlKind::GroupFrame, "Options", {240, 1200, 2500, 1000}, 9},
  };
  static const FormSpec kForm{"Kinds", 6000, 5200, {"MS Sans Serif"}, kControls};
  const int32_t other = kDpi == 96 ? 144 : 96;
  std::vector<int> tabOrder;
  int afterAltM = 0;
  DialogDriver driver([&](HWND dialog) {
    ExpectLayout(dialog, kForm, kDpi);
    HWND first = ::GetFocus(), at = first;
    do tabOrder.push_back(::GetDlgCtrlID(at));
    while ((at = ::GetNextDlgTabItem(dialog, at, FALSE)) != first && at != nullptr);
    RECT suggested = ScreenRect(dialog);
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    ExpectLayout(dialog, kForm, other);
    EXPECT_EQ(ScreenRect(dialog).left, suggested.left);
    MSG altM{::GetFocus(), WM_SYSCHAR, 'm', 1 << 29, 0, {}};  // as the modal loop hands it to the dialog manager
    ::IsDialogMessageW(dialog, &altM);
    afterAltM = ::GetDlgCtrlID(::GetFocus());
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  Form form(kForm);
  EXPECT_EQ(form.ShowModal(nullptr), IDCANCEL);
  EXPECT_FALSE(driver.timedOut);
  EXPECT_EQ(tabOrder, (std::vector<int>{btnOk, txtComment, rbOne, rbTwo, chkAll, slider, lstChecks, lstFiles}));
  EXPECT_EQ(afterAltM, txtComment);
}

// Catches "/A" not reaching the message dialog, the wrong message, or a program that
// stays after "&Done".
TEST(PasswordSwitch, ShowsThePasswordMessageAndEndsAfterDone) {
  test::ChildProcess program(test::ProgramPath(), L"/A 1234");
  HWND dialog = test::WaitForVisibleWindow(L"#32770", L"Must Be Important...", 15000, program.id());
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(test::FindChildByText(dialog, L"Passwords are not supported."), nullptr);
  EXPECT_NE(test::FindChildByText(dialog, Widen(MessageFor(-103).body)), nullptr);
  SaveShot("password-switch");
  ::PostMessageW(test::FindChildByText(dialog, L"&Done"), BM_CLICK, 0, 0);
  EXPECT_TRUE(program.WaitForExit(10000));
  EXPECT_EQ(program.ExitCode().value_or(999), 0u);
}

}  // namespace
}  // namespace pictavo
