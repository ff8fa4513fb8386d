// The dialog framework: a modal dialog built from a FormSpec. The window comes from an
// in-memory template without controls; the controls are created from the table at the
// window's DPI, so the dialog manager supplies the modal loop, Tab order and access keys.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/Owned_win.h"
#include "ui/FormLayout.h"

namespace pictavo {

class Form {
 public:
  explicit Form(const FormSpec& spec);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Shows the dialog modally over owner (which may be null) and returns when it has closed.
  // Returns the value given to Close, or -1 when the dialog could not be created or failed while loading
  // (which the generic message tells over the owner).
  INT_PTR ShowModal(HWND owner);

  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }
  int32_t Dpi() const { return dpi_; }
  const FormSpec& Spec() const { return spec_; }

  // A length in twips as pixels at this window's DPI.
  int32_t Pixels(int32_t twips) const;

 protected:
  // The load handler: the controls exist, the window has its designed size and is hidden.
  virtual void Form_Load() {}
  // A command from a control, an accelerator or the keyboard (IDOK for Enter, IDCANCEL for
  // Escape); nothing happens unless the form acts on it.
  virtual void OnCommand(int /*id*/, int /*notifyCode*/) {}
  // The window's close box or Alt+F4. Closes the dialog unless the form says otherwise.
  virtual void OnCloseBox() { Close(IDCANCEL); }
  // An owner-drawn control (PictureBox) needs painting.
  virtual void OnDrawItem(int /*id*/, const DRAWITEMSTRUCT& /*item*/) {}
  // The DPI has changed and the controls and fonts have been laid out anew.
  virtual void OnDpiChanged() {}
  // Any other message. Return true when handled; result is the message's result.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
    return false;
  }

  // Lays the controls and the window out again from the table (which a form may have changed).
  void Relayout() { ApplyLayout(); }
  // Closes and destroys the dialog; ShowModal returns result.
  void Close(INT_PTR result = 0);
  void SetControlText(int id, std::string_view utf8);
  std::string ControlText(int id) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void SetWindowIcons();
  void CreateControls();
  // Fonts and controls at dpi_; with sizeWindow, the window too takes its designed size.
  void ApplyLayout(bool sizeWindow = true);
  HFONT FontFor(const ControlSpec& control) const;

  const FormSpec& spec_;
  HWND hwnd_ = nullptr;
  int32_t dpi_ = 96;
  bool closing_ = false;
  bool loadFailed_ = false;
  // fonts_[0] is the form's font; fonts_[i + 1] belongs to spec_.controls[i] when it has one.
  std::vector<UniqueFont> fonts_;
};

// Held while a modal window of this program is open (every Form holds one; so must a platform message
// box): when the window closes on a click, the rest of a double click does not reach what lay beneath.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

// Outer size of a window in twips at its own DPI.
struct TwipsSize {
  float width = 0;
  float height = 0;
};
TwipsSize OuterSizeTwips(HWND window);

// The DPI of a window (96 when the platform cannot tell).
int32_t WindowDpi(HWND window);

// Centres a window on the primary screen from its outer size; moves it, never resizes or
// shows it. Horizontal first, then vertical, each with CenteredEdge.
void CenterForm(HWND window);

}  // namespace pictavo
