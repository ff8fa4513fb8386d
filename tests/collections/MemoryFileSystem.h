// An in-memory images directory for the collection tests: files in listing order, failures to order.
#pragma once
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "collections/CollectionTable.h"

namespace pictavo::test {

class MemoryFileSystem final : public FileSystem {
 public:
  struct Entry {
    std::string path, bytes;
    bool unreadable = false;
    uint64_t version = 0;  // stands for the last-write time
  };

  // Adds or overwrites a file, as another program would.
  Entry& Add(std::string_view path, std::string_view bytes = {}) {
    ++clock;
    if (Entry* e = Find(path)) return e->bytes = bytes, e->version = clock, *e;
    return entries.emplace_back(Entry{std::string(path), std::string(bytes), false, clock});
  }
  Entry* Find(std::string_view path) {
    const auto it =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return EqualsAsciiNoCase(e.path, path); });
    return it == entries.end() ? nullptr : &*it;
  }
  std::string Bytes(std::string_view path) { return Find(path) ? Find(path)->bytes : "<missing>"; }

  // Only "<dir>\*.IC1" patterns: the names directly in <dir> ending in .IC1 in any case.
  std::vector<std::string> ListFiles(std::string_view pattern) override {
    const std::string_view dir = pattern.substr(0, pattern.rfind('\\') + 1);
    std::vector<std::string> names;
    for (const Entry& e : entries) {
      const std::string_view p = e.path, name = p.substr(p.rfind('\\') + 1);
      const bool inDir = name.size() == p.size() - dir.size() && EqualsAsciiNoCase(p.substr(0, dir.size()), dir);
      if (inDir && name.size() > 4 && EqualsAsciiNoCase(name.substr(name.size() - 4), ".IC1")) names.emplace_back(name);
    }
    return names;
  }
  std::optional<std::string> ReadWholeFile(std::string_view path, size_t maxBytes) override {
    if (!throwOnRead.empty() && EqualsAsciiNoCase(path, throwOnRead)) throw std::runtime_error("the disk is gone");
    const Entry* e = Find(path);
    return e && !e->unreadable && e->bytes.size() <= maxBytes ? std::optional(e->bytes) : std::nullopt;
  }
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override {
    writes.emplace_back(path);
    return std::find(failWrites.begin(), failWrites.end(), path) == failWrites.end() && (Add(path, bytes), true);
  }
  Removal RemoveFile(std::string_view path) override {
    if (failRemoves) return Removal::ReadOnly;
    std::erase_if(entries, [&](const Entry& e) { return EqualsAsciiNoCase(e.path, path); });
    return Removal::Removed;
  }
  std::optional<FileStamp> StampOf(std::string_view path) override {
    const Entry* e = Find(path);
    return e ? std::optional(FileStamp{e->bytes.size(), e->version}) : std::nullopt;
  }
  bool EntryExists(std::string_view path) override { return Find(path) != nullptr; }
  bool SameFileName(std::string_view a, std::string_view b) const override { return EqualsAsciiNoCase(a, b); }

  std::vector<Entry> entries;
  std::vector<std::string> failWrites;  // paths (exact case) whose writes fail
  bool failRemoves = false;             // no file can be removed: each is read-only
  std::string throwOnRead;              // a path whose read fails unexpectedly
  std::vector<std::string> writes;
  uint64_t clock = 0;
};

}  // namespace pictavo::test
