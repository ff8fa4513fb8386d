// The editor's rules: the file-open dialog's result, the list, OK, the copies and the copyright button.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "collections/CollectionFile.h"
#include "editor/CollectionEditor.h"

namespace pictavo {
namespace {

using Names = std::vector<std::string>;

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Catches a lost or doubled name, the directory taken as a name, trailing NULs read as an empty name,
// a name split at a blank, and a result without "\" adding a file.
TEST(ParsePickResult, OneFileAListAndNothing) {
  using namespace std::string_literals;
  const struct { std::string result, directory; Names names; } rows[] = {
      {"C:\\Photos\\Beach.JPG", "C:\\Photos", {"Beach.JPG"}},
      {"C:\\Photos\\Beach.JPG\0"s, "C:\\Photos", {"Beach.JPG"}},
      {"C:\\My Photos\0a b.jpg\0c.JPG\0d.bmp\0\0"s, "C:\\My Photos", {"a b.jpg", "c.JPG", "d.bmp"}},
      {"C:\\\0x.jpg\0y.jpg"s, "C:\\", {"x.jpg", "y.jpg"}},
      {"beach.jpg", "", {}},
      {"", "", {}},
  };
  for (const auto& row : rows) {
    const PickedFiles picked = ParsePickResult(row.result);
    EXPECT_EQ(std::pair(row.names.empty() ? "" : picked.directory, picked.names), std::pair(row.directory, row.names));
  }
}

// Catches Remove skipping the entry that moves up after a removal, or reordering the rest.
TEST(RemoveSelected, KeepsTheUnselectedInOrder) {
  EXPECT_EQ(RemoveSelected({"a", "b", "c", "d", "e"}, {true, true, false, true}), (Names{"c", "e"}));
}

// Catches -101 shown before -100, a name of blanks or one that is no file name accepted, a clash in
// another letter case missed, the edited collection clashing with itself, and unused slots counted.
TEST(CheckEditorFields, MessagesInOrder) {
  std::vector<CollectionInfo> table(3);
  table[0].Name = "Holiday", table[1].Name = "Rocks", table[2].Name = "Unused";  // slot 2 beyond the count
  const Names one{"a.jpg"};
  const struct { std::string name; Names files; int edited; int32_t code; } rows[] = {
      {"", {}, -1, -100},      {"New", {}, -1, -101},      {"   ", one, -1, -106},    {"a\\b", one, -1, -106},
      {"x ", one, -1, -106},   {"HOLIDAY", one, -1, -107}, {"rocks", one, 0, -107},  {"Holiday", one, 0, 0},
      {"Unused", one, -1, 0},  {"Rock^Roll", one, -1, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CheckEditorFields({row.name, "", "", row.files}, std::span(table).first(2), row.edited, EqualsAsciiNoCase), row.code)
        << row.name;
  }
}

// Catches titles numbered from 0 or made from the old name, InUse left false, FileName renamed in edit
// mode (the rewrite would leave the old file behind) or not Name + ".IC1" when creating, stale images
// or kept lines left in the record.
TEST(FillEditCollection, FillsTheRecord) {
  CollectionInfo record;
  record.Name = "Old", record.FileName = "old.ic1", record.ImageCount = 3;
  record.Images[2] = {"Old 3", "c.jpg"};
  record.Kept.images = "more.jpg^Old 514\r\n";
  for (bool edit : {true, false}) {
    SCOPED_TRACE(edit);
    CollectionInfo r = record;
    FillEditCollection(r, {"Holiday", "Summer", "\u00A9 1998", {"A.jpg", "b.jpg"}}, edit);
    EXPECT_EQ(r.Name + "|" + r.Comment + "|" + r.Copyright + "|" + r.FileName + "|" + std::to_string(r.ImageCount) +
                  "|" + r.Images[0].File + "^" + r.Images[0].Title + "|" + r.Images[1].File + "^" + r.Images[1].Title +
                  "|" + r.Images[2].File + "|" + (r.InUse ? "in use" : "") + (r.Kept.empty() ? "" : ", kept"),
              std::string("Holiday|Summer|\u00A9 1998|") + (edit ? "old.ic1" : "Holiday.IC1") +
                  "|2|A.jpg^Holiday 1|b.jpg^Holiday 2||in use" + (edit ? ", kept" : ""));
  }
}

// Catches a picture that is the same taken for a different one past the first number, the number put
// after the extension (or before the last dot only), a name without an extension mangled, and no end to
// the search (the AddPickedFiles cases below cover the plain and "^" names).
TEST(ChooseCopyName, FreeNameBesideDifferentPictures) {
  const struct { const char* picked; std::map<std::string, Existing> there; std::string name; } rows[] = {
      {"beach.jpg", {{"beach.jpg", Existing::Different}, {"beach (2).jpg", Existing::Different}}, "beach (3).jpg"},
      {"beach.jpg", {{"beach.jpg", Existing::Different}, {"beach (2).jpg", Existing::Same}}, "beach (2).jpg"},
      {"a.b.jpg", {{"a.b.jpg", Existing::Different}}, "a.b (2).jpg"},
      {"README", {{"README", Existing::Different}}, "README (2)"},
  };
  for (const auto& row : rows) {
    const auto probe = [&](std::string_view n) {
      const auto it = row.there.find(std::string(n));
      return it == row.there.end() ? Existing::None : it->second;
    };
    EXPECT_EQ(ChooseCopyName(row.picked, probe), row.name) << row.name;
  }
  EXPECT_EQ(ChooseCopyName("x.jpg", [](std::string_view) { return Existing::Different; }), std::nullopt);
}

// An images directory in memory, letter case ignored as Windows does; records what the editor did to it.
// The user stops the pick while it copies onto stopOn; a copy onto throwOn fails unexpectedly.
struct FakeDisk final : AddFilesPlatform {
  std::map<std::string, std::string> files;  // lower-case path -> content
  std::vector<std::string> log;
  std::string stopOn, throwOn;
  bool stopped = false;
  std::string LowerCase(std::string_view name) override { return AsciiLower(name); }
  Existing Probe(std::string_view source, std::string_view destination) override {
    const auto there = files.find(AsciiLower(destination));
    if (there == files.end()) return Existing::None;
    return there->first == AsciiLower(source) || there->second == files[AsciiLower(source)] ? Existing::Same
                                                                                            : Existing::Different;
  }
  bool Copy(std::string_view source, std::string_view destination) override {
    log.push_back("copy " + std::string(destination));
    if (destination == throwOn) throw std::runtime_error("the disk is gone");
    if (destination == stopOn) return !(stopped = true);
    return !destination.starts_with("R:") && !files.contains(AsciiLower(destination)) &&
           (files[AsciiLower(destination)] = files[AsciiLower(source)], true);
  }
  bool Stopped() override { return stopped; }
  void CopiesStarting(std::string_view, size_t) override { log.push_back("start"); }
  void Copied(size_t done, size_t files) override { log.push_back(std::to_string(done) + "/" + std::to_string(files)); }
  void CopiesDone() override { log.push_back("done"); }
};

// Catches a name listed as picked instead of in lower case, copies made with the box cleared or no
// directory, the label shown without copies or not told how far they have come, a different picture overwritten, a copy onto itself, a
// failed copy that loses its name or is told per file, a "^" name listed as it is, a name listed again
// that a stored entry has in another letter case, and files beyond the 513th added or copied; the pick
// going on after a stop, or listing the file whose copy it cut short; and a pick that fails on the way not
// ending its copies (the names copied so far would not show).
TEST(AddPickedFiles, ListsAndCopiesOnlyWhatItShould) {
  using C = std::vector<int32_t>;
  const PickedFiles fromPhotos{"C:\\Photos", {"Beach.JPG", "rock^roll.jpg", "Sea.jpg"}};
  const struct { const char* what; std::string dir; bool ticked; PickedFiles picked; Names list, log; C messages; std::string stopOn = {}, throwOn = {}; } rows[] = {
      {"copying", "C:\\Pic", true, fromPhotos, {"beach (2).jpg", "rock_roll.jpg", "sea.jpg"},
       {"start", "copy C:\\Pic\\Beach (2).JPG", "1/3", "copy C:\\Pic\\rock_roll.jpg", "2/3", "3/3", "done"}, {}},
      {"box cleared", "C:\\Pic", false, fromPhotos, {"beach.jpg", "sea.jpg"}, {}, {-112}},
      {"no directory", "", true, fromPhotos, {"beach.jpg", "sea.jpg"}, {}, {-112}},
      {"from the images directory", "C:\\Pic", true, {"C:\\Pic", {"beach.jpg"}}, {"beach.jpg"}, {"start", "1/1", "done"}, {}},
      {"read-only", "R:\\", true, {"C:\\Photos", {"Sea.jpg", "rock^roll.jpg"}}, {"sea.jpg", "rock_roll.jpg"},
       {"start", "copy R:\\Sea.jpg", "1/2", "copy R:\\rock_roll.jpg", "2/2", "done"}, {-109}},
      {"stopped while copying", "C:\\Pic", true, fromPhotos, {"beach (2).jpg"},
       {"start", "copy C:\\Pic\\Beach (2).JPG", "1/3", "copy C:\\Pic\\rock_roll.jpg", "3/3", "done"}, {},
       "C:\\Pic\\rock_roll.jpg"},
      {"failing", "C:\\Pic", true, fromPhotos, {"beach (2).jpg", "rock_roll.jpg"},
       {"start", "copy C:\\Pic\\Beach (2).JPG", "1/3", "copy C:\\Pic\\rock_roll.jpg", "done"}, {}, "",
       "C:\\Pic\\rock_roll.jpg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    FakeDisk disk;
    disk.files = {{"c:\\photos\\beach.jpg", "sand"}, {"c:\\photos\\rock^roll.jpg", "rock"},
                  {"c:\\photos\\sea.jpg", "waves"},  {"c:\\pic\\beach.jpg", "other sand"},
                  {"c:\\pic\\sea.jpg", "waves"}};
    disk.stopOn = row.stopOn, disk.throwOn = row.throwOn;
    Names list;
    AddFilesOutcome outcome;
    if (row.throwOn.empty()) {
      outcome = AddPickedFiles(list, row.picked, row.dir, row.ticked, disk);
    } else {
      EXPECT_ANY_THROW(AddPickedFiles(list, row.picked, row.dir, row.ticked, disk));
    }
    EXPECT_EQ(list, row.list);
    EXPECT_EQ(disk.log, row.log);
    EXPECT_EQ(outcome.Messages(), row.messages);
    EXPECT_EQ(disk.files["c:\\pic\\beach.jpg"], "other sand");
  }
  FakeDisk disk;
  Names full(kMaxImages - 1, "X.jpg");  // as an edited collection's entries are stored
  const AddFilesOutcome outcome = AddPickedFiles(full, {"C:\\Photos", {"a.jpg", "x.JPG", "b.jpg"}}, "C:\\Pic", true, disk);
  EXPECT_EQ(std::pair(full.size(), full.back()), std::pair(static_cast<size_t>(kMaxImages), std::string("a.jpg")));
  EXPECT_EQ(disk.log, (Names{"start", "copy C:\\Pic\\a.jpg", "1/3", "copy C:\\Pic\\x.JPG", "2/3", "3/3", "done"}));
  EXPECT_EQ(outcome.Messages(), (C{-108}));
}

// Catches the sign replacing a selection, going in after the caret, the caret left before the sign,
// and a caret past the end of the text.
TEST(InsertCopyrightSign, AtTheCaretWithTheCaretAfterIt) {
  const struct { std::u16string text; size_t caret; std::u16string after; size_t caretAfter; } rows[] = {
      {u"", 0, u"\u00A9", 1},
      {u"1998 Harbour Views", 0, u"\u00A91998 Harbour Views", 1},
      {u"ab", 7, u"ab\u00A9", 3},
  };
  for (const auto& row : rows) {
    const TextWithCaret r = InsertCopyrightSign(row.text, row.caret);
    EXPECT_EQ(std::pair(r.text, r.caret), std::pair(row.after, row.caretAfter));
  }
}

}  // namespace
}  // namespace pictavo
