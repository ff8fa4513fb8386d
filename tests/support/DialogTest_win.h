// Helpers for tests that drive this program's dialogs inside the test process: a driver that hands each
// dialog to its step once it is up, and the check of a dialog against its twips table.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/FormLayout.h"

namespace pictavo::test {

#ifdef PICTAVO_TEST_DPI
constexpr int32_t kDpi = PICTAVO_TEST_DPI;  // each dialog test is built once for 96 and once for 144 DPI
#endif

// What a test does with one dialog once it is up.
using Step = std::function<void(HWND)>;

// For its lifetime, hands every new visible dialog of this thread to the next step (polled by a thread
// timer; a dialog that comes up while a step runs gets the step after it; the owner's own dialogs
// excepted) and expects the owner disabled meanwhile; at the end, that one dialog came per step and all
// were destroyed within 15 s, and that the owner is enabled and active again. Past the time it
// closes every visible dialog, so that a failing test ends.
struct DialogDriver {
  DialogDriver(HWND owner, std::vector<Step> steps);
  ~DialogDriver();
  HWND owner;
  std::vector<Step> steps;
  DWORD start;
  std::vector<HWND> seen;
  bool timedOut = false;
  UINT_PTR timer;
};

// A message dialog with this code's headline, closed with "&Done"; then `after` acts on its owner.
Step Answer(int32_t code, Step after = {});

// The text of a window, or of its control with this id (UTF-8).
std::string TextOf(HWND window, int id = 0);
// A button pressed as its click or access key does: handled before this returns (Click), or when the
// dialog's loop comes to it (PostClick).
void Click(HWND dialog, int id);
void PostClick(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
// The file name box of the platform's file-open dialog.
HWND FileNameBox(HWND dialog);
// A window's outer rectangle on the screen, or in the client area of `parent`.
PixelRect RectOf(HWND window, HWND parent = nullptr);

// Every control where the twips table puts it at the DPI (a drop-down list's closed box may be up to two
// pixels lower, as its font demands), in the table's font, its text not clipped; the client area of the
// designed size; when `centred`, the dialog centred. Texts are measured with `texts` only: after a DPI
// change the platform's raster fonts are still those of the DPI the session started with.
void ExpectLayout(HWND dialog, const FormSpec& spec, int32_t dpi, bool centred = true, bool texts = true);
// The text of a label or button not clipped by the control.
void ExpectTextFits(HWND control, bool button = false);
// The window where CenterForm puts it: from its outer size and the whole primary screen.
void ExpectCentred(HWND window, int32_t dpi);

// A plain top-level window to own a dialog, at (left, top) pixels with the given size.
struct OwnerWindow {
  OwnerWindow(int left, int top, int width, int height);
  ~OwnerWindow();
  HWND hwnd;
};

}  // namespace pictavo::test
