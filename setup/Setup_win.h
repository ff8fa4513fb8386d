// frmSetup: the settings dialog, which "/C" opens.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace pictavo {

// What the dialog opens above itself, where a test wants another one.
struct SetupHooks {
  // The collection editor on gEditCollection (ShowCollectionEditor when empty); dirText is the
  // directory box as it stands, editedSlot -1 when creating.
  std::function<void(HWND owner, const std::string& dirText, int editedSlot)> openEditor;
};

// Shows the settings dialog modally over owner (which may be null) and returns when it has closed.
void ShowSetup(HWND owner, SetupHooks hooks = {});

}  // namespace pictavo
