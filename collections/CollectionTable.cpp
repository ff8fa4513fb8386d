#include "collections/CollectionTable.h"

#include <algorithm>

namespace pictavo {

std::array<CollectionInfo, kCollectionSlots> gCollections{};
int16_t gCollectionCount = 0;
CollectionScan gCollectionScan;

namespace {

std::string_view WithoutTrailingSeparators(std::string_view dir) {
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.remove_suffix(1);
  return dir;
}

}  // namespace

const std::optional<FileStamp>* CollectionScan::StampFor(std::string_view fileName, const FileSystem& files) const {
  for (const Seen& seen : stamps) {
    if (files.SameFileName(seen.fileName, fileName)) return &seen.stamp;
  }
  return nullptr;
}

void CollectionScan::Record(std::string_view fileName, std::optional<FileStamp> stamp, const FileSystem& files) {
  for (Seen& seen : stamps) {
    if (files.SameFileName(seen.fileName, fileName)) {
      seen = Seen{std::string(fileName), stamp};
      return;
    }
  }
  stamps.push_back(Seen{std::string(fileName), stamp});
}

bool ReadCollectionFile(const CollectionIo& io, std::string_view imagesDir, std::string_view fileName,
                        CollectionInfo& info) {
  const std::optional<std::string> bytes =
      io.files.ReadWholeFile(CollectionReadPath(imagesDir, fileName), kMaxCollectionFileBytes);
  if (!bytes) return false;
  DecodeCollection(*bytes, io.codePage, info);
  return true;
}

WriteStatus WriteCollectionFile(const CollectionIo& io, std::string_view imagesDir, const CollectionInfo& info) {
  if (!IsPlainCollectionName(info.Name)) return WriteStatus::InvalidName;
  return io.files.ReplaceWholeFile(CollectionWritePath(imagesDir, info.Name), EncodeCollection(info, io.codePage))
             ? WriteStatus::Written
             : WriteStatus::WriteFailed;
}

bool LoadCollections(const CollectionIo& io, std::string_view imagesDir, std::span<CollectionInfo> table,
                     int16_t& count, CollectionScan& scan) {
  // Read aside and taken only once the scan has ended: a failure on the way leaves the table, its count
  // and the scan's record as they were.
  const size_t limit = table.size();  // every slot: what the dialog can create, the next scan lists again
  CollectionScan fresh;
  fresh.directory = imagesDir;
  std::vector<CollectionInfo> read;
  for (const std::string& name : io.files.ListFiles(CollectionSearchPattern(imagesDir))) {
    if (read.size() == limit) break;
    if (name.empty()) continue;
    // Taken before the read: a change made while it reads shows as a change at the rewrite.
    std::optional<FileStamp> stamp = io.files.StampOf(CollectionReadPath(imagesDir, name));
    CollectionInfo& info = read.emplace_back();
    if (!ReadCollectionFile(io, imagesDir, name, info)) {
      read.pop_back();
      continue;
    }
    info.FileName = name;  // after the read, which leaves FileName alone
    // A file without a name is known by its file's name: listed, edited and written back in place.
    if (info.Name.empty()) {
      const size_t ext = kCollectionExtension.size();
      const bool hasExt = name.size() > ext && EqualsAsciiNoCase(std::string_view(name).substr(name.size() - ext),
                                                                  kCollectionExtension);
      info.Name = hasExt ? name.substr(0, name.size() - ext) : name;
    }
    fresh.fileNames.push_back(name);
    fresh.Record(name, stamp, io.files);
  }
  std::move(read.begin(), read.end(), table.begin());
  count = static_cast<int16_t>(read.size());
  scan = std::move(fresh);
  return count > 0;
}

SaveResult SaveCollections(const CollectionIo& io, std::string_view imagesDir, std::span<CollectionInfo> table,
                           int16_t count, CollectionScan& scan) {
  FileSystem& fs = io.files;
  const size_t n = std::clamp<size_t>(count < 0 ? 0 : static_cast<size_t>(count), 0, table.size());
  const auto same = [&](std::string_view a, std::string_view b) { return fs.SameFileName(a, b); };

  // Only files that the last scan read from this very directory belong to the table.
  if (!same(WithoutTrailingSeparators(scan.directory), WithoutTrailingSeparators(imagesDir))) {
    scan.directory = imagesDir;
    scan.fileNames.clear();
    scan.stamps.clear();
  }
  const auto loaded = [&](std::string_view name) {
    return std::any_of(scan.fileNames.begin(), scan.fileNames.end(),
                       [&](const std::string& f) { return same(f, name); });
  };

  struct Slot {
    std::string target;  // Name + ".IC1"
    std::string source;  // the file it was read from, when the table read it; else empty
    bool moves = false;  // written under another name than its source
    bool done = false;
    bool visiting = false;
    bool written = false;
    std::optional<SaveFailure> failure;
  };
  std::vector<Slot> slots(n);
  for (size_t i = 0; i < n; ++i) {
    Slot& s = slots[i];
    s.target = table[i].Name + std::string(kCollectionExtension);
    if (!table[i].FileName.empty() && loaded(table[i].FileName)) s.source = table[i].FileName;
    s.moves = !s.source.empty() && !same(s.source, s.target);
  }
  const auto fail = [&](size_t i, SaveProblem problem, int other = -1) {
    slots[i].failure = SaveFailure{static_cast<int>(i), problem, other};
    slots[i].done = true;
  };

  for (size_t i = 0; i < n; ++i) {
    if (!IsPlainCollectionName(table[i].Name)) fail(i, SaveProblem::InvalidName);
  }
  // A file that someone changed since the scan (a text editor, another copy of this dialog) holds what
  // this table does not know: neither the collection read from it nor one written over it goes ahead.
  const auto changed = [&](std::string_view name) {
    const std::optional<FileStamp>* seen = scan.StampFor(name, fs);
    return seen == nullptr || !seen->has_value() || fs.StampOf(CollectionReadPath(imagesDir, name)) != **seen;
  };
  for (size_t i = 0; i < n; ++i) {
    if (slots[i].done) continue;
    const bool sourceChanged = !slots[i].source.empty() && changed(slots[i].source);
    if (sourceChanged || (loaded(slots[i].target) && changed(slots[i].target))) fail(i, SaveProblem::ChangedOnDisk);
  }
  // Collections that end in one file: the one already stored there wins, else the first in the table.
  for (size_t i = 0; i < n; ++i) {
    if (slots[i].done) continue;
    std::optional<size_t> first, owner;
    for (size_t j = 0; j < n; ++j) {
      if (slots[j].failure || !same(slots[j].target, slots[i].target)) continue;
      if (!first) first = j;
      if (!owner && !slots[j].source.empty() && !slots[j].moves) owner = j;
    }
    const size_t winner = owner.value_or(*first);
    if (winner != i) fail(i, SaveProblem::SameFileAs, static_cast<int>(winner));
  }
  // A file that exists but was not read by the table (beyond the 65th, unreadable, hidden, new on
  // disk, a directory) is never replaced.
  for (size_t i = 0; i < n; ++i) {
    if (slots[i].done || loaded(slots[i].target)) continue;
    if (fs.EntryExists(CollectionWritePath(imagesDir, table[i].Name))) fail(i, SaveProblem::FileNotLoaded);
  }

  // A collection written over another collection's old file goes only after that one was written
  // elsewhere; when it could not be, the old file is kept.
  const auto settle = [&](auto& self, size_t i) -> bool {
    Slot& s = slots[i];
    if (s.done) return s.written;
    s.visiting = true;
    for (size_t j = 0; j < n && !s.done; ++j) {
      if (j == i || slots[j].source.empty() || !same(slots[j].source, s.target)) continue;
      if (slots[j].visiting) {
        fail(i, SaveProblem::NamesExchanged, static_cast<int>(j));
      } else if (!self(self, j)) {
        const bool exchange = slots[j].failure && slots[j].failure->problem == SaveProblem::NamesExchanged;
        fail(i, exchange ? SaveProblem::NamesExchanged : SaveProblem::WouldOverwrite, static_cast<int>(j));
      }
    }
    s.visiting = false;
    if (s.done) return false;
    s.done = true;
    s.written = WriteCollectionFile(io, imagesDir, table[i]) == WriteStatus::Written;
    if (!s.written) s.failure = SaveFailure{static_cast<int>(i), SaveProblem::WriteFailed, -1};
    return s.written;
  };
  for (size_t i = 0; i < n; ++i) settle(settle, i);

  SaveResult result;
  // Old files go only when every collection read from them now lives in another file, and nothing
  // was just written to them. One that could not be removed before is tried again while it is as the
  // scan saw it.
  std::vector<std::string> old;
  for (size_t i = 0; i < n; ++i) {
    if (slots[i].written && slots[i].moves) old.push_back(slots[i].source);
  }
  for (const std::string& left : scan.leftOver) {
    if (loaded(left) && !changed(left)) old.push_back(left);
  }
  scan.leftOver.clear();
  std::vector<std::string> tried;
  for (const std::string& file : old) {
    if (std::any_of(tried.begin(), tried.end(), [&](const std::string& t) { return same(t, file); })) continue;
    bool keep = false;
    for (size_t j = 0; j < n && !keep; ++j) {
      if (slots[j].written && same(slots[j].target, file)) keep = true;
      if (!slots[j].source.empty() && same(slots[j].source, file) && !(slots[j].written && slots[j].moves)) keep = true;
    }
    if (keep) continue;
    tried.push_back(file);
    const Removal removal = fs.RemoveFile(CollectionReadPath(imagesDir, file));
    if (removal == Removal::Removed) {
      std::erase_if(scan.fileNames, [&](const std::string& f) { return same(f, file); });
    } else {
      result.notRemoved.emplace_back(file, removal);
      scan.leftOver.push_back(file);
    }
  }

  for (size_t i = 0; i < n; ++i) {
    if (slots[i].failure) result.failures.push_back(*slots[i].failure);
    if (!slots[i].written) continue;
    table[i].FileName = slots[i].target;
    std::erase_if(scan.fileNames, [&](const std::string& f) { return same(f, slots[i].target); });
    scan.fileNames.push_back(slots[i].target);
    scan.Record(slots[i].target, fs.StampOf(CollectionReadPath(imagesDir, slots[i].target)), fs);
  }
  return result;
}

std::string DescribeSaveFailure(const SaveFailure& failure, std::span<const CollectionInfo> table) {
  const auto quoted = [&](int slot) {
    return slot >= 0 && static_cast<size_t>(slot) < table.size() ? "\"" + table[static_cast<size_t>(slot)].Name + "\""
                                                                   : std::string("another collection");
  };
  const std::string who = "The collection " + quoted(failure.slot);
  switch (failure.problem) {
    case SaveProblem::InvalidName:
      return who + " was not saved: its name cannot be used as a file name.";
    case SaveProblem::SameFileAs:
      return who + " was not saved: the collection " + quoted(failure.otherSlot) +
             " is saved in the same file. Give one of them another name.";
    case SaveProblem::FileNotLoaded:
      return who + " was not saved: a file of that name is already in the images directory.";
    case SaveProblem::WouldOverwrite:
      return who + " was not saved: its file still holds the collection " + quoted(failure.otherSlot) +
             ", which could not be saved.";
    case SaveProblem::ChangedOnDisk:
      return who + " was not saved: its file was changed or removed by another program after Pictavo read it. Cancel, "
                   "then open the settings again to see the change.";
    case SaveProblem::NamesExchanged:
      return who + " was not saved: it takes the file name of the collection " + quoted(failure.otherSlot) +
             ", which takes another one of these names. Rename one of them to a new name first.";
    case SaveProblem::WriteFailed:
      break;
  }
  return who + " could not be written to the images directory.";
}

}  // namespace pictavo
