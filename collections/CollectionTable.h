// The collection table and the images directory: reading and writing collection files, the scan
// that fills the table and the rewrite of all collections. Plain C++: the file system and the ANSI
// code page are handed in (Collections_win.h binds them to Windows and to the globals).
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collections/CollectionFile.h"
#include "collections/CollectionInfo.h"

namespace pictavo {

// What tells one version of a file from another: its size and its last-write time.
struct FileStamp {
  uint64_t size = 0;
  uint64_t writeTime = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What became of a file that was to be removed.
enum class Removal { Removed, ReadOnly, InUse, Refused };

// The few file operations the collections need. Paths are UTF-8, in Windows form.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Bare names of the ordinary files (no directories, hidden or system files) matching a pattern
  // such as C:\PICTAVO\*.IC1, letter case not significant, in the order the directory lists them.
  virtual std::vector<std::string> ListFiles(std::string_view pattern) = 0;
  // The whole file; empty when it cannot be opened or read, or is larger than maxBytes.
  virtual std::optional<std::string> ReadWholeFile(std::string_view path, size_t maxBytes) = 0;
  // Writes the bytes to a temporary file in the same directory and then puts it in place of `path`;
  // a directory or a read-only file there is not replaced.
  // On failure the old file (if any) is in place and unchanged, and no temporary file remains.
  virtual bool ReplaceWholeFile(std::string_view path, std::string_view bytes) = 0;
  // A file that is not there (any more) counts as removed.
  virtual Removal RemoveFile(std::string_view path) = 0;
  // The size and last-write time of a file; empty when there is none.
  virtual std::optional<FileStamp> StampOf(std::string_view path) = 0;
  // Anything at all under that name: a file of any kind or a directory.
  virtual bool EntryExists(std::string_view path) = 0;
  // Whether two bare names in one directory name the same file (Windows ignores letter case).
  virtual bool SameFileName(std::string_view a, std::string_view b) const = 0;
};

struct CollectionIo {
  FileSystem& files;
  const CodePage& codePage;
};

// What the last scan read: its directory and the names of the files it loaded. Only these files may
// ever be replaced or removed by a rewrite, and only while they are as the scan found them.
struct CollectionScan {
  struct Seen {
    std::string fileName;
    std::optional<FileStamp> stamp;  // as it was just before the file was read (or last written)
  };
  std::string directory;
  std::vector<std::string> fileNames;
  std::vector<Seen> stamps;  // by file name; a name no longer in fileNames is no longer looked at
  std::vector<std::string> leftOver;  // old files a rewrite could not remove: the next one tries again

  // The stamp recorded for a file, when there is one.
  const std::optional<FileStamp>* StampFor(std::string_view fileName, const FileSystem& files) const;
  void Record(std::string_view fileName, std::optional<FileStamp> stamp, const FileSystem& files);
};
extern CollectionScan gCollectionScan;

// Reads imagesDir + fileName into `info` (every field but FileName filled anew). False, with `info`
// unchanged, when the file cannot be read.
bool ReadCollectionFile(const CollectionIo& io, std::string_view imagesDir, std::string_view fileName,
                        CollectionInfo& info);

enum class WriteStatus { Written, InvalidName, WriteFailed };
// Writes `info` to imagesDir\Name.IC1, replacing the file as a whole. Writes nothing when Name is not a
// plain file name.
WriteStatus WriteCollectionFile(const CollectionIo& io, std::string_view imagesDir, const CollectionInfo& info);

// Fills table slots 0.. from the first readable collection files, as many as the table has slots, in
// listing order; each slot's FileName is the name it was found under, and a file that names no
// collection gives it its own name without ".IC1". Unreadable files are skipped. Sets `count` and `scan`;
// true when at least one collection was loaded. All or nothing: when the scan fails on the way (throws),
// the table, `count` and `scan` are as they were.
bool LoadCollections(const CollectionIo& io, std::string_view imagesDir, std::span<CollectionInfo> table,
                     int16_t& count, CollectionScan& scan);

// Why a collection was not written.
enum class SaveProblem {
  InvalidName,     // Name is not usable as a file name
  SameFileAs,      // another collection (otherSlot) is written to the same file
  FileNotLoaded,   // a file of that name exists that this table did not read: it is left alone
  WouldOverwrite,  // the file still holds collection otherSlot, which could not be written
  ChangedOnDisk,   // its file was changed (or removed) by someone else since the scan: it is left alone
  NamesExchanged,  // collections exchange file names (otherSlot is one of them): save under other names first
  WriteFailed,     // the file system refused the write
};

struct SaveFailure {
  int slot = 0;
  SaveProblem problem = SaveProblem::WriteFailed;
  int otherSlot = -1;
};

struct SaveResult {
  std::vector<SaveFailure> failures;        // in table order; empty when every collection was written
  std::vector<std::pair<std::string, Removal>> notRemoved;  // old files that should have gone, and why they stay
  bool AllWritten() const { return failures.empty(); }
};

// Writes every collection of slots 0 .. count - 1 to imagesDir\Name.IC1. A collection's old file
// (its FileName, read by `scan` from this directory) is removed only after its collection was written
// under another name, and only when no collection was written to that name; one that cannot be removed
// is named in notRemoved and tried again by the next rewrite. A file that differs from
// what the scan saw is neither replaced nor removed. On success a slot's FileName becomes the name
// written and `scan` follows the files on disk.
SaveResult SaveCollections(const CollectionIo& io, std::string_view imagesDir, std::span<CollectionInfo> table,
                           int16_t count, CollectionScan& scan);

// An English sentence for one failure, for a message to the user.
std::string DescribeSaveFailure(const SaveFailure& failure, std::span<const CollectionInfo> table);

}  // namespace pictavo
