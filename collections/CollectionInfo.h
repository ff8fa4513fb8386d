// One image collection in memory, and the process-wide table of all collections.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace pictavo {

inline constexpr int kMaxImages = 513;          // images a collection holds (indexes 0..512)
inline constexpr int kCollectionSlots = 65;     // table slots (indexes 0..64)

struct ImageEntry {
  std::string Title;  // "Holiday 3": written, read and copied, never shown
  std::string File;   // file name in the images directory, without a directory
};

// Lines of a collection file that the record has no field for. They are kept with the record and written
// back unchanged, so that rewriting a file never loses a line of it. Each line is followed by CR LF.
struct KeptLines {
  std::string info;    // before the images section: lines that are neither a key, nor a header, nor blank
  std::string images;  // image lines beyond the 513th, in their order
  bool empty() const { return info.empty() && images.empty(); }
  friend bool operator==(const KeptLines&, const KeptLines&) = default;
};

struct CollectionInfo {
  std::string Name;
  std::string Comment;
  std::string Copyright;
  std::string FileName;  // name the file was found under; not stored in the file
  int16_t ImageCount = 0;
  bool InUse = false;
  std::array<ImageEntry, kMaxImages> Images{};
  KeptLines Kept;  // copied with the record; never shown
};

// The collections known to this run: slots 0 .. gCollectionCount - 1 are in use.
extern std::array<CollectionInfo, kCollectionSlots> gCollections;
extern int16_t gCollectionCount;

}  // namespace pictavo
