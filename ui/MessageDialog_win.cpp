// frmMsg: the message dialog.
#include "ui/MessageDialog_win.h"

#include <string>
#include <vector>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

// The dialog's table, as designed or grown for a body that does not fit.
struct MessageLayout {
  MessageLayout() : controls(MessageFormSpec().controls.begin(), MessageFormSpec().controls.end()) {
    spec.controls = controls;
  }
  std::vector<ControlSpec> controls;
  FormSpec spec = MessageFormSpec();
};

class MessageForm final : private MessageLayout, public Form {
 public:
  MessageForm(int32_t code, std::string_view detail)
      : Form(MessageLayout::spec), entry_(MessageFor(code)), detail_(detail) {}

 private:
  void Form_Load() override {
    CenterForm(hwnd());
    SetControlText(msg::lblOneLiner, entry_.headline);
    SetControlText(msg::lblText, detail_.empty() ? std::string(entry_.body)
                                                 : std::string(entry_.body) + "\r\n\r\n" + detail_);
    if (FitBody()) CenterForm(hwnd());
    // Read anew on every call; a missing or unreadable file leaves the box empty.
    iconPath_ = Widen(OwnFilePath(IconFileName(entry_.icon)));
    LoadIconFile();
  }

  void LoadIconFile() {
    const int size = Pixels(kIconTwips);
    icon_.reset(static_cast<HICON>(::LoadImageW(nullptr, iconPath_.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
  }

  // A body longer than the designed label (a detail, a long entry) makes the label, the frame and the
  // dialog taller, and the button moves down with them; nothing is ever cut off. True when it grew.
  bool FitBody() {
    const FormSpec& designed = MessageFormSpec();
    spec.clientHeight = designed.clientHeight;
    for (size_t i = 0; i < controls.size(); ++i) controls[i] = designed.controls[i];
    HWND label = Control(msg::lblText);
    const std::wstring text = Widen(ControlText(msg::lblText));
    WindowDc dc(label);
    SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT client{};
    ::GetClientRect(label, &client);
    RECT need{0, 0, client.right, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    const int32_t missing = need.bottom - client.bottom;
    if (missing <= 0) {
      Relayout();
      return false;
    }
    // Whole twips per pixel at this DPI, rounded up, so that the grown label is never a pixel short.
    const int32_t extra = (missing * kTwipsPerInch + Dpi() - 1) / Dpi();
    for (ControlSpec& c : controls) {
      if (c.id == msg::lblText || c.id == msg::Frame1) c.rect.height += extra;
      if (c.id == msg::Command1) c.rect.top += extra;
    }
    spec.clientHeight += extra;
    Relayout();
    return true;
  }

  void OnDpiChanged() override {
    FitBody();
    LoadIconFile();
    ::InvalidateRect(Control(msg::Picture1), nullptr, TRUE);
  }

  void OnCommand(int id, int) override {
    // "&Done", and also Enter and Escape.
    if (id == msg::Command1 || id == IDOK || id == IDCANCEL) Close();
  }

  void OnDrawItem(int id, const DRAWITEMSTRUCT& item) override {
    if (id != msg::Picture1) return;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    const int size = Pixels(kIconTwips);
    if (icon_) ::DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_.get(), size, size, 0, nullptr, DI_NORMAL);
  }

  const MessageEntry& entry_;
  std::string detail_;
  std::wstring iconPath_;
  UniqueIcon icon_;
};

}  // namespace

void ShowMessage(int32_t code, HWND owner, std::string_view detail) {
  MessageForm form(code, detail);
  form.ShowModal(owner);
}

}  // namespace pictavo
