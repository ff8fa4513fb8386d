#include "collections/CollectionInfo.h"

namespace pictavo {

std::array<CollectionInfo, kCollectionSlots> gCollections{};
int16_t gCollectionCount = 0;

}  // namespace pictavo
