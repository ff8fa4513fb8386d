// The settings dialog's rules without Windows: the delay caption, the directory check, OK's stores, the
// collection list operations with a fake editor and question, and the directory browser's rows.
#include <gtest/gtest.h>

#include <map>

#include "setup/CollectionList.h"
#include "setup/DirectoryBrowser.h"
#include "setup/SetupRules.h"
#include "tests/collections/MemoryFileSystem.h"

namespace pictavo {
namespace {

using Names = std::vector<std::string>;
const auto kYes = [](const std::string&) { return true; };

// A table with one collection per letter of `names`, each read from LETTER.IC1, and its list as rows of
// (text, tick) with a current row.
struct Dialog final : CollectionRows {
  std::vector<CollectionInfo> slots = std::vector<CollectionInfo>(kCollectionSlots);  // too big for the stack
  int16_t count = 0;
  std::vector<std::pair<std::string, bool>> list;
  int current = -1;
  CollectionInfo exchange;
  int Count() const override { return static_cast<int>(list.size()); }
  void Clear() override { list.clear(), current = -1; }
  void Insert(int r, std::string_view text, bool ticked) override { list.insert(list.begin() + r, {std::string(text), ticked}); }
  // As a list control, it loses its current row when that row goes past the end.
  void Remove(int row) override { list.erase(list.begin() + row), current = current >= Count() ? -1 : current; }
  bool Ticked(int row) const override { return list[static_cast<size_t>(row)].second; }
  int Current() const override { return current; }
  void SetCurrent(int row) override { current = row; }
  explicit Dialog(std::string_view names = "") {
    for (char n : names) {
      CollectionInfo& c = slots[static_cast<size_t>(count++)];
      c.Name = std::string(1, n), c.FileName = c.Name + ".IC1";
    }
    BuildCollectionList(Table(), *this);
  }
  TableRef Table() { return {slots, count}; }
  // "slot names|row texts, each followed by + when ticked|current row"
  std::string State() const {
    std::string state;
    for (int i = 0; i < count; ++i) state += slots[static_cast<size_t>(i)].Name + " ";
    state += "|";
    for (const auto& [text, ticked] : list) state += text + (ticked ? "+ " : " ");
    return state + "|" + std::to_string(current);
  }
};

// Catches a wrong boundary between the three forms (59/60, 1/2), a wrong div/mod, or "0 sec" left out.
TEST(DelayCaption, GivesTheLabelForEachSliderValue) {
  const std::pair<int16_t, const char*> rows[] = {{1, "1 second"},     {2, "2 seconds"},      {59, "59 seconds"},
                                                  {60, "1 min 0 sec"}, {90, "1 min 30 sec"},  {600, "10 min 0 sec"}};
  for (const auto& [seconds, caption] : rows) EXPECT_EQ(DelayCaption(seconds), caption) << seconds;
}

// Catches a created collection not appended ticked at the end, its row without " - " and the copyright or
// with the comment, a cancelled editor changing the table or the list, a new collection inheriting the
// file or kept lines of the one edited before, and a 66th collection written past the table's end (or
// the editor opened for nothing).
TEST(CollectionList, CreateAppendsATickedRowUnlessCancelledOrFull) {
  Dialog d("AB");
  d.exchange.Name = "Old", d.exchange.FileName = "Old.IC1", d.exchange.Kept.info = "note\r\n";
  int opened = -2;
  EXPECT_EQ(CreateCollection(d.Table(), d, d.exchange, [&](int slot) { return opened = slot, true; }), ListChange::Cancelled);
  EXPECT_EQ(d.State() + " opened " + std::to_string(opened), "A B |A B |0 opened -1");
  const auto editor = [&](int) { return d.exchange.Name = "New", d.exchange.Copyright = "me", d.exchange.Comment = "c", true; };
  EXPECT_EQ(CreateCollection(d.Table(), d, d.exchange, editor), ListChange::Done);
  EXPECT_EQ(d.State() + d.slots[2].FileName + d.slots[2].Kept.info, "A B New |A B New - me+ |2");
  d.count = kCollectionSlots;
  EXPECT_EQ(CreateCollection(d.Table(), d, d.exchange, [](int) { return ADD_FAILURE() << "editor opened", true; }),
            ListChange::TableFull);
  EXPECT_EQ(d.count, kCollectionSlots);
}

// Catches an edited row moved to the end or left with its old text, the slot's kept lines or images
// past the count lost on the way through the editor, a cancelled edit, or an editor that failed while
// loading, changing the slot or ticking its row, and Edit acting when no row is current.
TEST(CollectionList, EditKeepsTheRowsPlaceAndCancelKeepsTheSlot) {
  Dialog d("ABCDE");
  d.slots[2].Kept.info = "note\r\n";
  d.slots[2].Images[0].File = "a.jpg", d.slots[2].ImageCount = 1;
  d.SetCurrent(2);
  int opened = -2;
  EXPECT_EQ(EditCollection(d.Table(), d, d.exchange,
                           [&](int slot) { return opened = slot, d.exchange.Comment = "changed", d.exchange.Name.clear(), true; }),
            ListChange::Cancelled);
  EXPECT_EQ(std::pair(opened, d.slots[2].Comment), std::pair(2, std::string()));
  EXPECT_EQ(EditCollection(d.Table(), d, d.exchange, [](int) { return false; }), ListChange::Cancelled);
  EXPECT_EQ(d.State(), "A B C D E |A B C D E |2");
  d.exchange.Images[1].File = "stale.jpg";
  const auto editor = [&](int) {
    const CollectionInfo& e = d.exchange;
    EXPECT_EQ(e.Name + "|" + e.Images[0].File + "|" + e.Images[1].File + "|" + e.Kept.info,
              "C|a.jpg|stale.jpg|note\r\n");
    return d.exchange.Name = "Renamed", d.exchange.Copyright = "me", true;
  };
  EXPECT_EQ(EditCollection(d.Table(), d, d.exchange, editor), ListChange::Done);
  // The file it was read from stays, for a later delete or save.
  EXPECT_EQ(d.State() + " " + d.slots[2].FileName + "|" + d.slots[2].Kept.info,
            "A B Renamed D E |A B Renamed - me+ D E |2 C.IC1|note\r\n");
  d.SetCurrent(-1);
  EXPECT_EQ(EditCollection(d.Table(), d, d.exchange, [](int) { return ADD_FAILURE() << "editor opened", true; }),
            ListChange::NoRow);
}

// Collections A, B and C (in use) read from C:\P, which also holds a backup of B; B is the current row.
struct DeleteSetup {
  Dialog d{"ABC"};
  test::MemoryFileSystem fs;
  CollectionScan scan{"C:\\P", {"A.IC1", "B.IC1", "C.IC1", "?.IC1"}, {}, {}};
  CollectionFiles Where() { return {fs, "C:\\P", scan}; }
  DeleteSetup() {
    for (const char* name : {"A.IC1", "B.IC1", "C.IC1", "B.IC1.bak"}) fs.Add(std::string("C:\\P\\") + name, name);
    for (const char* name : {"A.IC1", "B.IC1", "C.IC1", "?.IC1"}) scan.Record(name, fs.StampOf(std::string("C:\\P\\") + name), fs);
    d.SetCurrent(1), d.slots[2].InUse = true;
  }
};

// Catches a delete that removes a file the collection was not read from (a pattern, a path, a file the
// scan never read, one in another directory, or the file of a collection that still names it) or leaves
// its own on disk (it would come back at the next scan), the scan still listing a removed file (a later
// save would treat it as its own), and the row and the slot getting out of step; then the question's text
// not ending right after the row text, No deleting anyway, a collection dropped from the list although
// its file stayed (it would come back), a file removed that another program wrote since the scan, no row
// current after deleting the last, and Delete acting when no row is current or the list is empty.
TEST(CollectionList, DeleteAsksFirstAndRemovesTheRowTheSlotAndOnlyTheFileTheScanReadForIt) {
  // otherSlotFile: the FileName of slot 0.
  const struct { const char* what; std::string fileName, scanDir, otherSlotFile; bool removesB; } rows[] = {
      {"its own file", "B.IC1", "C:\\P", "A.IC1", true},
      {"case differs, trailing separator", "b.ic1", "c:\\p\\", "A.IC1", true},
      {"created here, not saved", "", "C:\\P", "A.IC1", false},
      {"a pattern that is also a name read", "?.IC1", "C:\\P", "A.IC1", false},
      {"a path", "..\\P\\B.IC1", "C:\\P", "A.IC1", false},
      {"scanned in another directory", "B.IC1", "C:\\Q", "A.IC1", false},
      {"another collection still names it", "B.IC1", "C:\\P", "B.IC1", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    DeleteSetup s;
    s.scan.directory = row.scanDir;
    s.d.slots[0].FileName = row.otherSlotFile;
    s.d.slots[1].FileName = row.fileName;
    EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), kYes), ListChange::Done);
    // B.IC1.bak among those that stay
    EXPECT_EQ(std::tuple(!s.fs.Find("C:\\P\\B.IC1"), s.fs.entries.size()), std::tuple(row.removesB, row.removesB ? 3u : 4u));
    EXPECT_EQ(s.scan.fileNames,
              (row.removesB ? Names{"A.IC1", "C.IC1", "?.IC1"} : Names{"A.IC1", "B.IC1", "C.IC1", "?.IC1"}));
    // C current, in B's place; the freed slot holds nothing of the last collection.
    EXPECT_EQ(s.d.State() + s.d.slots[2].Name + (s.d.slots[2].InUse ? "C in use" : ""), "A C |A C |1");
  }

  DeleteSetup s;
  s.d.slots[1].Copyright = "me";
  std::string asked;
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), [&](const std::string& q) { return asked = q, false; }),
            ListChange::Cancelled);
  EXPECT_EQ(asked, "Are you sure you want to delete the collection 'B - me");
  s.fs.failRemoves = true;
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), kYes), ListChange::FileNotRemoved);
  s.fs.failRemoves = false;
  s.fs.Add("C:\\P\\B.IC1", "written since");
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), kYes), ListChange::FileChanged);
  EXPECT_EQ(s.d.State() + " " + s.fs.Bytes("C:\\P\\B.IC1"), "A B C |A B C |1 written since");
  s.d.SetCurrent(2);
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), kYes), ListChange::Done);
  EXPECT_EQ(s.d.State(), "A B |A B |1");

  const auto asks = [](const std::string&) { return ADD_FAILURE() << "asked", true; };
  s.d.SetCurrent(-1);
  EXPECT_EQ(DeleteCollection(s.d.Table(), s.d, s.Where(), asks), ListChange::NoRow);
  Dialog empty;
  empty.SetCurrent(0);
  EXPECT_EQ(DeleteCollection(empty.Table(), empty, s.Where(), asks), ListChange::NoRow);
}

// Catches a trailing separator kept, a change of letter case or of a trailing "\" rescanning (the
// collections made in the dialog would be lost), a relative path, "\PICS" or "D:PICS" kept or compared as
// typed, a bare drive taken for its current directory, and a file, a pattern or an empty text taken for a
// directory; and a rescan that fills the table in place, or changes the images directory, the scan's record
// or the checked text before it has ended (a scan that fails on the way must leave the old list, and
// leaving the box again must try again).
TEST(DirectoryCheck, DecidesFromTheTextAndRescansAllOrNothing) {
  const auto isDirectory = [](std::string_view p) {
    return p == "C:\\PICS" || p == "C:" || p == "C:\\P*" || p == "D:\\DCUR\\PICS" || p == "D:\\BAD";
  };
  const auto fullPath = [](std::string_view p) {  // the current directory is C:\CUR, and D:'s D:\DCUR
    const std::string s(p);
    return s == "D:PICS" ? "D:\\DCUR\\PICS" : s == "C:" ? "C:\\CUR" : s.find(':') != s.npos ? s : (s[0] == '\\' ? "C:" : "C:\\CUR\\") + s;
  };
  const struct { const char *text, *before; DirectoryCheck::Result result; const char* after; } rows[] = {
      {"c:\\pics", "C:\\PICS", DirectoryCheck::Unchanged, "c:\\pics"},
      {"c:\\pics\\", "C:\\PICS", DirectoryCheck::Unchanged, "c:\\pics\\"},
      {"C:\\PICS", "C:\\PICS\\", DirectoryCheck::Unchanged, "C:\\PICS"},
      {"pics", "C:\\CUR\\PICS", DirectoryCheck::Unchanged, "pics"},
      {"C:\\PICS\\", "C:\\OTHER", DirectoryCheck::Found, "C:\\PICS"},
      {"\\PICS", "C:\\OTHER", DirectoryCheck::Found, "C:\\PICS"},
      {"D:PICS", "C:\\PICS", DirectoryCheck::Found, "D:\\DCUR\\PICS"},
      {"C:\\", "", DirectoryCheck::Found, "C:"},  // also a root loses its separator: paths append one
      {"C:", "C:\\PICS", DirectoryCheck::Found, "C:"},
      {"C:\\NONE\\", "C:\\PICS", DirectoryCheck::NotFound, "C:\\NONE"},
      {"C:\\P*", "C:\\PICS", DirectoryCheck::NotFound, "C:\\P*"},
      {"", "C:\\PICS", DirectoryCheck::NotFound, ""},
  };
  const DirectoryRules rules{AsciiUpper, fullPath, isDirectory};
  for (const auto& row : rows) {
    const DirectoryCheck check = CheckDirectory(row.text, row.before, rules);
    EXPECT_EQ(std::pair(check.result, check.text), std::pair(row.result, std::string(row.after))) << row.text;
  }
  Dialog d("AB");
  std::string dir = "C:\\OLD", atFocus = dir;
  CollectionScan scan{dir, {}, {}, {}};
  ListedDirectory listed{dir, atFocus, d.Table(), scan};
  test::MemoryFileSystem fs;
  fs.Add("D:\\BAD\\0.IC1"), fs.Add("D:\\BAD\\a.IC1"), fs.throwOnRead = "D:\\BAD\\a.IC1";
  const Windows1252CodePage cp;
  EXPECT_ANY_THROW(LeaveDirectoryBox("D:\\BAD", listed, rules, {fs, cp}));
  EXPECT_EQ(dir + "|" + atFocus + "|" + scan.directory + "|" + d.slots[0].Name + std::to_string(d.count),
            "C:\\OLD|C:\\OLD|C:\\OLD|A2");
  fs.throwOnRead.clear();
  EXPECT_EQ(LeaveDirectoryBox("D:\\BAD", listed, rules, {fs, cp}).text + "|" + dir + "|" + d.slots[0].Name +
                std::to_string(d.count), "D:\\BAD|D:\\BAD|02");
}

// Settings in memory; every write fails while `failing`.
struct Store final : SettingsStore {
  std::map<std::string, std::string, std::less<>> values{{"ImagesDir", "C:\\OLD"}};
  bool failing = false;
  std::string Read(std::string_view key) const override { return values.contains(key) ? values.find(key)->second : ""; }
  bool Write(std::string_view key, std::string_view value) override { return !failing && (values[std::string(key)] = value, true); }
};

// Catches ticks not reaching InUse slot by slot, an empty box not falling back to C:\PICTAVO (or being
// created), the typed case of the directory lost; OK storing the settings before the collections (a
// collection that cannot be written would leave the stored directory naming where it is not), closing as
// if all went well when a renamed collection's old file stayed (the show would play it twice; the message
// must name it, and the next OK try it again) or the settings could not be stored, and the process's
// settings taking what was not stored; and the detail of what was not saved listing every failure (the
// dialog would grow off the screen) or miscounting the rest.
TEST(SetupChoices, OkStoresTheCollectionsThenTheSettingsAndTellsWhatWasNot) {
  DeleteSetup s;
  s.d.slots[0].Name = "Sea";
  const Windows1252CodePage cp;
  const CollectionIo io{s.fs, cp};
  Store store;
  std::string made;
  SetupStores stores{store, io, s.scan, [&](const std::string& directory) { made = directory; }};
  Settings settings{5, false, false, "C:\\OLD"};
  // "message, the process's delay and directory, the stored directory, the directory made"
  const auto ok = [&](const char* dirText) {
    const SaveOutcome o = SaveSetupChoices({90, true, true, {false, true, true}, dirText}, settings, s.d.Table(), stores);
    return std::to_string(o.message) + " " + std::to_string(settings.delaySeconds) + " " + settings.imagesDir + " " +
           store.Read("ImagesDir") + " " + made + (o.detail.find("\"A.IC1\" of a renamed collection could not be removed: it is read-only.") != std::string::npos ? " A.IC1" : "");
  };
  s.fs.failRemoves = true;
  EXPECT_EQ(ok("c:\\p"), "-115 5 C:\\OLD C:\\OLD c:\\p A.IC1");
  s.fs.failRemoves = false, s.fs.failWrites = {"c:\\p\\B.IC1"};
  EXPECT_EQ(ok("c:\\p"), "-111 5 C:\\OLD C:\\OLD c:\\p");
  s.fs.failWrites.clear(), store.failing = true;
  EXPECT_EQ(ok("c:\\p"), "-114 5 C:\\OLD C:\\OLD c:\\p");
  store.failing = false;
  EXPECT_EQ(ok("c:\\p"), "0 90 c:\\p c:\\p c:\\p");
  EXPECT_TRUE(!s.d.slots[0].InUse && s.d.slots[1].InUse && !s.fs.Find("C:\\P\\A.IC1"));
  made.clear();
  EXPECT_EQ(ok(""), "0 90 C:\\PICTAVO C:\\PICTAVO ");

  Dialog seven("0123456");
  SaveResult result;
  for (int i = 0; i < 7; ++i) result.failures.push_back({i, SaveProblem::WriteFailed, -1});
  const std::string detail = NotSavedDetail(result, seven.slots);
  EXPECT_TRUE(std::count(detail.begin(), detail.end(), '\n') == 5 && detail.find("\"4\"") != detail.npos &&
              detail.find("\"5\"") == detail.npos && detail.ends_with("\r\nand 2 more.")) << detail;
}

// A machine with C: (C:\PICS holds Slides and art; C:\LOCKED cannot be read) and an unreadable D:.
struct FakeDirectories final : DirectorySource {
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
// trailing separator on a subdirectory's path, and opening a row changing to the wrong path; the browser
// opening on nothing (unusable) for a missing directory or a path without a drive letter, an unreadable
// directory replacing the open one, and an unreadable drive being taken.
TEST(DirectoryBrowser, ShowsParentsAboveSubdirectoriesBelowAndFallsBackToWhatCanBeRead) {
  FakeDirectories machine;
  DirectoryBrowser browser(machine);
  ASSERT_TRUE(browser.Open("c:/PICS\\"));
  EXPECT_EQ(browser.OpenPath(), "C:\\PICS");
  std::string rows;  // name|path|depth, "*" on the path to the open directory
  for (const DirectoryRow& r : browser.Rows())
    rows += r.name + "|" + r.path + "|" + std::to_string(r.depth) + (r.onPath ? "* " : " ");
  EXPECT_EQ(rows, "C:\\|C:\\|0* PICS|C:\\PICS|1* art|C:\\PICS\\art|2 Slides|C:\\PICS\\Slides|2 ");
  EXPECT_EQ(browser.OpenRowIndex(), 1u);
  ASSERT_TRUE(browser.OpenRow(3));
  EXPECT_EQ(browser.OpenPath(), "C:\\PICS\\Slides");
  ASSERT_TRUE(browser.OpenRow(0));
  EXPECT_EQ(browser.OpenPath(), "C:\\");
  EXPECT_EQ(browser.Rows().size(), 4u);

  const std::pair<const char*, const char*> starts[] = {
      {"C:\\PICS\\Gone\\Deeper", "C:\\PICS"}, {"C:\\LOCKED", "C:\\"}, {"PICTAVO", "C:\\Work"},
      {"", "C:\\Work"},                       {"D:\\PICTAVO", "C:\\Work"},
  };
  for (const auto& [start, opens] : starts) {
    DirectoryBrowser fresh(machine);
    EXPECT_TRUE(fresh.OpenNearest(start)) << start;
    EXPECT_EQ(fresh.OpenPath(), opens) << start;
  }
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
