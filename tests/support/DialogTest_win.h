// Helpers for tests that drive this program's dialogs inside the test process: a driver that acts on
// the dialog once it is up, and checks of a dialog against its twips table.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/FormLayout.h"

namespace pictavo::test {

// For its lifetime, hands every new visible dialog of this thread to the handler once (polled by a
// thread timer; dialogs stacked over each other arrive one by one, the owner's own dialogs excepted)
// and expects the owner disabled meanwhile; at the end, that exactly `expected` dialogs came and were
// destroyed within the time, and that the owner is enabled and active again. Past the time it closes
// every visible dialog, so that a failing test ends.
struct DialogDriver {
  DialogDriver(HWND owner, std::function<void(HWND)> handler, int expected = 1, DWORD timeoutMs = 8000);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  HWND owner;
  std::function<void(HWND)> handler;
  int expected;
  DWORD timeoutMs;
  std::vector<HWND> seen;
  bool timedOut = false;
  DWORD start;
  UINT_PTR timer;
};

// The text of a window, or of its control with this id (UTF-8).
std::string TextOf(HWND window, int id = 0);
// The rows of a list box (UTF-8).
std::vector<std::string> ListBoxTexts(HWND list);
// A button pressed as its click or access key does: handled before this returns (Click), or when the
// dialog's loop comes to it (PostClick); Press clicks a button of another process.
void Click(HWND dialog, int id);
void PostClick(HWND dialog, int id);
void Press(HWND button);
bool Enabled(HWND dialog, int id);
// The file name box of the platform's file-open dialog.
HWND FileNameBox(HWND dialog);
// A window's outer rectangle on the screen, or in the client area of `parent`.
PixelRect RectOf(HWND window, HWND parent = nullptr);

// Every control where the twips table puts it at the DPI, in the table's font, its text not clipped;
// the client area of the designed size.
void ExpectLayout(HWND dialog, const FormSpec& spec, int32_t dpi);
// The window where CenterForm puts it: from its outer size and the whole primary screen.
void ExpectCentred(HWND window, int32_t dpi);

// A plain top-level window to own a dialog, at (left, top) pixels with the given size.
struct OwnerWindow {
  OwnerWindow(int left, int top, int width, int height);
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND hwnd;
};

}  // namespace pictavo::test
