// The settings dialog's rules without Windows: the delay caption, the directory check, OK's stores, the
// collection list operations with a fake editor and question, and the directory browser's rows.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "setup/CollectionList.h"
#include "setup/DirectoryBrowser.h"
#include "setup/SetupRules.h"
#include "tests/collections/MemoryFileSystem.h"

namespace pictavo {
namespace {

// The list as rows of (text, tick) and a current row.
class FakeRows final : public CollectionRows {
 public:
  int Count() const override { return static_cast<int>(rows.size()); }
  void Clear() override { rows.clear(), current = -1; }
  void Insert(int row, std::string_view text, bool ticked) override {
    rows.insert(rows.begin() + row, {std::string(text), ticked});
  }
  void Remove(int row) override {
    rows.erase(rows.begin() + row);
    if (current >= Count()) current = -1;  // as a list control loses its focused row
  }
  bool Ticked(int row) const override { return rows[static_cast<size_t>(row)].second; }
  int Current() const override { return current; }
  void SetCurrent(int row) override { current = row; }

  std::vector<std::pair<std::string, bool>> rows;
  int current = -1;
};

CollectionInfo Named(std::string name, std::string copyright = {}, bool inUse = false) {
  CollectionInfo c;
  c.Name = std::move(name);
  c.Copyright = std::move(copyright);
  c.FileName = c.Name + ".IC1";
  c.InUse = inUse;
  return c;
}

struct Dialog {
  std::vector<CollectionInfo> slots = std::vector<CollectionInfo>(kCollectionSlots);  // too big for the stack
  int16_t count = 0;
  FakeRows rows;
  CollectionInfo exchange;
  TableRef Table() { return {slots, count}; }
  void Load(std::initializer_list<CollectionInfo> collections) {
    for (const CollectionInfo& c : collections) slots[static_cast<size_t>(count++)] = c;
    BuildCollectionList(Table(), rows);
  }
  std::vector<std::string> SlotNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(slots[static_cast<size_t>(i)].Name);
    return names;
  }
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> texts;
    for (const auto& row : rows.rows) texts.push_back(row.first);
    return texts;
  }
};

// Catches a wrong boundary between the three forms (59/60, 1/2), a wrong div/mod, or "0 sec" left out.
TEST(DelayCaption, GivesTheLabelForEachSliderValue) {
  const std::map<int16_t, std::string> rows{{1, "1 second"},        {2, "2 seconds"},      {10, "10 seconds"},
                                            {59, "59 seconds"},     {60, "1 min 0 sec"},   {61, "1 min 1 sec"},
                                            {90, "1 min 30 sec"},   {600, "10 min 0 sec"}};
  for (const auto& [seconds, caption] : rows) EXPECT_EQ(DelayCaption(seconds), caption) << seconds;
}

// Catches the copyright shown without its separator or when empty, the comment shown, and the
// question's text not ending right after the row text.
TEST(CollectionList, RowTextAndDeleteQuestion) {
  CollectionInfo trips = Named("Trips");
  trips.Comment = "a comment";
  EXPECT_EQ(CollectionRowText(trips), "Trips");
  trips.Copyright = "own photos";
  EXPECT_EQ(CollectionRowText(trips), "Trips - own photos");
  EXPECT_EQ(DeleteQuestion(CollectionRowText(trips)), "Are you sure you want to delete the collection 'Trips - own photos");
}

// Catches a created collection not appended ticked at the end, a cancelled editor changing the table
// or the list, and a new collection inheriting the file or kept lines of the one edited before.
TEST(CollectionList, CreateAppendsATickedRowAndCancelChangesNothing) {
  Dialog d;
  d.Load({Named("A"), Named("B")});
  d.exchange = Named("Old");
  d.exchange.Kept.info = "note\r\n";
  int opened = -2;
  EXPECT_EQ(CreateCollection(d.Table(), d.rows, d.exchange, [&](int slot) { opened = slot; }), ListChange::Cancelled);
  EXPECT_EQ(opened, -1);
  EXPECT_EQ(d.SlotNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(d.rows.Count(), 2);

  const auto editor = [&](int) { d.exchange.Name = "New", d.exchange.Copyright = "me", d.exchange.ImageCount = 1; };
  EXPECT_EQ(CreateCollection(d.Table(), d.rows, d.exchange, editor), ListChange::Done);
  EXPECT_EQ(d.SlotNames(), (std::vector<std::string>{"A", "B", "New"}));
  EXPECT_EQ(d.rows.rows.back(), (std::pair<std::string, bool>{"New - me", true}));
  EXPECT_EQ(d.rows.Current(), 2);
  EXPECT_TRUE(d.slots[2].FileName.empty());
  EXPECT_TRUE(d.slots[2].Kept.empty());
}

// Catches the 66th collection written past the table's end, and the editor opened for nothing.
TEST(CollectionList, CreateRefusesWhenTheTableIsFull) {
  Dialog d;
  for (int i = 0; i < kCollectionSlots; ++i) d.slots[static_cast<size_t>(i)] = Named("C" + std::to_string(i));
  d.count = kCollectionSlots;
  bool opened = false;
  EXPECT_EQ(CreateCollection(d.Table(), d.rows, d.exchange, [&](int) { opened = true; }), ListChange::TableFull);
  EXPECT_FALSE(opened);
  EXPECT_EQ(d.count, kCollectionSlots);
}

// Catches an edited row moved to the end or left with its old text, the slot's kept lines or images
// past the count lost on the way through the editor, a cancelled edit changing the slot, and Edit
// acting when no row is current.
TEST(CollectionList, EditKeepsTheRowsPlaceAndCancelKeepsTheSlot) {
  Dialog d;
  d.Load({Named("A"), Named("B"), Named("C"), Named("D"), Named("E")});
  d.slots[2].Kept.info = "note\r\n";
  d.slots[2].Images[0].File = "a.jpg", d.slots[2].ImageCount = 1;
  d.rows.SetCurrent(2);
  int opened = -2;
  EXPECT_EQ(EditCollection(d.Table(), d.rows, d.exchange,
                           [&](int slot) { opened = slot, d.exchange.Comment = "changed", d.exchange.Name.clear(); }),
            ListChange::Cancelled);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(d.slots[2].Comment, "");

  d.exchange.Images[1].File = "stale.jpg";
  EXPECT_EQ(EditCollection(d.Table(), d.rows, d.exchange,
                           [&](int) {
                             EXPECT_EQ(d.exchange.Name, "C");
                             EXPECT_EQ(d.exchange.Images[0].File, "a.jpg");
                             EXPECT_EQ(d.exchange.Images[1].File, "stale.jpg");
                             EXPECT_EQ(d.exchange.Kept.info, "note\r\n");
                             d.exchange.Name = "Renamed", d.exchange.Copyright = "me";
                           }),
            ListChange::Done);
  EXPECT_EQ(d.RowTexts(), (std::vector<std::string>{"A", "B", "Renamed - me", "D", "E"}));
  EXPECT_TRUE(d.rows.rows[2].second);
  EXPECT_EQ(d.rows.Current(), 2);
  EXPECT_EQ(d.slots[2].FileName, "C.IC1");  // the file it was read from, for a later delete or save
  EXPECT_EQ(d.slots[2].Kept.info, "note\r\n");

  d.rows.SetCurrent(-1);
  EXPECT_EQ(EditCollection(d.Table(), d.rows, d.exchange, [](int) { ADD_FAILURE() << "editor opened"; }),
            ListChange::NoRow);
}

struct DeleteSetup {
  Dialog d;
  test::MemoryFileSystem fs;
  CollectionScan scan{"C:\\P", {}, {}};
  CollectionFiles Where() { return {fs, "C:\\P", scan}; }
  DeleteSetup() {
    for (const char* name : {"A.IC1", "B.IC1", "C.IC1", "B.IC1.bak"}) fs.Add(std::string("C:\\P\\") + name, name);
    scan.fileNames = {"A.IC1", "B.IC1", "C.IC1"};
    d.Load({Named("A"), Named("B"), Named("C")});
  }
};

// Catches the row and the slot getting out of step after a delete, the file left on disk (it would come
// back at the next scan), the scan still listing it (a later save would treat it as its own), and No
// deleting anyway.
TEST(CollectionList, DeleteOfTheSecondOfThreeRemovesItsFileRowAndSlot) {
  DeleteSetup s;
  s.d.rows.SetCurrent(1);
  std::string asked;
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d.rows, s.Where(), [&](const std::string& q) { return asked = q, false; }),
            ListChange::Cancelled);
  EXPECT_EQ(asked, "Are you sure you want to delete the collection 'B");
  EXPECT_EQ(s.d.count, 3);
  EXPECT_TRUE(s.fs.Find("C:\\P\\B.IC1"));

  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d.rows, s.Where(), [](const std::string&) { return true; }),
            ListChange::Done);
  EXPECT_EQ(s.d.SlotNames(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(s.d.RowTexts(), (std::vector<std::string>{"A", "C"}));
  EXPECT_FALSE(s.fs.Find("C:\\P\\B.IC1"));
  EXPECT_TRUE(s.fs.Find("C:\\P\\B.IC1.bak"));
  EXPECT_EQ(s.scan.fileNames, (std::vector<std::string>{"A.IC1", "C.IC1"}));
  EXPECT_EQ(s.d.slots[2].Name, "");  // the freed slot holds nothing of the last collection
}

// Catches a delete that removes a file the collection was not read from: a pattern, a path, a file the
// scan never read, one in another directory, or the file of a collection that still names it.
TEST(CollectionList, DeleteRemovesOnlyTheFileTheScanReadForThatCollection) {
  const struct {
    const char* what;
    std::string fileName;
    std::string scanDir;
    const char* otherSlotFile;  // FileName of slot 0
    bool removesB;
  } rows[] = {
      {"its own file", "B.IC1", "C:\\P", "A.IC1", true},
      {"case differs, trailing separator", "b.ic1", "c:\\p\\", "A.IC1", true},
      {"created here, not saved", "", "C:\\P", "A.IC1", false},
      {"a pattern", "B*", "C:\\P", "A.IC1", false},
      {"a pattern that is also a name read", "?.IC1", "C:\\P", "A.IC1", false},
      {"a path", "..\\P\\B.IC1", "C:\\P", "A.IC1", false},
      {"scanned in another directory", "B.IC1", "C:\\Q", "A.IC1", false},
      {"another collection still names it", "B.IC1", "C:\\P", "B.IC1", false},
  };
  for (const auto& row : rows) {
    DeleteSetup s;
    s.scan.directory = row.scanDir;
    s.scan.fileNames.push_back("?.IC1");
    s.d.slots[0].FileName = row.otherSlotFile;
    s.d.slots[1].FileName = row.fileName;
    s.d.rows.SetCurrent(1);
    EXPECT_EQ(DeleteCollection(s.d.Table(), s.d.rows, s.Where(), [](const std::string&) { return true; }),
              ListChange::Done)
        << row.what;
    EXPECT_EQ(!s.fs.Find("C:\\P\\B.IC1"), row.removesB) << row.what;
    EXPECT_EQ(s.fs.entries.size(), row.removesB ? 3u : 4u) << row.what;
    EXPECT_EQ(s.d.SlotNames(), (std::vector<std::string>{"A", "C"})) << row.what;
  }
}

// Catches a collection dropped from the list although its file stayed (it would come back), and Delete
// acting when no row is current or the list is empty.
TEST(CollectionList, DeleteKeepsTheCollectionWhenItsFileStaysAndNeedsACurrentRow) {
  // The files of `fs`, none of which can be removed.
  struct StubbornFs final : FileSystem {
    explicit StubbornFs(FileSystem& fs) : fs(fs) {}
    std::vector<std::string> ListFiles(std::string_view p) override { return fs.ListFiles(p); }
    std::optional<std::string> ReadWholeFile(std::string_view p, size_t n) override { return fs.ReadWholeFile(p, n); }
    bool ReplaceWholeFile(std::string_view p, std::string_view b) override { return fs.ReplaceWholeFile(p, b); }
    bool RemoveFile(std::string_view) override { return false; }
    std::optional<FileStamp> StampOf(std::string_view p) override { return fs.StampOf(p); }
    bool EntryExists(std::string_view p) override { return fs.EntryExists(p); }
    bool SameFileName(std::string_view a, std::string_view b) const override { return fs.SameFileName(a, b); }
    FileSystem& fs;
  };
  DeleteSetup s;
  StubbornFs stubborn(s.fs);
  s.d.rows.SetCurrent(1);
  const CollectionFiles where{stubborn, "C:\\P", s.scan};
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d.rows, where, [](const std::string&) { return true; }),
            ListChange::FileNotRemoved);
  EXPECT_EQ(s.d.count, 3);
  EXPECT_EQ(s.d.rows.Count(), 3);

  s.d.rows.SetCurrent(-1);
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d.rows, s.Where(), [](const std::string&) {
    ADD_FAILURE() << "asked";
    return true;
  }), ListChange::NoRow);
  Dialog empty;
  empty.rows.SetCurrent(0);
  EXPECT_EQ(DeleteCollection(empty.Table(), empty.rows, s.Where(), [](const std::string&) { return true; }),
            ListChange::NoRow);
}

// Catches a trailing separator kept, a case-only change rescanning, and a file, a pattern or an empty
// text taken for a directory.
TEST(DirectoryCheck, DecidesFromTheTextAndTheDirectoriesThatExist) {
  const auto isDirectory = [](std::string_view p) { return p == "C:\\PICS" || p == "C:" || p == "C:\\P*"; };
  const struct {
    const char* text;
    const char* before;
    DirectoryCheck::Result result;
    const char* after;
  } rows[] = {
      {"c:\\pics", "C:\\PICS", DirectoryCheck::Unchanged, "c:\\pics"},
      {"C:\\PICS\\", "C:\\OTHER", DirectoryCheck::Found, "C:\\PICS"},
      {"C:\\PICS", "C:\\PICS\\", DirectoryCheck::Found, "C:\\PICS"},
      {"C:\\", "", DirectoryCheck::Found, "C:"},  // also a root loses its separator: paths append one
      {"C:\\NONE", "C:\\PICS", DirectoryCheck::NotFound, "C:\\NONE"},
      {"C:\\P*", "C:\\PICS", DirectoryCheck::NotFound, "C:\\P*"},
      {"", "C:\\PICS", DirectoryCheck::NotFound, ""},
  };
  for (const auto& row : rows) {
    const DirectoryCheck check = CheckDirectory(row.text, row.before, AsciiUpper, isDirectory);
    EXPECT_EQ(check.result, row.result) << row.text;
    EXPECT_EQ(check.text, row.after) << row.text;
  }
}

// Catches ticks not reaching InUse slot by slot, an empty box not falling back to C:\PICTAVO (or being
// created), and the typed case of the directory lost.
TEST(SetupChoices, OkStoresTheControlsIntoSettingsAndTable) {
  Dialog d;
  d.Load({Named("A", "", true), Named("B", "", false)});
  Settings settings;
  SetupChoices choices{90, true, true, {false, true}, "d:\\Pics"};
  EXPECT_TRUE(StoreSetupChoices(choices, settings, d.Table()));
  EXPECT_EQ(settings.delaySeconds, 90);
  EXPECT_TRUE(settings.random);
  EXPECT_TRUE(settings.useAll);
  EXPECT_EQ(settings.imagesDir, "d:\\Pics");
  EXPECT_FALSE(d.slots[0].InUse);
  EXPECT_TRUE(d.slots[1].InUse);

  choices.dirText.clear();
  EXPECT_FALSE(StoreSetupChoices(choices, settings, d.Table()));
  EXPECT_EQ(settings.imagesDir, "C:\\PICTAVO");
}

// Catches the detail listing every failure (the dialog would grow off the screen) or miscounting the rest.
TEST(SetupChoices, NotSavedDetailNamesFiveFailuresAndCountsTheRest) {
  std::vector<CollectionInfo> table(kCollectionSlots);
  SaveResult result;
  for (int i = 0; i < 7; ++i) {
    table[static_cast<size_t>(i)] = Named("N" + std::to_string(i));
    result.failures.push_back({i, SaveProblem::WriteFailed, -1});
  }
  const std::string detail = NotSavedDetail(result, table);
  EXPECT_EQ(std::count(detail.begin(), detail.end(), '\n'), 5);
  EXPECT_NE(detail.find("N4"), std::string::npos);
  EXPECT_EQ(detail.find("N5"), std::string::npos);
  EXPECT_TRUE(detail.ends_with("\r\nand 2 more.")) << detail;
}

// A machine with C: (C:\PICS holds Slides and Art; C:\LOCKED cannot be read) and an unreadable D:.
class FakeDirectories final : public DirectorySource {
 public:
  std::optional<std::vector<std::string>> Subdirectories(std::string_view dir) override {
    if (dir == "C:\\") return std::vector<std::string>{"PICS", "LOCKED", "Work"};
    if (dir == "C:\\PICS") return std::vector<std::string>{"Slides", "art"};
    if (dir == "C:\\PICS\\Slides" || dir == "C:\\Work") return std::vector<std::string>{};
    return std::nullopt;
  }
  std::string CurrentDirectoryOf(char drive) override { return drive == 'C' ? "C:\\Work" : "D:\\"; }
  std::string CurrentDirectory() override { return "C:\\Work"; }
};

// Catches parents missing above the open directory, subdirectories unsorted or at the wrong depth, a
// trailing separator on a subdirectory's path, and opening a row changing to the wrong path.
TEST(DirectoryBrowser, ShowsParentsAboveAndSubdirectoriesBelow) {
  FakeDirectories machine;
  DirectoryBrowser browser(machine);
  ASSERT_TRUE(browser.Open("c:/PICS\\"));
  EXPECT_EQ(browser.OpenPath(), "C:\\PICS");
  std::vector<std::tuple<std::string, std::string, int, bool>> rows;
  for (const DirectoryRow& r : browser.Rows()) rows.emplace_back(r.name, r.path, r.depth, r.onPath);
  EXPECT_EQ(rows, (std::vector<std::tuple<std::string, std::string, int, bool>>{
                      {"C:\\", "C:\\", 0, true},
                      {"PICS", "C:\\PICS", 1, true},
                      {"art", "C:\\PICS\\art", 2, false},
                      {"Slides", "C:\\PICS\\Slides", 2, false}}));
  EXPECT_EQ(browser.OpenRowIndex(), 1u);
  ASSERT_TRUE(browser.OpenRow(3));
  EXPECT_EQ(browser.OpenPath(), "C:\\PICS\\Slides");
  ASSERT_TRUE(browser.OpenRow(0));
  EXPECT_EQ(browser.OpenPath(), "C:\\");
  EXPECT_EQ(browser.Rows().size(), 4u);
}

// Catches the browser opening on nothing (unusable) for a missing directory or a path without a drive
// letter, an unreadable directory replacing the open one, and an unreadable drive being taken.
TEST(DirectoryBrowser, FallsBackToWhatCanBeRead) {
  FakeDirectories machine;
  const struct { const char* start; const char* opens; } rows[] = {
      {"C:\\PICS\\Gone\\Deeper", "C:\\PICS"},
      {"C:\\LOCKED", "C:\\"},
      {"PICTAVO", "C:\\Work"},
      {"", "C:\\Work"},
      {"D:\\PICTAVO", "C:\\Work"},
  };
  for (const auto& row : rows) {
    DirectoryBrowser browser(machine);
    EXPECT_TRUE(browser.OpenNearest(row.start)) << row.start;
    EXPECT_EQ(browser.OpenPath(), row.opens) << row.start;
  }
  DirectoryBrowser browser(machine);
  ASSERT_TRUE(browser.Open("C:\\PICS"));
  EXPECT_FALSE(browser.Open("C:\\LOCKED"));
  EXPECT_FALSE(browser.SelectDrive('D'));
  EXPECT_EQ(browser.OpenPath(), "C:\\PICS");
  EXPECT_EQ(browser.Drive(), 'C');
  EXPECT_TRUE(browser.SelectDrive('C'));
  EXPECT_EQ(browser.OpenPath(), "C:\\Work");
}

}  // namespace
}  // namespace pictavo
