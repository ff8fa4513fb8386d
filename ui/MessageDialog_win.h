// The numbered messages, shown modally over an owner window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace pictavo {

// Shows the catalogue entry of code in the message dialog, modal over owner (which may be
// null), centred on the screen; returns when the user has closed it. A detail (UTF-8), when
// given, is shown as a paragraph of its own after the entry's body (which names are meant).
void ShowMessage(int32_t code, HWND owner, std::string_view detail = {});

}  // namespace pictavo
