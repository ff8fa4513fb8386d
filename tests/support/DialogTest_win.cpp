#include "tests/support/DialogTest_win.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo::test {
namespace {

DialogDriver* gCurrentDriver = nullptr;

BOOL CALLBACK VisitDialog(HWND window, LPARAM) {
  DialogDriver* d = gCurrentDriver;
  if (!::IsWindowVisible(window) || ::GetClassLongPtrW(window, GCW_ATOM) != 32770) return TRUE;  // dialogs only
  if (d->timedOut) ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (d->timedOut || window == d->owner || std::find(d->seen.begin(), d->seen.end(), window) != d->seen.end())
    return TRUE;
  d->seen.push_back(window);
  EXPECT_FALSE(d->owner != nullptr && ::IsWindowEnabled(d->owner)) << "the owner takes input meanwhile";
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (d->seen.size() <= d->steps.size()) d->steps[d->seen.size() - 1](window);
  return TRUE;
}

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
  DialogDriver* d = gCurrentDriver;
  if (d == nullptr) return;
  d->timedOut = d->timedOut || ::GetTickCount() - d->start > 15000;
  ::EnumThreadWindows(::GetCurrentThreadId(), &VisitDialog, 0);
}

}  // namespace

DialogDriver::DialogDriver(HWND owner, std::vector<Step> steps)
    : owner(owner), steps(std::move(steps)), start(::GetTickCount()),
      timer(::SetTimer(nullptr, 0, 150, &DriverTick)) {
  gCurrentDriver = this;
}

DialogDriver::~DialogDriver() {
  ::KillTimer(nullptr, timer);
  gCurrentDriver = nullptr;
  EXPECT_EQ(seen.size(), steps.size()) << "dialogs shown";
  EXPECT_FALSE(timedOut) << "the dialogs did not close in time";
  for (HWND window : seen) EXPECT_FALSE(::IsWindow(window)) << "a dialog was left behind";
  EXPECT_TRUE(!owner || (::IsWindowEnabled(owner) && ::GetActiveWindow() == owner)) << "owner disabled or inactive";
}

Step Answer(int32_t code, Step after) {
  return [code, after](HWND dialog) {
    EXPECT_EQ(TextOf(dialog, msg::lblOneLiner), MessageFor(code).headline);
    PostClick(dialog, msg::Command1);
    if (after) after(::GetWindow(dialog, GW_OWNER));
  };
}

std::string TextOf(HWND window, int id) { return Narrow(WindowText(id ? ::GetDlgItem(window, id) : window)); }

void Click(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
void PostClick(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

HWND FileNameBox(HWND dialog) {
  HWND box = ::GetDlgItem(dialog, 0x47C);  // cmb13, the file name combo box
  return box != nullptr ? box : ::GetDlgItem(dialog, 0x480);  // edt1
}

PixelRect RectOf(HWND window, HWND parent) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

void ExpectLayout(HWND dialog, const FormSpec& spec, int32_t dpi, bool centred, bool texts) {
  if (centred) ExpectCentred(dialog, dpi);
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ((PixelRect{0, 0, client.right, client.bottom}), ClientPixelRect(spec, dpi));
  for (const ControlSpec& c : spec.controls) {
    HWND control = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    PixelRect want = ControlPixelRect(spec, c, dpi);
    const PixelRect have = RectOf(control, dialog);
    if (c.kind == ControlKind::DriveList && have.bottom - want.bottom >= 0 && have.bottom - want.bottom <= 2)
      want.bottom = have.bottom;
    EXPECT_EQ(have, want) << c.id;
    if (c.kind != ControlKind::Label && c.kind != ControlKind::Button) continue;
    const FontSpec& f = c.font != nullptr ? *c.font : spec.font;
    const auto hfont = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ::GetObjectW(hfont, sizeof lf, &lf);
    EXPECT_TRUE(Narrow(lf.lfFaceName) == f.face && lf.lfHeight == -PointsToPixels(f.points, dpi) &&
                (lf.lfWeight >= FW_BOLD) == f.bold && (lf.lfItalic != 0) == f.italic) << "font of " << c.id;
    if (texts) ExpectTextFits(control, c.kind == ControlKind::Button);
  }
}

void ExpectTextFits(HWND control, bool button) {
  // The text wrapped as the control wraps it; a last line without descenders may lose the
  // empty space below its baseline, nothing else.
  const std::wstring text = WindowText(control);
  const bool descenders = text.find_first_of(L"gjpqy,;()[]{}|/@Q") != text.npos;
  const PixelRect have = RectOf(control);
  const bool noPrefix = !button && (::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX);
  WindowDc dc(control);
  SelectScope select(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT need{0, 0, have.Width() - (button ? 8 : 0), 0};
  ::DrawTextW(dc.get(), text.c_str(), -1, &need,
              DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK) | (noPrefix ? DT_NOPREFIX : 0));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  EXPECT_TRUE(need.right <= have.Width() - (button ? 8 : 0) &&
              need.bottom - (descenders ? 0 : metrics.tmDescent) <= have.Height()) << "clipped: " << Narrow(text);
}

void ExpectCentred(HWND window, int32_t dpi) {
  EXPECT_EQ(WindowDpi(window), dpi) << "the test prefix does not run at the intended DPI";
  const PixelRect r = RectOf(window);
  const auto edge = [dpi](int screen, int size) {
    return TwipsToPixels(CenteredEdge(PixelsToTwips(screen, dpi), PixelsToTwips(size, dpi)), dpi);
  };
  EXPECT_EQ(r.left, edge(::GetSystemMetrics(SM_CXSCREEN), r.Width()));
  EXPECT_EQ(r.top, edge(::GetSystemMetrics(SM_CYSCREEN), r.Height()));
}

OwnerWindow::OwnerWindow(int left, int top, int width, int height)
    : hwnd(::CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_CAPTION | WS_VISIBLE, left, top, width, height,
                             nullptr, nullptr, nullptr, nullptr)) {
  ::SetForegroundWindow(hwnd);
}

OwnerWindow::~OwnerWindow() { ::DestroyWindow(hwnd); }

}  // namespace pictavo::test
