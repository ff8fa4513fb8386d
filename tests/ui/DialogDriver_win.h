// Drives the program's modal dialogs from inside the test thread: a WH_CALLWNDPROCRET hook
// notes every dialog once its WM_INITDIALOG has returned, and a thread timer hands each one
// to the test when it is visible and painted. A dialog still open after the time limit is
// closed, so that a failing test ends instead of hanging.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pictavo::test {

class DialogDriver {
 public:
  using Handler = std::function<void(HWND dialog)>;
  explicit DialogDriver(Handler handler, DWORD limitMs = 8000);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  int handled() const { return handled_; }
  bool timedOut() const { return timedOut_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  static void CALLBACK Limit(HWND, UINT, UINT_PTR id, DWORD);

  Handler handler_;
  HHOOK hook_ = nullptr;
  UINT_PTR limitTimer_ = 0;
  std::vector<HWND> pending_;
  int handled_ = 0;
  bool timedOut_ = false;
};

// Presses a button of a dialog the way a click does.
void Press(HWND dialog, int id);

// A window's text as UTF-8.
std::string TextOf(HWND window);

}  // namespace pictavo::test
