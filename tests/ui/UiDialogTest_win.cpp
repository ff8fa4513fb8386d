// The message dialog and the About boxes as a user meets them, under Wine at one DPI
// (this file is built once for 96 and once for 144 DPI).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "tests/support/DialogTest_win.h"
#include "ui/About_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/MessageDialog_win.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

using test::DialogDriver, test::ExpectLayout, test::kDpi, test::RectOf, test::TextOf;
int Px(int64_t twips) { return TwipsToPixels(twips, kDpi); }
// A plain top-level window standing in for the settings dialog.
test::OwnerWindow Owner(int left) { return {left, Px(2000), Px(6000), Px(5000)}; }

// A file beside the program as a test wants it: left alone, moved aside, or replaced by bytes that
// are no picture; put back afterwards.
enum File { Present, Missing, Garbled };
struct SetAside {
  SetAside(const wchar_t* name, File file) : path(Widen(ProgramDirectory()) + L"\\" + name) {
    if (file != Present) ::MoveFileExW(path.c_str(), (path + L".aside").c_str(), MOVEFILE_REPLACE_EXISTING);
    if (file == Garbled) std::ofstream(std::filesystem::path(path), std::ios::binary) << "this is not a picture";
  }
  ~SetAside() { ::MoveFileExW((path + L".aside").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }
  std::wstring path;
};

// What the icon box shows a quarter in from the left, half way down: the disc of the error
// icon ("red") or of the information icon ("blue"), or the dialog's own colour ("none").
std::string IconIn(HWND box) {
  const COLORREF c = ::GetPixel(WindowDc(box).get(), Px(kIconTwips) / 4, Px(kIconTwips) / 2);
  if (c == ::GetSysColor(COLOR_BTNFACE)) return "none";
  if (GetRValue(c) > 150 && GetBValue(c) < 110) return "red";
  return GetBValue(c) > 150 && GetRValue(c) < 110 ? "blue" : "other";
}

// What closes a dialog: a button's command to the dialog, a key or a click where the focus is.
void CloseBy(HWND dialog, UINT message, WPARAM wParam) {
  HWND to = message == WM_COMMAND || ::GetFocus() == nullptr ? dialog : ::GetFocus();
  ::PostMessageW(to, message, wParam, message == WM_KEYDOWN ? 1 : MAKELPARAM(50, 50));
}

// Catches a wrong text or icon kind, a title that changes, "&Done" not first in focus, controls off their
// table places or clipped; a body or detail cut off at the designed label height, a button left inside the
// grown frame or outside the window, an "&" of a collection name taken as an access key; a dialog not
// centred (also when grown), placed by its owner (which moves between messages) or moved again by a second
// CenterForm; an owner that takes input meanwhile or is not active again afterwards; a missing or
// unreadable icon file that stops the dialog; "&Done", Enter or Escape not closing it.
TEST(MessageDialog, EveryCodeCentredWithItsTextsAndIconAndNothingCutOff) {
  const test::OwnerWindow owner = Owner(700);
  std::string names;
  for (int i = 0; i < 12; ++i) names += "The collection \"Rock & Roll " + std::to_string(i) + "\" was not saved. ";
  const struct {
    int32_t code; const char* icon; WPARAM key; File errIco; bool grows; std::string detail = {};
  } rows[] = {
      {-99, "red", 0, Present, false},  {-103, "blue", VK_RETURN, Present, false}, {-104, "blue", VK_ESCAPE, Present, false},
      {0, "none", 0, Missing, false},   {12345, "none", 0, Garbled, false},       {-106, "red", 0, Present, true},
      {-111, "red", 0, Present, true, names},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    SetAside icon(L"err.ico", row.errIco);
    ::SetWindowPos(owner.hwnd, nullptr, row.code % 7 * 90, row.code % 5 * 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const std::string body =
        std::string(MessageFor(row.code).body) + (row.detail.empty() ? "" : "\r\n\r\n" + row.detail);
    DialogDriver driver(owner.hwnd, {[&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, msg::Command1), "Must Be Important...|&Done");
      EXPECT_EQ(TextOf(dialog, msg::lblOneLiner) + "|" + TextOf(dialog, msg::lblText),
                std::string(MessageFor(row.code).headline) + "|" + body);
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, msg::Command1));
      EXPECT_EQ(::GetWindow(dialog, GW_OWNER), owner.hwnd);
      EXPECT_EQ(IconIn(::GetDlgItem(dialog, msg::Picture1)), row.icon);
      if (!row.grows) ExpectLayout(dialog, MessageFormSpec(), kDpi);
      // The whole body fits its label, and the button lies below the frame inside the window.
      HWND label = ::GetDlgItem(dialog, msg::lblText);
      test::ExpectTextFits(label);
      EXPECT_EQ(::GetWindowLongPtrW(label, GWL_STYLE) & SS_NOPREFIX, SS_NOPREFIX);
      RECT client{};
      ::GetClientRect(dialog, &client);
      const PixelRect frame = RectOf(::GetDlgItem(dialog, msg::Frame1), dialog);
      const PixelRect button = RectOf(::GetDlgItem(dialog, msg::Command1), dialog);
      EXPECT_TRUE(button.top >= frame.bottom && button.bottom <= client.bottom);
      test::ExpectCentred(dialog, kDpi);
      CenterForm(dialog);
      test::ExpectCentred(dialog, kDpi);
      CloseBy(dialog, row.key != 0 ? WM_KEYDOWN : WM_COMMAND, row.key != 0 ? row.key : WPARAM{msg::Command1});
    }});
    ShowMessage(row.code, owner.hwnd, row.detail);
  }
}

// Catches the picture box ignoring its owner's position or its own outer size, placed beside
// an owner so far right that it runs off the screen, not filled by the picture, or not closed
// by a click or a key (also one the dialog manager would take); the plain box not standing
// in for a missing or undecodable picture, its texts, icon or layout wrong, not closed by
// "&Done", Enter or Escape; an About window left behind, or the owner left disabled or inactive.
TEST(AboutBox, PictureBesideItsOwnerOrCentredAndPlainBoxWithoutThePicture) {
  const int left = Px(1000), farRight = ::GetSystemMetrics(SM_CXSCREEN) - 200;
  const struct { File picture; int ownerLeft; bool centred; UINT message; WPARAM wParam; } rows[] = {
      {Present, left, false, WM_LBUTTONUP, 0},        {Present, left, false, WM_KEYDOWN, 'X'},
      {Present, farRight, true, WM_KEYDOWN, VK_TAB},  {Missing, left, true, WM_COMMAND, about2::btnDone},
      {Garbled, left, true, WM_KEYDOWN, VK_RETURN},   {Missing, left, true, WM_KEYDOWN, VK_ESCAPE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.picture) + " " + std::to_string(row.wParam));
    const bool present = row.picture == Present;
    SetAside picture(L"about.jpg", row.picture);
    const test::OwnerWindow owner = Owner(row.ownerLeft);
    DialogDriver driver(owner.hwnd, {[&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "About Pictavo");
      ExpectLayout(dialog, present ? AboutFormSpec() : PlainAboutFormSpec(), kDpi, row.centred);
      const PixelRect o = RectOf(owner.hwnd), box = RectOf(dialog);
      const auto tw = [](int pixels) { return PixelsToTwips(pixels, kDpi); };
      const AboutPlacement p = PlaceAboutBeside(tw(o.left), tw(o.top), tw(o.Width()), tw(o.Height()), tw(box.Width()),
                                                tw(box.Height()), tw(::GetSystemMetrics(SM_CXSCREEN)));
      EXPECT_TRUE(!present || p.centreOnScreen == row.centred);
      if (!row.centred) { EXPECT_EQ((PixelRect{box.left, box.top}), (PixelRect{Px(p.position.left), Px(p.position.top)})); }
      // The picture fills the box to its far corner; the plain box shows the program icon in its middle.
      RECT area{0, 0, Px(kIconTwips) / 2 + 3, Px(kIconTwips) / 2 + 3};
      if (present) ::GetClientRect(dialog, &area);
      WindowDc dc(present ? dialog : ::GetDlgItem(dialog, about2::Picture1));
      EXPECT_NE(::GetPixel(dc.get(), area.right - 3, area.bottom - 3), ::GetSysColor(COLOR_BTNFACE));
      if (!present) {
        EXPECT_EQ(TextOf(dialog, about2::Label5),
                  "You'd get a much better About box, if you would put ABOUT.JPG back.");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, about2::btnDone));
      }
      CloseBy(dialog, row.message, row.wParam);
    }});
    ShowAbout(owner.hwnd);
  }
}

// Catches a dialog that fails while loading closing without a word, or telling it with no owner (the owner
// would take input meanwhile).
TEST(Form, ALoadThatFailsIsToldOverTheOwner) {
  struct Failing final : Form {
    Failing() : Form(MessageFormSpec()) {}
    void Form_Load() override { throw std::runtime_error("cannot load"); }
  } failing;
  const test::OwnerWindow owner = Owner(700);
  DialogDriver driver(owner.hwnd, {test::Answer(message::kUnexpected)});
  EXPECT_EQ(failing.ShowModal(owner.hwnd), -1);
}

}  // namespace
}  // namespace pictavo
