// The scan that fills the table and the rewrite of all collections, over an in-memory directory.
#include <gtest/gtest.h>

#include <memory>

#include "collections/CollectionTable.h"
#include "tests/collections/MemoryFileSystem.h"

namespace pictavo {
namespace {

using test::MemoryFileSystem;

std::string FileFor(std::string_view name, std::string_view comment = "") {
  return "[Collection Info]\r\nNAME=" + std::string(name) + "\r\nCOMMENT=" + std::string(comment) +
         "\r\nCOPYRIGHT=\r\nUSE=YES\r\n\r\n[Images]\r\n" + std::string(name) + ".jpg^" + std::string(name) +
         " 1\r\n";
}

class CollectionTableTest : public ::testing::Test {
 protected:
  bool Load(std::string_view dir = "C:\\PIC") { return LoadCollections(io, dir, *table, count, scan); }
  SaveResult Save(std::string_view dir = "C:\\PIC") { return SaveCollections(io, dir, *table, count, scan); }
  CollectionInfo& Slot(int i) { return (*table)[static_cast<size_t>(i)]; }
  std::vector<SaveProblem> Problems(const SaveResult& r) {
    std::vector<SaveProblem> out;
    for (const SaveFailure& f : r.failures) out.push_back(f.problem);
    return out;
  }

  MemoryFileSystem fs;
  Windows1252CodePage cp;
  CollectionIo io{fs, cp};
  std::unique_ptr<std::array<CollectionInfo, kCollectionSlots>> table =
      std::make_unique<std::array<CollectionInfo, kCollectionSlots>>();
  int16_t count = 0;
  CollectionScan scan;
};

TEST_F(CollectionTableTest, LoadsInListingOrderAndSetsFileNameAfterTheRead) {
  fs.Add("C:\\PIC\\zeta.IC1", FileFor("Zeta"));
  fs.Add("C:\\PIC\\holiday.ic1", FileFor("Summer"));
  fs.Add("C:\\PIC\\sub.IC1").directory = true;
  fs.Add("C:\\PIC\\secret.IC1", FileFor("Secret")).hidden = true;
  fs.Add("C:\\PIC\\notes.txt", FileFor("Txt"));
  fs.Add("C:\\OTHER\\x.IC1", FileFor("Other"));
  ASSERT_TRUE(Load());
  ASSERT_EQ(count, 2);
  EXPECT_EQ(Slot(0).Name, "Zeta");
  EXPECT_EQ(Slot(1).Name, "Summer");
  EXPECT_EQ(Slot(1).FileName, "holiday.ic1") << "FileName is the listed name, not Name + .IC1";
  EXPECT_EQ(fs.patterns.back(), "C:\\PIC\\*.IC1");
}

TEST_F(CollectionTableTest, DirectoryWithTrailingBackslashFindsTheSameFiles) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  ASSERT_TRUE(Load("C:\\PIC\\"));
  EXPECT_EQ(fs.patterns.back(), "C:\\PIC\\*.IC1");
  EXPECT_EQ(fs.reads.back(), "C:\\PIC\\a.IC1");
  EXPECT_EQ(Slot(0).Name, "A");
}

TEST_F(CollectionTableTest, FillsAtMost64Slots) {
  for (int i = 0; i < 70; ++i) fs.Add("C:\\PIC\\c" + std::to_string(i) + ".IC1", FileFor("C" + std::to_string(i)));
  ASSERT_TRUE(Load());
  EXPECT_EQ(count, 64);
  EXPECT_EQ(Slot(63).Name, "C63");
  EXPECT_EQ(Slot(64).Name, "") << "slot 64 is for a collection created in the dialog";
}

TEST_F(CollectionTableTest, EmptyDirectoryGivesFalseAndKeepsTheSlots) {
  Slot(0).Name = "Earlier";
  count = 3;
  EXPECT_FALSE(Load());
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Slot(0).Name, "Earlier");
}

// An unreadable file must neither stop the scan nor be rewritten or removed later.
TEST_F(CollectionTableTest, UnreadableFileIsLeftOutAndLeftAlone) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  fs.Add("C:\\PIC\\locked.IC1", "locked bytes").unreadable = true;
  fs.Add("C:\\PIC\\b.IC1", FileFor("B"));
  ASSERT_TRUE(Load());
  ASSERT_EQ(count, 2);
  EXPECT_EQ(Slot(1).Name, "B");
  // The user names a new collection like the unreadable file: it must not replace it.
  Slot(2) = Slot(0);
  Slot(2).Name = "Locked";
  Slot(2).FileName = "Locked.IC1";
  count = 3;
  const SaveResult r = Save();
  EXPECT_EQ(Problems(r), std::vector{SaveProblem::FileNotLoaded});
  EXPECT_EQ(fs.Bytes("C:\\PIC\\locked.IC1"), "locked bytes");
}

TEST_F(CollectionTableTest, FilesBeyondThe64thAreNeverOverwrittenOrRemoved) {
  for (int i = 0; i < 66; ++i) fs.Add("C:\\PIC\\c" + std::to_string(i) + ".IC1", FileFor("C" + std::to_string(i)));
  ASSERT_TRUE(Load());
  Slot(0).Name = "C65";  // renamed onto the file the scan did not load
  const SaveResult r = Save();
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0].problem, SaveProblem::FileNotLoaded);
  EXPECT_EQ(fs.Bytes("C:\\PIC\\c65.IC1"), FileFor("C65"));
  EXPECT_TRUE(fs.Has("C:\\PIC\\c0.IC1")) << "the old file of a collection that was not written stays";
  EXPECT_TRUE(fs.Has("C:\\PIC\\c64.IC1"));
}

TEST_F(CollectionTableTest, RenamedCollectionIsWrittenAndItsOldFileRemoved) {
  fs.Add("C:\\PIC\\holiday.ic1", FileFor("Holiday"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "Summer";
  const SaveResult r = Save();
  EXPECT_TRUE(r.AllWritten());
  EXPECT_FALSE(fs.Has("C:\\PIC\\holiday.ic1"));
  EXPECT_EQ(fs.writes, std::vector<std::string>{"C:\\PIC\\Summer.IC1"});
  EXPECT_NE(fs.Bytes("C:\\PIC\\Summer.IC1").find("NAME=Summer\r\n"), std::string::npos);
  EXPECT_EQ(Slot(0).FileName, "Summer.IC1");
  // A second save has nothing more to remove.
  fs.removes.clear();
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_TRUE(fs.removes.empty());
}

// holiday.ic1 and Holiday.IC1 are one file on Windows: removing the "old" one would lose it.
TEST_F(CollectionTableTest, SameNameInOtherLetterCaseIsNotRemoved) {
  fs.Add("C:\\PIC\\holiday.ic1", FileFor("Holiday"));
  ASSERT_TRUE(Load());
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_TRUE(fs.removes.empty());
  EXPECT_TRUE(fs.Has("C:\\PIC\\Holiday.IC1"));
}

TEST_F(CollectionTableTest, FailedWriteKeepsTheOldFileAndTheOthersAreStillWritten) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  fs.Add("C:\\PIC\\b.IC1", FileFor("B"));
  fs.Add("C:\\PIC\\c.IC1", FileFor("C"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "A2";
  Slot(1).Comment = "changed";
  Slot(2).Comment = "changed";
  fs.failWrites = {"C:\\PIC\\A2.IC1", "C:\\PIC\\B.IC1"};
  const SaveResult r = Save();
  ASSERT_EQ(r.failures.size(), 2u);
  EXPECT_EQ(r.failures[0].slot, 0);
  EXPECT_EQ(r.failures[1].slot, 1);
  EXPECT_EQ(r.failures[1].problem, SaveProblem::WriteFailed);
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1"), FileFor("A"));
  EXPECT_EQ(Slot(0).FileName, "a.IC1");
  EXPECT_NE(fs.Bytes("C:\\PIC\\c.IC1").find("COMMENT=changed"), std::string::npos);
}

TEST_F(CollectionTableTest, NameThatIsNoFileNameWritesNothingAndKeepsTheOldFile) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  ASSERT_TRUE(Load());
  for (const char* bad : {"..\\..\\Windows\\x", "CON", "", "a:b"}) {
    Slot(0).Name = bad;
    fs.writes.clear();
    const SaveResult r = Save();
    EXPECT_EQ(Problems(r), std::vector{SaveProblem::InvalidName}) << bad;
    EXPECT_TRUE(fs.writes.empty()) << bad;
    EXPECT_TRUE(fs.Has("C:\\PIC\\a.IC1")) << bad;
    EXPECT_FALSE(DescribeSaveFailure(r.failures[0], *table).empty());
  }
}

// Two collections named alike: the one whose file it already is wins; the other is reported and its
// own file stays, so neither collection's data is lost.
TEST_F(CollectionTableTest, TwoCollectionsForOneFileTheOwnerWinsTheOtherIsReported) {
  fs.Add("C:\\PIC\\x.IC1", FileFor("Holiday", "from x"));
  fs.Add("C:\\PIC\\holiday.IC1", FileFor("Holiday", "from holiday"));
  ASSERT_TRUE(Load());
  const SaveResult r = Save();
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0].slot, 0);
  EXPECT_EQ(r.failures[0].problem, SaveProblem::SameFileAs);
  EXPECT_EQ(r.failures[0].otherSlot, 1);
  EXPECT_NE(fs.Bytes("C:\\PIC\\x.IC1").find("from x"), std::string::npos);
  EXPECT_NE(fs.Bytes("C:\\PIC\\Holiday.IC1").find("from holiday"), std::string::npos);

  // Two new ones with names that differ only in case: the first in the table is written.
  Slot(2) = Slot(0);
  Slot(2).Name = "new";
  Slot(3) = Slot(0);
  Slot(3).Name = "NEW";
  count = 4;
  const SaveResult r2 = Save();
  ASSERT_EQ(r2.failures.size(), 2u);
  EXPECT_EQ(r2.failures[1].slot, 3);
  EXPECT_EQ(r2.failures[1].otherSlot, 2);
}

TEST_F(CollectionTableTest, RenameOntoAFileThatIsMovingAwayWaitsForIt) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  fs.Add("C:\\PIC\\b.IC1", FileFor("B"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "B";  // A takes b.IC1 ...
  Slot(1).Name = "C";  // ... which B leaves for c.IC1
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_EQ(fs.writes, (std::vector<std::string>{"C:\\PIC\\C.IC1", "C:\\PIC\\B.IC1"}));
  EXPECT_NE(fs.Bytes("C:\\PIC\\C.IC1").find("B.jpg"), std::string::npos);
  EXPECT_NE(fs.Bytes("C:\\PIC\\b.IC1").find("A.jpg"), std::string::npos);
  EXPECT_FALSE(fs.Has("C:\\PIC\\a.IC1"));
}

TEST_F(CollectionTableTest, RenameOntoAFileWhoseCollectionFailedKeepsThatFile) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  fs.Add("C:\\PIC\\b.IC1", FileFor("B"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "B";
  Slot(1).Name = "C";
  fs.failWrites = {"C:\\PIC\\C.IC1"};
  const SaveResult r = Save();
  EXPECT_EQ(Problems(r), (std::vector{SaveProblem::WouldOverwrite, SaveProblem::WriteFailed}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\b.IC1"), FileFor("B"));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1"), FileFor("A"));
}

TEST_F(CollectionTableTest, ExchangedNamesAreReportedAndBothFilesKept) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  fs.Add("C:\\PIC\\b.IC1", FileFor("B"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "B";
  Slot(1).Name = "A";
  const SaveResult r = Save();
  EXPECT_EQ(Problems(r), (std::vector{SaveProblem::NamesExchanged, SaveProblem::NamesExchanged}));
  EXPECT_TRUE(fs.writes.empty());
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1"), FileFor("A"));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\b.IC1"), FileFor("B"));
}

// Two slots read from one file (a copy): the file goes only when both were written elsewhere.
TEST_F(CollectionTableTest, SharedOldFileGoesOnlyWhenEveryCollectionFromItWasWritten) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A"));
  ASSERT_TRUE(Load());
  Slot(1) = Slot(0);
  count = 2;
  Slot(0).Name = "One";
  Slot(1).Name = "Two";
  fs.failWrites = {"C:\\PIC\\Two.IC1"};
  EXPECT_EQ(Save().failures.size(), 1u);
  EXPECT_TRUE(fs.Has("C:\\PIC\\a.IC1"));
  fs.failWrites.clear();
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_FALSE(fs.Has("C:\\PIC\\a.IC1"));
}

// The table read another directory: none of its FileNames may be removed from this one.
TEST_F(CollectionTableTest, SavingToAnotherDirectoryRemovesNothing) {
  fs.Add("C:\\PIC\\old.IC1", FileFor("Old"));
  fs.Add("D:\\NEW\\old.IC1", FileFor("Other"));
  ASSERT_TRUE(Load());
  Slot(0).Name = "Renamed";
  EXPECT_TRUE(Save("D:\\NEW").AllWritten());
  EXPECT_TRUE(fs.removes.empty());
  EXPECT_TRUE(fs.Has("D:\\NEW\\old.IC1"));
  EXPECT_TRUE(fs.Has("C:\\PIC\\old.IC1"));
}

TEST_F(CollectionTableTest, FileNameNotReadByTheScanIsNeverRemoved) {
  fs.Add("C:\\PIC\\keep.IC1", FileFor("Keep"));
  ASSERT_TRUE(Load());
  Slot(0).FileName = "keep2.IC1";  // as if set elsewhere; the scan never read it
  fs.Add("C:\\PIC\\keep2.IC1", "someone else's");
  Slot(0).Name = "Other";
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_TRUE(fs.Has("C:\\PIC\\keep2.IC1"));
  EXPECT_TRUE(fs.Has("C:\\PIC\\keep.IC1")) << "no slot refers to it any more: kept, not guessed";
}

TEST_F(CollectionTableTest, OldFileThatCannotBeRemovedIsReported) {
  fs.Add("C:\\PIC\\a.IC1", FileFor("A")).readOnly = true;
  ASSERT_TRUE(Load());
  Slot(0).Name = "B";
  const SaveResult r = Save();
  EXPECT_TRUE(r.AllWritten());
  EXPECT_EQ(r.notRemoved, std::vector<std::string>{"a.IC1"});
}

TEST_F(CollectionTableTest, RootDirectoryWriterPathHasTwoBackslashes) {
  fs.Add("C:\\a.IC1", FileFor("A"));
  ASSERT_TRUE(Load("C:\\"));
  EXPECT_EQ(fs.reads.back(), "C:\\a.IC1");
  Slot(0).Name = "B";
  EXPECT_TRUE(Save("C:\\").AllWritten());
  EXPECT_EQ(fs.writes.back(), "C:\\\\B.IC1");
  EXPECT_FALSE(fs.Has("C:\\a.IC1"));
}

}  // namespace
}  // namespace pictavo
