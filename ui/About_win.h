// The About boxes: the picture "about.jpg" beside the settings dialog, or the plain box
// when the picture is missing.
#pragma once
#include <windows.h>

namespace pictavo {

// Shows the About box modally over settingsDialog (which may be null: the box is then
// centred) and returns when it has been closed.
void ShowAbout(HWND settingsDialog);

}  // namespace pictavo
