// The numbered messages, shown modally over an owner window.
#pragma once
#include <windows.h>

#include <cstdint>

namespace pictavo {

// Shows the catalogue entry of code in the message dialog, modal over owner (which may be
// null), centred on the screen; returns when the user has closed it.
void ShowMessage(int32_t code, HWND owner);

}  // namespace pictavo
