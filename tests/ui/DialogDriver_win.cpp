#include "tests/ui/DialogDriver_win.h"

#include "platform/Text_win.h"

namespace pictavo::test {
namespace {
DialogDriver* gDriver = nullptr;

BOOL CALLBACK CloseVisible(HWND window, LPARAM) {
  if (::IsWindowVisible(window)) ::PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}
}  // namespace

DialogDriver::DialogDriver(Handler handler, DWORD limitMs) : handler_(std::move(handler)) {
  gDriver = this;
  hook_ = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &DialogDriver::Hook, nullptr, ::GetCurrentThreadId());
  limitTimer_ = ::SetTimer(nullptr, 0, limitMs, &DialogDriver::Limit);
}

DialogDriver::~DialogDriver() {
  if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
  if (limitTimer_ != 0) ::KillTimer(nullptr, limitTimer_);
  gDriver = nullptr;
}

LRESULT CALLBACK DialogDriver::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && gDriver != nullptr) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (message->message == WM_INITDIALOG) {
      gDriver->pending_.push_back(message->hwnd);
      ::SetTimer(nullptr, 0, 150, &DialogDriver::Tick);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (gDriver == nullptr) return;
  std::vector<HWND> waiting;
  std::vector<HWND> ready;
  for (HWND dialog : gDriver->pending_) {
    if (!::IsWindow(dialog)) continue;  // closed before it was ever shown
    (::IsWindowVisible(dialog) ? ready : waiting).push_back(dialog);
  }
  gDriver->pending_ = waiting;
  if (!waiting.empty()) ::SetTimer(nullptr, 0, 100, &DialogDriver::Tick);
  for (HWND dialog : ready) {
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ++gDriver->handled_;
    gDriver->handler_(dialog);
  }
}

void CALLBACK DialogDriver::Limit(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (gDriver == nullptr) return;
  gDriver->limitTimer_ = 0;
  gDriver->timedOut_ = true;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CloseVisible, 0);
  // Dialogs opened later are closed too.
  gDriver->limitTimer_ = ::SetTimer(nullptr, 0, 500, &DialogDriver::Limit);
}

void Press(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::string TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(window, buffer, 1024);
  return Narrow(buffer);
}

}  // namespace pictavo::test
