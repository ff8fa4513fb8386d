// The message dialog and the About boxes as a user meets them, under Wine at one DPI
// (this file is built once for 96 and once for 144 DPI).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"
#include "tests/ui/DialogDriver_win.h"
#include "ui/About_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/MessageDialog_win.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

using test::DialogDriver;
using test::Press;
using test::TextOf;

std::wstring BesideProgram(const wchar_t* name) { return Widen(ProgramDirectory()) + L"\\" + name; }

// Moves a file beside the program out of the way for the length of a test.
class SetAside {
 public:
  explicit SetAside(const wchar_t* name) : path_(BesideProgram(name)) {
    ::MoveFileExW(path_.c_str(), (path_ + L".aside").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  ~SetAside() { ::MoveFileExW((path_ + L".aside").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING); }
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;

 private:
  std::wstring path_;
};

// Puts bytes that are no picture in place of a file beside the program.
class Garbled {
 public:
  explicit Garbled(const wchar_t* name) : aside_(name) {
    UniqueFile file(::CreateFileW(BesideProgram(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), "this is not a picture", 21, &written, nullptr);
    path_ = BesideProgram(name);
  }
  ~Garbled() { ::DeleteFileW(path_.c_str()); }

 private:
  SetAside aside_;
  std::wstring path_;
};

// A plain top-level window standing in for the settings dialog.
class OwnerWindow {
 public:
  OwnerWindow(int left, int top, int width, int height) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = ::DefWindowProcW;
    cls.hInstance = ::GetModuleHandleW(nullptr);
    cls.lpszClassName = L"PictavoTestOwner";
    cls.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    ::RegisterClassW(&cls);
    hwnd_ = ::CreateWindowExW(0, cls.lpszClassName, L"Owner", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, left,
                              top, width, height, nullptr, nullptr, cls.hInstance, nullptr);
    ::SetForegroundWindow(hwnd_);
  }
  ~OwnerWindow() { ::DestroyWindow(hwnd_); }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

RECT ScreenRect(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

// Every control where the twips table puts it at this DPI, the client area its designed
// size, and every text within its control.
void ExpectLayout(HWND dialog, const FormSpec& spec, int32_t dpi = PICTAVO_TEST_DPI) {
  EXPECT_EQ(WindowDpi(dialog), PICTAVO_TEST_DPI) << "the test prefix does not run at the intended DPI";
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, ClientPixelRect(spec, dpi).right);
  EXPECT_EQ(client.bottom, ClientPixelRect(spec, dpi).bottom);
  for (const ControlSpec& c : spec.controls) {
    SCOPED_TRACE("control " + std::to_string(c.id));
    HWND control = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr);
    RECT r = ScreenRect(control);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const PixelRect want = ControlPixelRect(spec, c, dpi);
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right, want.right);
    EXPECT_EQ(r.bottom, want.bottom);
    if (c.kind != ControlKind::Label && c.kind != ControlKind::Button) continue;
    // Nothing clipped: the text, wrapped as the control wraps it, fits the control.
    const std::wstring text = Widen(TextOf(control));
    WindowDc dc(control);
    SelectScope font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    const int width = r.right - r.left - (c.kind == ControlKind::Button ? 8 : 0);
    RECT need{0, 0, width, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &need,
                DT_CALCRECT | (c.kind == ControlKind::Button ? DT_SINGLELINE : DT_WORDBREAK));
    // A last line without descenders may lose the empty space below its baseline, nothing else.
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    const bool descenders = text.find_first_of(L"gjpqy,;()[]{}|/@Q") != std::wstring::npos;
    EXPECT_LE(need.right, width) << Narrow(text);
    EXPECT_LE(need.bottom - (descenders ? 0 : metrics.tmDescent), r.bottom - r.top) << Narrow(text);
  }
}

// The dialog where CenterForm puts it: from its outer size and the primary screen.
void ExpectCentred(HWND dialog) {
  const int32_t dpi = WindowDpi(dialog);
  const RECT r = ScreenRect(dialog);
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  const int32_t left = CenteredEdge(PixelsToTwips(screenWidth, dpi), PixelsToTwips(r.right - r.left, dpi));
  const int32_t top = CenteredEdge(PixelsToTwips(screenHeight, dpi), PixelsToTwips(r.bottom - r.top, dpi));
  EXPECT_EQ(r.left, TwipsToPixels(left, dpi));
  EXPECT_EQ(r.top, TwipsToPixels(top, dpi));
  EXPECT_NEAR(r.left, (screenWidth - (r.right - r.left)) / 2, 1);
  EXPECT_NEAR(r.top, (screenHeight - (r.bottom - r.top)) / 2, 1);
}

enum class Seen { Nothing, Red, Blue, Other };

// What the icon box shows a quarter of the icon in from the left, half way down: the disc
// of the error icon (red) or of the information icon (blue), or the dialog's own colour.
Seen IconIn(HWND box, int32_t dpi) {
  const int size = TwipsToPixels(kIconTwips, dpi);
  WindowDc dc(box);
  const COLORREF c = ::GetPixel(dc.get(), size / 4, size / 2);
  if (c == ::GetSysColor(COLOR_BTNFACE)) return Seen::Nothing;
  if (GetRValue(c) > 150 && GetBValue(c) < 110) return Seen::Red;
  if (GetBValue(c) > 150 && GetRValue(c) < 110) return Seen::Blue;
  return Seen::Other;
}

std::wstring ShotName(const std::string& what) {
  return Widen(what + "-" + std::to_string(PICTAVO_TEST_DPI));
}

struct MessageRow {
  int32_t code;
  Seen icon;
};

// Catches a wrong text or icon in the dialog, a title that changes, controls off their
// designed places, clipped text, a dialog that is not centred, and "&Done" not closing it.
TEST(MessageDialog, EveryCodeShowsHeadlineBodyAndIcon) {
  const MessageRow rows[] = {{-100, Seen::Red}, {-101, Seen::Red}, {-102, Seen::Blue}, {-103, Seen::Blue},
                             {-104, Seen::Blue}, {-99, Seen::Red},  {0, Seen::Red}};
  for (const MessageRow& row : rows) {
    SCOPED_TRACE(row.code);
    const MessageEntry& entry = MessageFor(row.code);
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "Must Be Important...");
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::lblOneLiner)), entry.headline);
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::lblText)), entry.body);
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::Command1)), "&Done");
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, msg::Command1));
      EXPECT_EQ(IconIn(::GetDlgItem(dialog, msg::Picture1), WindowDpi(dialog)), row.icon);
      ExpectLayout(dialog, MessageFormSpec());
      ExpectCentred(dialog);
      test::SaveScreenshotIfAsked(ShotName("message" + std::to_string(row.code)));
      Press(dialog, msg::Command1);
    });
    ShowMessage(row.code, nullptr);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut()) << "the dialog did not close with &Done";
  }
}

// Catches a dialog placed relative to its owner, or left where the previous one was moved.
TEST(MessageDialog, TwoMessagesInARowAreBothCentredWhereverTheOwnerIs) {
  OwnerWindow owner(700, 500, 300, 200);
  RECT first{};
  RECT second{};
  DialogDriver driver([&](HWND dialog) {
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), owner.get());
    EXPECT_FALSE(::IsWindowEnabled(owner.get())) << "the owner must take no input while the message is open";
    ExpectCentred(dialog);
    const RECT before = ScreenRect(dialog);
    CenterForm(dialog);  // a second call leaves the window where the first put it
    EXPECT_EQ(ScreenRect(dialog).left, before.left);
    EXPECT_EQ(ScreenRect(dialog).top, before.top);
    (driver.handled() == 1 ? first : second) = ScreenRect(dialog);
    Press(dialog, msg::Command1);
  });
  ShowMessage(-100, owner.get());
  ::SetWindowPos(owner.get(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowMessage(-104, owner.get());
  EXPECT_EQ(driver.handled(), 2);
  EXPECT_EQ(first.left, second.left);
  EXPECT_EQ(first.top, second.top);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
}

// Catches a dialog that fails, or shows garbage, when its icon file is missing or unreadable.
TEST(MessageDialog, AppearsWithItsTextsWhenTheIconFileIsMissingOrUnreadable) {
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant == 0 ? "missing" : "unreadable");
    SetAside missing(variant == 0 ? L"err.ico" : L"none.ico");
    std::optional<Garbled> garbled;
    if (variant == 1) garbled.emplace(L"err.ico");
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, msg::lblOneLiner)), "An unknown error occurred.");
      EXPECT_EQ(IconIn(::GetDlgItem(dialog, msg::Picture1), WindowDpi(dialog)), Seen::Nothing);
      Press(dialog, msg::Command1);
    });
    ShowMessage(12345, nullptr);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut());
  }
}

// Catches Enter or Escape doing nothing in the message dialog.
TEST(MessageDialog, EnterAndEscapeClose) {
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key);
    DialogDriver driver([&](HWND) {
      ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
      ::PostMessageW(::GetFocus(), WM_KEYUP, key, 0xC0000001);
    });
    ShowMessage(-103, nullptr);
    EXPECT_FALSE(driver.timedOut()) << "the key did not close the dialog";
  }
}

// Catches the picture box ignoring its owner's position, its own outer size, or the
// picture; and a click or a key (also one the dialog manager would take) not closing it.
TEST(AboutBox, OpensBesideItsOwnerShowsThePictureAndClosesOnClickOrKey) {
  const int32_t dpi = PICTAVO_TEST_DPI;
  OwnerWindow owner(TwipsToPixels(1000, dpi), TwipsToPixels(2000, dpi), TwipsToPixels(6000, dpi),
                    TwipsToPixels(5000, dpi));
  for (int closeBy = 0; closeBy < 3; ++closeBy) {
    SCOPED_TRACE(closeBy);
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "About Pictavo");
      ExpectLayout(dialog, AboutFormSpec());
      const RECT o = ScreenRect(owner.get());
      const RECT box = ScreenRect(dialog);
      const AboutPlacement p = PlaceAboutBeside(
          PixelsToTwips(o.left, dpi), PixelsToTwips(o.top, dpi), PixelsToTwips(o.right - o.left, dpi),
          PixelsToTwips(o.bottom - o.top, dpi), PixelsToTwips(box.right - box.left, dpi),
          PixelsToTwips(box.bottom - box.top, dpi), PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN), dpi));
      ASSERT_FALSE(p.centreOnScreen);
      EXPECT_EQ(box.left, TwipsToPixels(p.position.left, dpi));
      EXPECT_EQ(box.top, TwipsToPixels(p.position.top, dpi));
      EXPECT_NEAR(box.left - o.left, (o.right - o.left) / 4, 1);
      EXPECT_NEAR(box.top - o.top, ((o.bottom - o.top) - (box.bottom - box.top)) / 2, 1);
      // The picture fills the client area from its top-left corner to its far corner.
      RECT client{};
      ::GetClientRect(dialog, &client);
      WindowDc dc(dialog);
      const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
      EXPECT_NE(::GetPixel(dc.get(), 2, 2), face);
      EXPECT_NE(::GetPixel(dc.get(), client.right - 3, client.bottom - 3), face);
      if (closeBy == 0) test::SaveScreenshotIfAsked(ShotName("about-picture"));
      if (closeBy == 0) {
        ::PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
        ::PostMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
      } else {
        const WPARAM key = closeBy == 1 ? 'X' : VK_TAB;
        ::PostMessageW(::GetFocus() != nullptr ? ::GetFocus() : dialog, WM_KEYDOWN, key, 1);
      }
    });
    ShowAbout(owner.get());
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut()) << "the picture box did not close";
  }
}

// Catches the box placed beside an owner so far right that it would run off the screen.
TEST(AboutBox, CentredWhenBesideTheOwnerWouldRunPastTheRightEdge) {
  OwnerWindow owner(::GetSystemMetrics(SM_CXSCREEN) - 200, 100, 600, 400);
  DialogDriver driver([&](HWND dialog) {
    ExpectCentred(dialog);
    ::PostMessageW(dialog, WM_KEYDOWN, VK_SPACE, 1);
  });
  ShowAbout(owner.get());
  EXPECT_EQ(driver.handled(), 1);
  EXPECT_FALSE(driver.timedOut());
}

// Catches the plain box not standing in for a missing or undecodable picture, its texts,
// fonts or layout wrong, and an About window left behind or the owner left disabled.
TEST(AboutBox, PlainBoxWhenThePictureIsMissingOrUndecodable) {
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant == 0 ? "missing" : "undecodable");
    OwnerWindow owner(100, 100, 500, 400);
    SetAside missing(variant == 0 ? L"about.jpg" : L"none.jpg");
    std::optional<Garbled> garbled;
    if (variant == 1) garbled.emplace(L"about.jpg");
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "About Pictavo");
      ASSERT_NE(::GetDlgItem(dialog, about2::btnDone), nullptr) << "the picture box showed instead";
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label1)), "Pictavo");
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label2)), "Version 1.0");
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label3)), "A photographic screen saver.");
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label4)), kCopyrightNotice);
      EXPECT_EQ(TextOf(::GetDlgItem(dialog, about2::Label5)),
                "You'd get a much better About box, if you would put ABOUT.JPG back.");
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, about2::btnDone));
      EXPECT_FALSE(::IsWindowEnabled(owner.get()));
      // Label1 in bold italic Arial 15.75 pt.
      LOGFONTW font{};
      ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog, about2::Label1, WM_GETFONT, 0, 0)),
                   sizeof font, &font);
      EXPECT_STREQ(font.lfFaceName, L"Arial");
      EXPECT_EQ(font.lfHeight, -PointsToPixels(15.75f, WindowDpi(dialog)));
      EXPECT_GE(font.lfWeight, FW_BOLD);
      EXPECT_TRUE(font.lfItalic);
      // The program icon in its box (the test carries the program's icon resource).
      WindowDc dc(::GetDlgItem(dialog, about2::Picture1));
      const int size = TwipsToPixels(kIconTwips, WindowDpi(dialog));
      EXPECT_NE(::GetPixel(dc.get(), size / 2, size / 2), ::GetSysColor(COLOR_BTNFACE));
      ExpectLayout(dialog, PlainAboutFormSpec());
      ExpectCentred(dialog);
      if (variant == 0) test::SaveScreenshotIfAsked(ShotName("about-plain"));
      Press(dialog, about2::btnDone);
    });
    ShowAbout(owner.get());
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut());
    EXPECT_EQ(::FindWindowW(L"#32770", L"About Pictavo"), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_EQ(::GetActiveWindow(), owner.get());
  }
}

// Catches Enter or Escape doing nothing in the plain About box.
TEST(AboutBox, PlainBoxClosesWithEnterAndEscape) {
  SetAside missing(L"about.jpg");
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    DialogDriver driver([&](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1); });
    ShowAbout(nullptr);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(driver.timedOut()) << key;
  }
}

// Catches a dialog that keeps its old layout or fonts when it moves to a monitor of
// another DPI (Windows tells it with WM_DPICHANGED).
TEST(Framework, LaysItselfOutAgainWhenTheDpiChanges) {
  const int32_t other = PICTAVO_TEST_DPI == 96 ? 144 : 96;
  DialogDriver driver([&](HWND dialog) {
    RECT suggested = ScreenRect(dialog);
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    ExpectLayout(dialog, MessageFormSpec(), other);
    EXPECT_EQ(ScreenRect(dialog).left, suggested.left);
    EXPECT_EQ(ScreenRect(dialog).top, suggested.top);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog, msg::lblOneLiner, WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -PointsToPixels(8.25f, other));
    EXPECT_GE(font.lfWeight, FW_BOLD);
    Press(dialog, msg::Command1);
  });
  ShowMessage(-103, nullptr);
  EXPECT_FALSE(driver.timedOut());
}

// A form with every kind of control the settings dialog and the editor need.
namespace kinds {
enum Id : int { lblName = 100, txtName, lblComment, txtComment, btnOk, Frame, rbOne, rbTwo, chkAll, slider, lstChecks,
                lstFiles };
constexpr FontSpec kBold{"MS Sans Serif", 8.25f, true, false};
constexpr ControlSpec kControls[] = {
    {lblName, ControlKind::Label, "Collection &Name:", {240, 360, 1440, 195}, 0},
    {txtName, ControlKind::TextBox, "", {1785, 315, 3855, 285}, 1},
    {lblComment, ControlKind::Label, "Collection Co&mment:", {240, 720, 1545, 195}, 2},
    {txtComment, ControlKind::TextBox, "", {1785, 675, 3855, 285}, 3},
    {btnOk, ControlKind::Button, "&OK", {3480, 4680, 1215, 375}, 4, 0, &kBold},
    {rbOne, ControlKind::OptionButton, "...&Randomly", {120, 240, 1335, 255}, 5, Frame},
    {rbTwo, ControlKind::OptionButton, "...Seque&ntially", {120, 480, 1455, 255}, 6, Frame},
    {chkAll, ControlKind::CheckBox, "Use &All Collections", {240, 2500, 1635, 255}, 7},
    {slider, ControlKind::TrackBar, "", {240, 2800, 3735, 420}, 8},
    {lstChecks, ControlKind::CheckList, "", {240, 3300, 2000, 1200}, 10},
    {lstFiles, ControlKind::ListBox, "", {2400, 3300, 2000, 1200}, 11},
    {Frame, ControlKind::GroupFrame, "Options", {240, 1200, 2500, 1000}, 12},
};
const FormSpec kForm{"Kinds", 6000, 5200, {"MS Sans Serif", 8.25f, false, false}, kControls};

HWND gKindsDialog = nullptr;
int* gAfterKey = nullptr;

// Notes where the focus went after the access key, then closes the form.
void CALLBACK AfterAccessKey(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  *gAfterKey = ::GetDlgCtrlID(::GetFocus());
  Press(gKindsDialog, btnOk);
}

class KindsForm final : public Form {
 public:
  KindsForm() : Form(kForm) {}

 private:
  void OnCommand(int id, int) override {
    if (id == btnOk) Close(1);
  }
};
}  // namespace kinds

// Catches a framework that cannot build the other dialogs' controls, a Tab order that does
// not follow the tab positions, or a label's access key that does not reach the next control.
TEST(Framework, EveryKindOfControlWithTabOrderAndAccessKeys) {
  using namespace kinds;
  ASSERT_EQ(CheckForm(kForm), "");
  std::vector<int> ids;
  int afterKey = 0;
  DialogDriver driver([&](HWND dialog) {
    ExpectLayout(dialog, kForm);
    EXPECT_EQ(TextOf(::GetDlgItem(dialog, btnOk)), "&OK");
    wchar_t cls[64] = {};
    ::GetClassNameW(::GetDlgItem(dialog, slider), cls, 64);
    EXPECT_STREQ(cls, L"msctls_trackbar32");
    test::SaveScreenshotIfAsked(ShotName("kinds"));
    HWND first = ::GetFocus();
    for (HWND at = first; at != nullptr;) {
      ids.push_back(::GetDlgCtrlID(at));
      at = ::GetNextDlgTabItem(dialog, at, FALSE);
      if (at == first) break;
    }
    // Alt+M: the access key of "Co&mment" moves the focus to the text box after the label.
    ::PostMessageW(::GetFocus(), WM_SYSCHAR, 'm', 1u << 29);
    gKindsDialog = dialog;
    gAfterKey = &afterKey;
    ::SetTimer(nullptr, 0, 200, &AfterAccessKey);
  });
  KindsForm form;
  EXPECT_EQ(form.ShowModal(nullptr), 1);
  EXPECT_FALSE(driver.timedOut());
  EXPECT_EQ(ids, (std::vector<int>{txtName, txtComment, btnOk, rbOne, rbTwo, chkAll, slider, lstChecks, lstFiles}));
  EXPECT_EQ(afterKey, txtComment);
}

// Catches "/A" not reaching the message dialog, the wrong message, or a program that
// stays after "&Done".
TEST(PasswordSwitch, ShowsThePasswordMessageAndEndsAfterDone) {
  test::ChildProcess program(test::ProgramPath(), L"/A 1234");
  ASSERT_TRUE(program.started());
  HWND dialog = test::WaitForVisibleWindow(L"#32770", L"Must Be Important...", 15000, program.id());
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(test::FindChildByText(dialog, L"Passwords are not supported."), nullptr);
  EXPECT_NE(test::FindChildByText(dialog, Widen(MessageFor(-103).body)), nullptr);
  HWND done = test::FindChildByText(dialog, L"&Done");
  ASSERT_NE(done, nullptr);
  test::SaveScreenshotIfAsked(ShotName("password-switch"));
  ::PostMessageW(done, BM_CLICK, 0, 0);
  EXPECT_TRUE(program.WaitForExit(10000));
  EXPECT_EQ(program.ExitCode().value_or(999), 0u);
}

}  // namespace
}  // namespace pictavo
