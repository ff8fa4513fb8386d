#include "editor/CollectionEditor.h"

namespace pictavo {

CollectionInfo gEditCollection{};

}  // namespace pictavo
