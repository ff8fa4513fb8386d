#include "collections/Collections_win.h"

namespace pictavo {

bool LoadCollections() { return false; }

}  // namespace pictavo
