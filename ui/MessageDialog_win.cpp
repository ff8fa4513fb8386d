// frmMsg: the message dialog.
#include "ui/MessageDialog_win.h"

#include <string>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"

namespace pictavo {
namespace {

class MessageForm final : public Form {
 public:
  MessageForm(int32_t code, std::string_view detail)
      : Form(MessageFormSpec()), entry_(MessageFor(code)), detail_(detail) {}

 private:
  void Form_Load() override {
    CenterForm(hwnd());
    SetControlText(msg::lblOneLiner, entry_.headline);
    SetControlText(msg::lblText, detail_.empty() ? std::string(entry_.body)
                                                 : std::string(entry_.body) + "\r\n\r\n" + detail_);
    // Read anew on every call; a missing or unreadable file leaves the box empty.
    iconPath_ = Widen(ProgramDirectory() + std::string(IconFileName(entry_.icon)));
    LoadIconFile();
  }

  void LoadIconFile() {
    const int size = Pixels(kIconTwips);
    icon_.reset(static_cast<HICON>(::LoadImageW(nullptr, iconPath_.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
  }

  void OnDpiChanged() override {
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
