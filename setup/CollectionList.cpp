#include "setup/CollectionList.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace pictavo {
namespace {

int UsedSlots(const TableRef& table) {
  return std::clamp<int>(table.count, 0, static_cast<int>(table.slots.size()));
}

// The current row when it names a used slot.
int CurrentSlot(const TableRef& table, const CollectionRows& rows) {
  const int r = rows.Current();
  return r >= 0 && r < UsedSlots(table) && r < rows.Count() ? r : -1;
}

std::string_view WithoutTrailingSeparators(std::string_view dir) {
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.remove_suffix(1);
  return dir;
}

}  // namespace

std::string CollectionRowText(const CollectionInfo& info) {
  return info.Copyright.empty() ? info.Name : info.Name + " - " + info.Copyright;
}

void CopyCollection(const CollectionInfo& source, CollectionInfo& destination) {
  if (&source == &destination) return;
  const auto count = static_cast<ptrdiff_t>(std::clamp<int>(source.ImageCount, 0, kMaxImages));
  // Whatever else a record carries travels with it; the images past the count are kept aside and put back.
  std::vector<ImageEntry> rest(std::make_move_iterator(destination.Images.begin() + count),
                               std::make_move_iterator(destination.Images.end()));
  destination = source;
  std::move(rest.begin(), rest.end(), destination.Images.begin() + count);
}

void BuildCollectionList(const TableRef& table, CollectionRows& rows) {
  rows.Clear();
  for (int i = 0; i < UsedSlots(table); ++i) {
    const CollectionInfo& slot = table.slots[static_cast<size_t>(i)];
    rows.Insert(rows.Count(), CollectionRowText(slot), slot.InUse);
  }
  if (rows.Count() > 0) rows.SetCurrent(0);
}

ListChange CreateCollection(const TableRef& table, CollectionRows& rows, CollectionInfo& exchange,
                            const OpenEditorFn& openEditor) {
  const int used = UsedSlots(table);
  if (used >= static_cast<int>(table.slots.size())) return ListChange::TableFull;
  // A new collection has no file yet and no lines of one.
  exchange.Name.clear();
  exchange.FileName.clear();
  exchange.Kept = {};
  if (!openEditor(-1) || exchange.Name.empty()) return ListChange::Cancelled;
  CollectionInfo& slot = table.slots[static_cast<size_t>(used)];
  CopyCollection(exchange, slot);
  table.count = static_cast<int16_t>(used + 1);
  rows.Insert(rows.Count(), CollectionRowText(slot), true);
  rows.SetCurrent(rows.Count() - 1);
  return ListChange::Done;
}

ListChange EditCollection(const TableRef& table, CollectionRows& rows, CollectionInfo& exchange,
                          const OpenEditorFn& openEditor) {
  const int r = CurrentSlot(table, rows);
  if (r < 0) return ListChange::NoRow;
  CollectionInfo& slot = table.slots[static_cast<size_t>(r)];
  CopyCollection(slot, exchange);
  if (!openEditor(r) || exchange.Name.empty()) return ListChange::Cancelled;
  CopyCollection(exchange, slot);
  rows.Remove(r);
  rows.Insert(r, CollectionRowText(slot), true);
  rows.SetCurrent(r);
  return ListChange::Done;
}

std::string DeleteQuestion(std::string_view rowText) {
  return "Are you sure you want to delete the collection '" + std::string(rowText);
}

std::string FileToDelete(const TableRef& table, int r, const CollectionFiles& where) {
  FileSystem& fs = where.files;
  const std::string& name = table.slots[static_cast<size_t>(r)].FileName;
  // A bare name, never a pattern or a path.
  if (name.empty() || name.find_first_of("*?\\/:") != std::string::npos) return {};
  if (!fs.SameFileName(WithoutTrailingSeparators(where.scan.directory), WithoutTrailingSeparators(where.imagesDir)))
    return {};
  const auto& read = where.scan.fileNames;
  if (std::none_of(read.begin(), read.end(), [&](const std::string& f) { return fs.SameFileName(f, name); }))
    return {};
  // A collection renamed here keeps its file's name; a new one given that name again must not take it.
  for (int i = 0; i < UsedSlots(table); ++i) {
    if (i != r && fs.SameFileName(table.slots[static_cast<size_t>(i)].FileName, name)) return {};
  }
  return CollectionReadPath(where.imagesDir, name);
}

ListChange DeleteCollection(const TableRef& table, CollectionRows& rows, const CollectionFiles& where,
                            const std::function<bool(const std::string& question)>& confirm) {
  const int r = CurrentSlot(table, rows);
  if (r < 0) return ListChange::NoRow;
  if (!confirm(DeleteQuestion(CollectionRowText(table.slots[static_cast<size_t>(r)])))) return ListChange::Cancelled;

  const std::string path = FileToDelete(table, r, where);
  if (!path.empty()) {
    FileSystem& fs = where.files;
    const std::string& name = table.slots[static_cast<size_t>(r)].FileName;
    // Only the file as the list was read from it: one written anew by someone else since is not ours to remove.
    if (const std::optional<FileStamp> now = fs.StampOf(path)) {
      const std::optional<FileStamp>* seen = where.scan.StampFor(name, fs);
      if (seen == nullptr || *seen != now) return ListChange::FileChanged;
    }
    if (fs.RemoveFile(path) != Removal::Removed) return ListChange::FileNotRemoved;
    std::erase_if(where.scan.fileNames, [&](const std::string& f) { return fs.SameFileName(f, name); });
  }

  rows.Remove(r);
  const int used = UsedSlots(table);
  std::move(table.slots.begin() + r + 1, table.slots.begin() + used, table.slots.begin() + r);
  table.slots[static_cast<size_t>(used - 1)] = CollectionInfo{};
  table.count = static_cast<int16_t>(used - 1);
  // The next row, or the last, is current: Edit and Delete act on it without another click.
  if (table.count > 0) rows.SetCurrent(std::min(r, table.count - 1));
  return ListChange::Done;
}

std::string NotSavedDetail(const SaveResult& result, std::span<const CollectionInfo> table) {
  constexpr size_t kShown = 5;
  std::vector<std::string> sentences;
  for (const SaveFailure& failure : result.failures) sentences.push_back(DescribeSaveFailure(failure, table));
  for (const auto& [file, why] : result.notRemoved) {
    sentences.push_back("The old file \"" + file + "\" of a renamed collection could not be removed" +
                        (why == Removal::ReadOnly ? ": it is read-only."
                         : why == Removal::InUse  ? ": another program has it open."
                                                  : "."));
  }
  std::string detail;
  for (size_t i = 0; i < sentences.size() && i < kShown; ++i) detail += (i > 0 ? "\r\n" : "") + sentences[i];
  if (sentences.size() > kShown) detail += "\r\nand " + std::to_string(sentences.size() - kShown) + " more.";
  return detail;
}

}  // namespace pictavo
