// An in-memory directory tree for the collection tests: files in listing order, with failures to order.
#pragma once
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "collections/CollectionTable.h"

namespace pictavo::test {

class MemoryFileSystem final : public FileSystem {
 public:
  struct Entry {
    std::string path;  // separators collapsed, as Windows sees it
    std::string bytes;
    bool directory = false;
    bool hidden = false;
    bool unreadable = false;
    bool readOnly = false;  // writes and removals fail
  };

  Entry& Add(std::string_view path, std::string_view bytes = {}) {
    if (Entry* e = Find(path)) {
      e->bytes = bytes;
      return *e;
    }
    entries.push_back(Entry{Normal(path), std::string(bytes)});
    return entries.back();
  }
  Entry* Find(std::string_view path) {
    const std::string key = Normal(path);
    for (Entry& e : entries) {
      if (EqualsAsciiNoCase(e.path, key)) return &e;
    }
    return nullptr;
  }
  std::string Bytes(std::string_view path) {
    const Entry* e = Find(path);
    return e ? e->bytes : "<missing>";
  }
  bool Has(std::string_view path) { return Find(path) != nullptr; }

  std::vector<std::string> ListFiles(std::string_view pattern) override {
    patterns.emplace_back(pattern);
    const std::string p = Normal(pattern);
    const size_t slash = p.rfind('\\');
    const std::string dir = p.substr(0, slash);
    const std::string tail = p.substr(p.rfind('*') + 1);
    std::vector<std::string> names;
    for (const Entry& e : entries) {
      const size_t s = e.path.rfind('\\');
      const std::string name = e.path.substr(s + 1);
      if (e.directory || e.hidden || !EqualsAsciiNoCase(e.path.substr(0, s), dir)) continue;
      if (name.size() >= tail.size() && EqualsAsciiNoCase(name.substr(name.size() - tail.size()), tail)) {
        names.push_back(name);
      }
    }
    return names;
  }
  std::optional<std::string> ReadWholeFile(std::string_view path, size_t maxBytes) override {
    reads.emplace_back(path);
    const Entry* e = Find(path);
    if (!e || e->directory || e->unreadable || e->bytes.size() > maxBytes) return std::nullopt;
    return e->bytes;
  }
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override {
    writes.emplace_back(path);
    Entry* e = Find(path);
    if (failWrites.count(Normal(path)) || (e && (e->directory || e->readOnly))) return false;
    Add(path, bytes);
    return true;
  }
  bool RemoveFile(std::string_view path) override {
    removes.emplace_back(path);
    Entry* e = Find(path);
    if (!e || e->directory || e->readOnly) return false;
    entries.erase(entries.begin() + (e - entries.data()));
    return true;
  }
  bool EntryExists(std::string_view path) override { return Find(path) != nullptr; }
  bool SameFileName(std::string_view a, std::string_view b) const override { return EqualsAsciiNoCase(a, b); }

  static std::string Normal(std::string_view path) {
    std::string out;
    for (const char c : path) {
      if (c == '\\' && !out.empty() && out.back() == '\\') continue;
      out += c;
    }
    return out;
  }

  std::vector<Entry> entries;
  std::set<std::string> failWrites;  // normalised paths whose writes fail (exact case)
  std::vector<std::string> patterns, reads, writes, removes;
};

}  // namespace pictavo::test
