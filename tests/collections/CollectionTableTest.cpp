// The scan that fills the table and the rewrite of all collections, over an in-memory directory.
#include <gtest/gtest.h>

#include <memory>

#include "collections/CollectionTable.h"
#include "tests/collections/MemoryFileSystem.h"

namespace pictavo {
namespace {

std::string FileFor(const std::string& name) { return "NAME=" + name + "\r\n[Images]\r\n" + name + ".jpg^1\r\n"; }

class CollectionTableTest : public ::testing::Test {
 protected:
  bool Load() { return LoadCollections(io, "C:\\PIC", *table, count, scan); }
  SaveResult Save(std::string_view dir = "C:\\PIC") { return SaveCollections(io, dir, *table, count, scan); }
  CollectionInfo& Slot(int i) { return (*table)[static_cast<size_t>(i)]; }
  static std::vector<SaveProblem> Problems(const SaveResult& r) {
    std::vector<SaveProblem> out;
    for (const SaveFailure& f : r.failures) out.push_back(f.problem);
    return out;
  }
  void AddFiles(std::initializer_list<const char*> names) {
    for (const char* n : names) fs.Add("C:\\PIC\\" + std::string(n) + ".IC1", FileFor(n));
  }

  test::MemoryFileSystem fs;
  Windows1252CodePage cp;
  CollectionIo io{fs, cp};
  std::unique_ptr<std::array<CollectionInfo, kCollectionSlots>> table =
      std::make_unique<std::array<CollectionInfo, kCollectionSlots>>();
  int16_t count = 0;
  CollectionScan scan;
};

// Catches a scan out of listing order, short of the 65 slots or past them, stopped by an unreadable file,
// with FileName guessed from Name or a file without a name left nameless; then a save that overwrites
// files the scan did not read (locked, beyond the 65th).
TEST_F(CollectionTableTest, ScanAndTheFilesItDidNotRead) {
  fs.Add("C:\\PIC\\zeta.IC1", FileFor("Zeta"));
  fs.Add("C:\\PIC\\locked.IC1", "locked bytes").unreadable = true;
  const std::string nameless = "[Images]\r\nx.jpg^1\r\n";
  fs.Add("C:\\PIC\\holiday.ic1", nameless);
  for (int i = 0; i < 70; ++i) fs.Add("C:\\PIC\\c" + std::to_string(i) + ".IC1", FileFor("C" + std::to_string(i)));
  ASSERT_TRUE(Load());
  ASSERT_EQ(count, 65);
  EXPECT_EQ(Slot(0).Name + Slot(1).Name + Slot(63).Name + Slot(64).Name, "ZetaholidayC61C62");
  EXPECT_EQ(Slot(1).FileName, "holiday.ic1");

  Slot(0).Name = "C69";     // onto a file beyond the 65th
  Slot(1).Name = "Locked";  // onto the unreadable file
  EXPECT_EQ(Problems(Save()), (std::vector{SaveProblem::FileNotLoaded, SaveProblem::FileNotLoaded}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\c69.IC1") + fs.Bytes("C:\\PIC\\locked.IC1"), FileFor("C69") + "locked bytes");
  EXPECT_EQ(fs.Bytes("C:\\PIC\\zeta.IC1") + fs.Bytes("C:\\PIC\\holiday.ic1"), FileFor("Zeta") + nameless);
}

// Catches an old file removed before (or without) its collection's successful write elsewhere, a
// failed write stopping the others, and c written over a.IC1 while a.IC1 still holds A (whose write failed).
TEST_F(CollectionTableTest, OldFilesGoOnlyAfterASuccessfulWrite) {
  AddFiles({"a", "b", "c"});
  ASSERT_TRUE(Load());
  Slot(0).Name = "A2", Slot(1).Name = "B2", Slot(2).Name = "a";
  fs.failWrites = {"C:\\PIC\\A2.IC1"};
  EXPECT_EQ(Problems(Save()), (std::vector{SaveProblem::WriteFailed, SaveProblem::WouldOverwrite}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1") + fs.Bytes("C:\\PIC\\c.IC1"), FileFor("a") + FileFor("c"));
  EXPECT_FALSE(fs.Find("C:\\PIC\\b.IC1"));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\B2.IC1").substr(0, 30), "[Collection Info]\r\nNAME=B2\r\nCO");
  EXPECT_EQ(Slot(0).FileName + Slot(1).FileName, "a.IC1B2.IC1");
}

// Catches removing a file Windows sees as the one just written (holiday.ic1 = Holiday.IC1), or a
// file of the same name in another directory than the one the scan read.
TEST_F(CollectionTableTest, NeverRemovesTheFileJustWrittenOrOneInAnotherDirectory) {
  fs.Add("C:\\PIC\\holiday.ic1", FileFor("Holiday"));
  fs.Add("D:\\NEW\\holiday.ic1", FileFor("Other"));
  ASSERT_TRUE(Load());
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_NE(fs.Bytes("C:\\PIC\\Holiday.IC1").find("NAME=Holiday"), std::string::npos);
  Slot(0).Name = "Renamed";
  EXPECT_TRUE(Save("D:\\NEW").AllWritten());
  EXPECT_TRUE(fs.Find("D:\\NEW\\holiday.ic1") && fs.Find("C:\\PIC\\holiday.ic1"));
}

// Catches two collections silently written to one file, and a bad name written or its old file lost.
TEST_F(CollectionTableTest, NameClashAndBadNameAreReportedAndNothingIsLost) {
  fs.Add("C:\\PIC\\x.IC1", "NAME=Holiday\r\nCOMMENT=from x\r\n");
  fs.Add("C:\\PIC\\holiday.IC1", FileFor("Holiday"));
  AddFiles({"bad"});
  ASSERT_TRUE(Load());
  Slot(2).Name = "..\\..\\Windows\\x";
  const SaveResult r = Save();
  ASSERT_EQ(Problems(r), (std::vector{SaveProblem::SameFileAs, SaveProblem::InvalidName}));
  EXPECT_EQ(r.failures[0].otherSlot, 1) << "the collection already in that file wins";
  EXPECT_NE(fs.Bytes("C:\\PIC\\x.IC1").find("from x"), std::string::npos);
  EXPECT_EQ(fs.Bytes("C:\\PIC\\bad.IC1"), FileFor("bad"));
  EXPECT_EQ(fs.writes, std::vector<std::string>{"C:\\PIC\\Holiday.IC1"});
}

// Catches a file edited by another program after the scan being overwritten at the rewrite, the old file
// of a renamed collection removed although it was edited, the others held back too, and the program's own
// writes mistaken for someone else's at the next rewrite.
TEST_F(CollectionTableTest, FilesChangedSinceTheScanAreLeftAloneAndReported) {
  AddFiles({"a", "b", "c"});
  ASSERT_TRUE(Load());
  EXPECT_TRUE(Save().AllWritten()) << "unchanged files are written";
  fs.Add("C:\\PIC\\a.IC1", "NAME=a\r\nedited by hand\r\n");
  fs.Add("C:\\PIC\\b.IC1", FileFor("b") + "x^y\r\n");
  Slot(1).Name = "B2";  // its old file was edited: it must stay, and B2 is not written either
  const SaveResult r = Save();
  EXPECT_EQ(Problems(r), (std::vector{SaveProblem::ChangedOnDisk, SaveProblem::ChangedOnDisk}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1"), "NAME=a\r\nedited by hand\r\n");
  EXPECT_EQ(fs.Bytes("C:\\PIC\\b.IC1"), FileFor("b") + "x^y\r\n");
  EXPECT_FALSE(fs.Find("C:\\PIC\\B2.IC1"));
  EXPECT_NE(DescribeSaveFailure(r.failures[0], *table).find("changed or removed by another program"), std::string::npos);
  fs.RemoveFile("C:\\PIC\\c.IC1");
  EXPECT_EQ(Problems(Save()).size(), 3u) << "a file removed by someone else is not brought back either";
}

}  // namespace
}  // namespace pictavo
