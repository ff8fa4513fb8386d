#include "ui/MessageDialog_win.h"

namespace pictavo {

void ShowMessage(int32_t, HWND) {}

}  // namespace pictavo
