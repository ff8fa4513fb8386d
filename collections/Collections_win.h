// The collection table and the images directory on disk.
#pragma once

namespace pictavo {

// Scans gImagesDir and fills gCollections; true when at least one collection was found.
bool LoadCollections();

}  // namespace pictavo
