#include "editor/CollectionEditor_win.h"

#include "editor/CollectionEditor.h"

namespace pictavo {

// Until the editor dialog exists: creating is cancelled, editing leaves the collection as it was.
void ShowCollectionEditor(HWND, const std::string&, int editedSlot) {
  if (editedSlot < 0) gEditCollection.Name.clear();
}

}  // namespace pictavo
