// The collection editor's rules: its layout, what OK makes of the controls, what Remove does to the
// list, how picked files are listed and copied, and the copyright button. Plain C++: the editor's
// window (CollectionEditor_win.h) hands in what only Windows knows (letter case, the files on disk).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collections/CollectionInfo.h"
#include "ui/FormLayout.h"

namespace pictavo {

// The collection being created or edited: the settings dialog hands it to the editor and takes it back.
// On the way in, an empty Name means create and any other Name edit; on the way out, an empty Name
// means cancelled.
extern CollectionInfo gEditCollection;

// frmCollection
namespace collection {
enum Id : int {
  Frame1 = 10, Label1, txtName, Label2, txtComment, Label3, txtCopyright, btnCopyright, Label4, lstFiles, btnAdd,
  btnRemove, chkCopy, btnSave, btnCancel, lblCopying, prgCopying, btnStop,
};
}
const FormSpec& CollectionFormSpec();

inline constexpr std::string_view kCreateCollectionTitle = "Create Image Collection";
inline constexpr std::string_view kEditCollectionTitle = "Edit Image Collection";

// The file-open dialog cd1.
inline constexpr std::string_view kAddFilesTitle = "Add Image Files";
struct PickerFilter {
  std::string_view caption;
  std::string_view patterns;
};
inline constexpr std::array<PickerFilter, 2> kAddFilesFilters{{
    {"JPEGs (*.jpg)", "*.jpg;*.jpeg;*.jfif"},  // cameras and phones also write .jpeg and .jfif
    {"Bitmaps (*.bmp)", "*.bmp"},
}};
inline constexpr std::string_view kAddFilesDefaultExtension = "jpg";

// What the file-open dialog picked.
struct PickedFiles {
  std::string directory;
  std::vector<std::string> names;  // bare names, in the order the dialog gave them
};

// The dialog's result text: empty (nothing picked); one full path; or the directory, NUL, and the names
// each followed by a NUL (the last NUL optional). A single path without any "\" picks nothing.
PickedFiles ParsePickResult(std::string_view result);

// directory + "\" + name, with no second "\" after a root such as "C:\".
std::string JoinPath(std::string_view directory, std::string_view name);

// Letter-case folding as the platform does it for file names (UTF-8 in and out).
using LowerCaseFn = std::function<std::string(std::string_view)>;

enum class ListAdd { Added, AlreadyListed, Full };
// Appends the name in lower case unless an entry equals it in lower case; a full list (513 entries, the
// most a collection holds) takes no new entry.
ListAdd AddFileToList(std::vector<std::string>& list, std::string_view name, const LowerCaseFn& lower);

// The entries that are not selected, in their order (selected[i] belongs to list[i]; missing flags
// count as not selected).
std::vector<std::string> RemoveSelected(const std::vector<std::string>& list, const std::vector<bool>& selected);

// "Holiday 3" for the image at index 2 of Holiday.
std::string ImageTitle(std::string_view collectionName, size_t index);

// The editor's controls as OK reads them.
struct EditorFields {
  std::string name;
  std::string comment;
  std::string copyright;
  std::vector<std::string> files;
};

// Whether two collection names end in the same file (Windows ignores letter case in file names).
using SameNameFn = std::function<bool(std::string_view, std::string_view)>;

// The message OK shows, or 0 when the fields can be taken: -100 no name, -101 no image, -106 a name that
// cannot be a file name, -107 a name another used slot of `table` already has (editedSlot excepted).
int32_t CheckEditorFields(const EditorFields& fields, std::span<const CollectionInfo> table, int editedSlot,
                          const SameNameFn& sameName);

// Fills the record in OK's order: Name, InUse (true), Comment, Copyright, FileName, ImageCount and the
// images with their titles. A new collection gets Name + ".IC1" and no kept lines; an edited one keeps the
// FileName it was read from, so that the rewrite replaces that file, and its kept lines.
void FillEditCollection(CollectionInfo& record, const EditorFields& fields, bool editMode);

// What lies in the images directory under a name, seen from the picked file.
enum class Existing {
  None,       // nothing: the copy goes there
  Same,       // the picked file itself, or a file with the same bytes: nothing to copy
  Different,  // another picture: it must not be replaced
};
using ProbeFn = std::function<Existing(std::string_view name)>;

// The name a picked file takes in the images directory: its own name with every "^" (which a collection
// file cannot hold in a file name) as "_", or, while a different file holds that name, "name (2).ext",
// "name (3).ext" and so on. Empty when no free name was found.
std::optional<std::string> ChooseCopyName(std::string_view pickedName, const ProbeFn& probe);

// The editor's side of adding picked files: what only the platform can do.
class AddFilesPlatform {
 public:
  virtual ~AddFilesPlatform() = default;
  virtual std::string LowerCase(std::string_view name) = 0;
  // What lies at destinationPath, compared with the file at sourcePath (Different when a stop cut the
  // comparison short).
  virtual Existing Probe(std::string_view sourcePath, std::string_view destinationPath) = 0;
  // Copies without replacing anything; false when the copy failed, or was stopped (then no part of it is left).
  virtual bool Copy(std::string_view sourcePath, std::string_view destinationPath) = 0;
  // Whether the user asked the copies to stop.
  virtual bool Stopped() = 0;
  // Around the copies of one pick: the label and the hourglass. Before the first copy the directory is
  // made when it does not exist yet (one level), so that a first collection can be made before the
  // settings dialog's OK has ever made it.
  virtual void CopiesStarting(std::string_view directory, size_t files) = 0;
  // After each picked file: how far the copies have come.
  virtual void Copied(size_t done, size_t files) = 0;
  // After the copies, also when the pick failed on the way: what has been listed shows.
  virtual void CopiesDone() = 0;
};

// What a pick left to tell the user, once each, after the batch.
struct AddFilesOutcome {
  bool caretsLeftOut = false;  // names with "^" left out, copying being off
  bool listFull = false;       // files not added: the list holds 513 entries
  bool copiesFailed = false;   // files listed whose copy failed
  std::vector<int32_t> Messages() const;
};

// Lists the picked files and, when copyTicked and copyDirectory is not empty, copies each into
// copyDirectory (name listed first, then copied), as described for ChooseCopyName. A stop ends the pick
// after the current file: a file whose comparison or copy it cut short is neither listed nor kept, and
// the files after it are left out.
AddFilesOutcome AddPickedFiles(std::vector<std::string>& list, const PickedFiles& picked,
                               std::string_view copyDirectory, bool copyTicked, AddFilesPlatform& platform);

// The copyright button: the sign inserted in front of the caret (the start of the selection; a selection
// is not replaced), the caret right after it. Positions count UTF-16 units, as the text box does.
inline constexpr char16_t kCopyrightSign = u'\u00A9';
struct TextWithCaret {
  std::u16string text;
  size_t caret = 0;
};
TextWithCaret InsertCopyrightSign(std::u16string_view text, size_t caret);

}  // namespace pictavo
