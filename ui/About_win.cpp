// frmAbout (the picture) and frmAbout2 (the plain box).
#include "ui/About_win.h"

#include <optional>
#include <string>

#include "app/Resources.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/AboutPicture_win.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

class PlainAboutForm final : public Form {
 public:
  PlainAboutForm() : Form(PlainAboutFormSpec()) {}

 private:
  void Form_Load() override {
    CenterForm(hwnd());
    LoadProgramIcon();
  }

  void LoadProgramIcon() {
    const int size = Pixels(kIconTwips);
    icon_.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PICTAVO), IMAGE_ICON, size, size, 0)));
  }

  void OnDpiChanged() override {
    LoadProgramIcon();
    ::InvalidateRect(Control(about2::Picture1), nullptr, TRUE);
  }

  void OnCommand(int id, int) override {
    if (id == about2::btnDone || id == IDOK || id == IDCANCEL) Close();
  }

  void OnDrawItem(int id, const DRAWITEMSTRUCT& item) override {
    if (id != about2::Picture1) return;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    const int size = Pixels(kIconTwips);
    if (icon_) ::DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_.get(), size, size, 0, nullptr, DI_NORMAL);
  }

  UniqueIcon icon_;
};

class AboutForm final : public Form {
 public:
  explicit AboutForm(HWND settingsDialog) : Form(AboutFormSpec()), owner_(settingsDialog) {}

 private:
  void Form_Load() override {
    const std::wstring path = Widen(OwnFilePath("about.jpg"));
    if (OrdinaryFileExists(path)) LoadPicture(path);
    bPictureMissing_ = !picture_.has_value();  // a picture that cannot be decoded counts as missing
    if (!bPictureMissing_) {
      PlaceBesideOwner();
      return;
    }
    CenterForm(hwnd());
    // The plain box stands in for the picture; while it is open the settings dialog takes no input.
    const bool ownerWasEnabled = owner_ != nullptr && ::IsWindowEnabled(owner_);
    if (ownerWasEnabled) ::EnableWindow(owner_, FALSE);
    PlainAboutForm plain;
    plain.ShowModal(hwnd());
    if (ownerWasEnabled) ::EnableWindow(owner_, TRUE);
    if (owner_ != nullptr) ::SetActiveWindow(owner_);
    // The picture box is never seen: it closes before it would first become active.
    Close();
  }

  void LoadPicture(const std::wstring& path) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    picture_ = DecodePicture(path, Dpi(), client.right, client.bottom);
  }

  void PlaceBesideOwner() {
    if (owner_ == nullptr || !::IsWindow(owner_)) {
      CenterForm(hwnd());
      return;
    }
    const int32_t dpi = Dpi();
    RECT owner{};
    ::GetWindowRect(owner_, &owner);
    const TwipsSize box = OuterSizeTwips(hwnd());
    const AboutPlacement placement =
        PlaceAboutBeside(PixelsToTwips(owner.left, dpi), PixelsToTwips(owner.top, dpi),
                         PixelsToTwips(owner.right - owner.left, dpi), PixelsToTwips(owner.bottom - owner.top, dpi),
                         box.width, box.height, PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN), dpi));
    if (placement.centreOnScreen) {
      CenterForm(hwnd());
      return;
    }
    ::SetWindowPos(hwnd(), nullptr, TwipsToPixels(placement.position.left, dpi),
                   TwipsToPixels(placement.position.top, dpi), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void OnDpiChanged() override {
    const std::wstring path = Widen(OwnFilePath("about.jpg"));
    if (!bPictureMissing_) LoadPicture(path);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  }

  void Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    int32_t width = 0;
    int32_t height = 0;
    if (picture_ && picture_->bitmap) {
      UniqueMemoryDc memory(::CreateCompatibleDC(dc));
      if (memory) {
        SelectScope select(memory.get(), picture_->bitmap.get());
        ::BitBlt(dc, 0, 0, picture_->width, picture_->height, memory.get(), 0, 0, SRCCOPY);
        width = picture_->width;
        height = picture_->height;
      }
    }
    // A smaller picture leaves the rest of the window in the window's colour.
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    const RECT right{width, 0, client.right, client.bottom};
    const RECT below{0, height, width, client.bottom};
    ::FillRect(dc, &right, face);
    ::FillRect(dc, &below, face);
  }

  void OnCommand(int id, int) override {
    if (id == IDOK || id == IDCANCEL) Close();
  }

  bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = ::BeginPaint(hwnd(), &ps);
        if (dc != nullptr) Paint(dc);
        ::EndPaint(hwnd(), &ps);
        return true;
      }
      case WM_ERASEBKGND:
        result = 1;  // WM_PAINT covers the whole window
        return true;
      case WM_ACTIVATE:
        // No control takes the focus: the window keeps it, so that every key reaches it.
        if (LOWORD(wParam) != WA_INACTIVE) ::SetFocus(hwnd());
        return false;
      case WM_GETDLGCODE:
        result = DLGC_WANTALLKEYS;  // Tab, arrows, Enter and Escape too
        return true;
      case WM_LBUTTONUP:
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        Close();
        return true;
      default:
        return false;
    }
  }

  HWND owner_;
  bool bPictureMissing_ = false;
  std::optional<DecodedPicture> picture_;
};

}  // namespace

void ShowAbout(HWND settingsDialog) {
  AboutForm form(settingsDialog);
  form.ShowModal(settingsDialog);
}

}  // namespace pictavo
