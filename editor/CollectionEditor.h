// The collection being created or edited: the settings dialog hands it to the editor and takes it back.
#pragma once
#include "collections/CollectionInfo.h"

namespace pictavo {

// On the way in, an empty Name means create and any other Name edit; on the way out, an empty Name
// means cancelled.
extern CollectionInfo gEditCollection;

}  // namespace pictavo
