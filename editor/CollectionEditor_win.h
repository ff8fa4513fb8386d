// frmCollection: the collection editor, shown modally over the settings dialog.
#pragma once
#include <windows.h>

#include <string>

namespace pictavo {

class ImageFilePicker;

// Opens the editor on gEditCollection and returns when it has closed; an empty Name then means cancelled.
// copyDirectory is the settings dialog's directory box as it stands: where picked files are copied and
// where the file picker starts. editedSlot is the table slot being edited (-1 when creating), which the
// check for a name already taken leaves out. False when the editor could not be shown (it failed while
// loading, which was told): gEditCollection is then as the caller left it, and no choice was made.
bool ShowCollectionEditor(HWND owner, const std::string& copyDirectory, int editedSlot);
// The same with another file picker in place of the platform's file-open dialog.
bool ShowCollectionEditor(HWND owner, const std::string& copyDirectory, int editedSlot, ImageFilePicker& picker);

}  // namespace pictavo
