// The settings dialog's collection list: one row per used table slot, in slot order, whose tick is the
// slot's use flag; and what Create, Edit and Delete do to the table and the rows together. Plain C++:
// the rows, the editor, the question and the file system are handed in.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "collections/CollectionInfo.h"
#include "collections/CollectionTable.h"

namespace pictavo {

// The row of a slot: its Name, with " - " and its Copyright when that is not empty.
std::string CollectionRowText(const CollectionInfo& info);

// Copies every field of source into destination; of the images only the first ImageCount, so that the
// entries from ImageCount on stay as they were.
void CopyCollection(const CollectionInfo& source, CollectionInfo& destination);

// The list as the dialog shows it.
class CollectionRows {
 public:
  virtual ~CollectionRows() = default;
  virtual int Count() const = 0;
  virtual void Clear() = 0;
  virtual void Insert(int row, std::string_view text, bool ticked) = 0;
  virtual void Remove(int row) = 0;
  virtual bool Ticked(int row) const = 0;
  // The current row, the one Edit and Delete act on; -1 when there is none.
  virtual int Current() const = 0;
  virtual void SetCurrent(int row) = 0;
};

// The table the dialog works on: slots 0 .. count - 1 are in use.
struct TableRef {
  std::span<CollectionInfo> slots;
  int16_t& count;
};

// Fills the rows from the table, each ticked as its slot's InUse; row 0 becomes the current row.
void BuildCollectionList(const TableRef& table, CollectionRows& rows);

// Opens the collection editor on the exchange record; editedSlot is -1 when creating. False when the
// editor could not be shown (it failed while loading): then nothing changes, as if it was cancelled.
using OpenEditorFn = std::function<bool(int editedSlot)>;

enum class ListChange {
  Done,
  Cancelled,       // the editor was cancelled or the question answered No: nothing changed
  NoRow,           // no current row: nothing to edit or delete
  TableFull,       // every slot is used: the editor was not opened
  FileNotRemoved,  // the collection's file could not be deleted: the collection stays
  FileChanged,     // the collection's file was changed since it was read: it and the collection stay
};

// Create: the editor in create mode; its collection appended as a ticked last row, made current.
ListChange CreateCollection(const TableRef& table, CollectionRows& rows, CollectionInfo& exchange,
                            const OpenEditorFn& openEditor);
// Edit: the current row's collection through the editor and back into its slot; the row keeps its
// place, shows the new text, is ticked and stays current.
ListChange EditCollection(const TableRef& table, CollectionRows& rows, CollectionInfo& exchange,
                          const OpenEditorFn& openEditor);

// The deletion question for a row's text.
std::string DeleteQuestion(std::string_view rowText);

// Where the collection files are: the images directory and what the last scan read there.
struct CollectionFiles {
  FileSystem& files;
  std::string imagesDir;  // a copy: the question's message loop may see the images directory change
  CollectionScan& scan;
};

// The file that deleting slot r removes: imagesDir\FileName, only when the last scan read that very file
// from this directory and no other slot still names it; empty when there is none to remove.
std::string FileToDelete(const TableRef& table, int r, const CollectionFiles& where);

// Delete: asks (confirm gets the question, answers Yes with true), removes the collection's file at once
// (see FileToDelete) while it is as the scan found it, and the row and the slot, the slots above moving
// down one place; the row that takes its place (or the last) becomes current.
ListChange DeleteCollection(const TableRef& table, CollectionRows& rows, const CollectionFiles& where,
                            const std::function<bool(const std::string& question)>& confirm);

// For the message after a save that failed: one sentence per collection not saved and per old file not
// removed, one per line, the first five, then how many more.
std::string NotSavedDetail(const SaveResult& result, std::span<const CollectionInfo> table);

}  // namespace pictavo
