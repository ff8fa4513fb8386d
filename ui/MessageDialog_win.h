// The numbered messages, shown modally over an owner window.
#pragma once
#include <windows.h>

#include <cstdint>

namespace pictavo {

void ShowMessage(int32_t code, HWND owner);

}  // namespace pictavo
