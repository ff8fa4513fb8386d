#include "editor/CollectionEditor.h"

#include <algorithm>

#include "collections/CollectionFile.h"
#include "ui/MessageCatalogue.h"

namespace pictavo {

CollectionInfo gEditCollection{};

namespace {

constexpr FontSpec kSansBold{"MS Sans Serif", 8.25f, true, false};
constexpr FontSpec kSignFont{"Arial", 9.75f, true, false};

constexpr uint32_t kExtendedSelection = 0x0800;  // LBS_EXTENDEDSEL
constexpr uint32_t kDisabled = 0x08000000;       // WS_DISABLED

using K = ControlKind;
using namespace collection;

// Two labels are a little wider than designed: their text fills the designed width exactly at 96 DPI and
// wraps out of sight at 144; each grows into the free space to its right.
constexpr std::array<ControlSpec, 18> kCollectionControls{{
    {Label1, K::Label, "Collection &Name:", {240, 360, 1440, 195}, 1, Frame1},
    {txtName, K::TextBox, "", {1785, 315, 3855, 285}, 2, Frame1},
    {Label2, K::Label, "Collection Co&mment:", {240, 720, 1500, 195}, 3, Frame1},
    {txtComment, K::TextBox, "", {1785, 675, 3855, 285}, 4, Frame1},
    {Label3, K::Label, "Copyright No&tice:", {240, 1080, 1455, 195}, 5, Frame1},
    {txtCopyright, K::TextBox, "", {1785, 1035, 3360, 285}, 6, Frame1},
    {btnCopyright, K::Button, "\u00A9", {5160, 1035, 495, 300}, 7, Frame1, &kSignFont},
    {Label4, K::Label, "&Images:", {240, 1560, 615, 195}, 8, Frame1},
    {lstFiles, K::ListBox, "", {240, 1800, 3975, 2205}, 9, Frame1, nullptr, TextAlign::Left, kExtendedSelection},
    {btnAdd, K::Button, "&Add Files...", {4320, 1800, 1335, 375}, 10, Frame1},
    {btnRemove, K::Button, "&Remove Files", {4320, 2280, 1335, 375}, 11, Frame1, nullptr, TextAlign::Left, kDisabled},
    {chkCopy, K::CheckBox, "Copy image files to Image &Directory", {240, 4080, 2895, 255}, 12, Frame1},
    {btnSave, K::Button, "&OK", {3480, 4680, 1215, 375}, 13},
    {btnCancel, K::Button, "&Cancel", {4815, 4680, 1215, 375}, 14},
    {Frame1, K::GroupFrame, "", {120, 0, 5895, 4575}, 15},
    {lblCopying, K::Label, "Copying files to Image Directory...", {120, 4740, 3105, 255}, 16, 0, &kSansBold},
    // Shown with the label while files are copied: how many of the pick are done. The label's row has no
    // room for a count, so the bar stands in the free part of the check box's row, under the buttons.
    {prgCopying, K::ProgressBar, "", {3240, 4110, 1575, 195}, 17, Frame1},
    // Stops the copies after the current file; shown with the bar.
    {btnStop, K::Button, "Stop", {4920, 4050, 735, 315}, 18, Frame1},
}};

const FormSpec kCollectionForm{kCreateCollectionTitle, 6135, 5130, {"MS Sans Serif", 8.25f, false, false},
                               kCollectionControls};

}  // namespace

const FormSpec& CollectionFormSpec() { return kCollectionForm; }

PickedFiles ParsePickResult(std::string_view result) {
  while (!result.empty() && result.back() == '\0') result.remove_suffix(1);
  PickedFiles picked;
  const size_t firstNul = result.find('\0');
  if (firstNul == std::string_view::npos) {
    const size_t slash = result.rfind('\\');
    if (slash == std::string_view::npos || slash + 1 == result.size()) return picked;
    picked.directory = std::string(result.substr(0, slash));
    picked.names.emplace_back(result.substr(slash + 1));
    return picked;
  }
  picked.directory = std::string(result.substr(0, firstNul));
  std::string_view rest = result.substr(firstNul + 1);
  while (!rest.empty()) {
    const size_t nul = rest.find('\0');
    const std::string_view name = rest.substr(0, nul);
    if (!name.empty()) picked.names.emplace_back(name);
    rest = nul == std::string_view::npos ? std::string_view{} : rest.substr(nul + 1);
  }
  return picked;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

ListAdd AddFileToList(std::vector<std::string>& list, std::string_view name, const LowerCaseFn& lower) {
  std::string entry = lower(name);
  for (const std::string& existing : list)
    if (lower(existing) == entry) return ListAdd::AlreadyListed;
  if (list.size() >= static_cast<size_t>(kMaxImages)) return ListAdd::Full;
  list.push_back(std::move(entry));
  return ListAdd::Added;
}

std::vector<std::string> RemoveSelected(const std::vector<std::string>& list, const std::vector<bool>& selected) {
  std::vector<std::string> kept;
  for (size_t i = 0; i < list.size(); ++i)
    if (i >= selected.size() || !selected[i]) kept.push_back(list[i]);
  return kept;
}

std::string ImageTitle(std::string_view collectionName, size_t index) {
  return std::string(collectionName) + " " + std::to_string(index + 1);
}

int32_t CheckEditorFields(const EditorFields& fields, std::span<const CollectionInfo> table, int editedSlot,
                          const SameNameFn& sameName) {
  if (fields.name.empty()) return message::kNoName;
  if (fields.files.empty()) return message::kNoImages;
  if (!IsPlainCollectionName(fields.name)) return message::kNameUnusable;
  for (size_t slot = 0; slot < table.size(); ++slot) {
    if (static_cast<int>(slot) == editedSlot) continue;
    if (sameName(table[slot].Name, fields.name)) return message::kNameTaken;
  }
  return 0;
}

void FillEditCollection(CollectionInfo& record, const EditorFields& fields, bool editMode) {
  record.Name = fields.name;
  record.InUse = true;
  record.Comment = fields.comment;
  record.Copyright = fields.copyright;
  if (!editMode) record.FileName = fields.name + std::string(kCollectionExtension);
  const size_t count = std::min(fields.files.size(), static_cast<size_t>(kMaxImages));
  record.ImageCount = static_cast<int16_t>(count);
  for (size_t i = 0; i < record.Images.size(); ++i) {
    if (i < count) {
      record.Images[i].File = fields.files[i];
      record.Images[i].Title = ImageTitle(fields.name, i);
    } else {
      record.Images[i] = ImageEntry{};
    }
  }
  if (!editMode) record.Kept = KeptLines{};
}

std::optional<std::string> ChooseCopyName(std::string_view pickedName, const ProbeFn& probe) {
  std::string name(pickedName);
  std::replace(name.begin(), name.end(), '^', '_');
  // "beach.jpg" -> "beach" and ".jpg"; a name without a dot (or only a leading one) has no extension.
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  const std::string stem = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot) : std::string();
  constexpr int kMaxTries = 10000;
  for (int n = 1; n <= kMaxTries; ++n) {
    std::string candidate = n == 1 ? name : stem + " (" + std::to_string(n) + ")" + extension;
    if (probe(candidate) != Existing::Different) return candidate;
  }
  return std::nullopt;
}

std::vector<int32_t> AddFilesOutcome::Messages() const {
  std::vector<int32_t> codes;
  if (caretsLeftOut) codes.push_back(message::kCaretInFileName);
  if (listFull) codes.push_back(message::kCollectionFull);
  if (copiesFailed) codes.push_back(message::kCopiesFailed);
  return codes;
}

AddFilesOutcome AddPickedFiles(std::vector<std::string>& list, const PickedFiles& picked,
                               std::string_view copyDirectory, bool copyTicked, AddFilesPlatform& platform) {
  AddFilesOutcome outcome;
  const bool copying = copyTicked && !copyDirectory.empty();
  const LowerCaseFn lower = [&](std::string_view name) { return platform.LowerCase(name); };
  const size_t files = picked.names.size();
  const bool reporting = copying && files > 0;
  try {
    if (reporting) platform.CopiesStarting(copyDirectory, files);
    size_t done = 0;
    for (const std::string& pickedName : picked.names) {
      if (reporting && platform.Stopped()) break;
      if (copying && done > 0) platform.Copied(done, files);
      ++done;
      const std::string source = JoinPath(picked.directory, pickedName);
      if (!copying) {
        if (pickedName.find('^') != std::string::npos) {
          outcome.caretsLeftOut = true;
          continue;
        }
        if (AddFileToList(list, pickedName, lower) == ListAdd::Full) outcome.listFull = true;
        continue;
      }
      Existing there = Existing::None;
      const std::optional<std::string> name = ChooseCopyName(pickedName, [&](std::string_view candidate) {
        there = platform.Probe(source, JoinPath(copyDirectory, candidate));
        return there;
      });
      if (!name) {
        outcome.copiesFailed = true;
        continue;
      }
      const ListAdd added = AddFileToList(list, *name, lower);
      if (added == ListAdd::Full) {
        outcome.listFull = true;  // neither listed nor copied
        continue;
      }
      if (there == Existing::None && !platform.Copy(source, JoinPath(copyDirectory, *name))) {
        if (platform.Stopped()) {
          if (added == ListAdd::Added) list.pop_back();
          continue;  // and the pick ends
        }
        outcome.copiesFailed = true;
      }
    }
  } catch (...) {
    if (reporting) platform.CopiesDone();  // the files copied so far are listed all the same
    throw;
  }
  if (reporting) {
    platform.Copied(files, files);
    platform.CopiesDone();
  }
  return outcome;
}

TextWithCaret InsertCopyrightSign(std::u16string_view text, size_t caret) {
  const size_t p = std::min(caret, text.size());
  TextWithCaret result;
  result.text.reserve(text.size() + 1);
  result.text.append(text.substr(0, p));
  result.text.push_back(kCopyrightSign);
  result.text.append(text.substr(p));
  result.caret = p + 1;
  return result;
}

}  // namespace pictavo
