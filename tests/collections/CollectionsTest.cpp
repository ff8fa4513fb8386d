// Collections without Windows: the file codec (the reader's line rules, the exact bytes written, the
// code page, names and devices) and the table's scan and rewrite over an in-memory directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "collections/CollectionFile.h"
#include "collections/CollectionTable.h"
#include "tests/collections/MemoryFileSystem.h"

namespace pictavo {
namespace {

const Windows1252CodePage kCp;

std::unique_ptr<CollectionInfo> Read(std::string_view bytes) {
  auto info = std::make_unique<CollectionInfo>();
  DecodeCollection(bytes, kCp, *info);
  return info;
}

// "Name|Comment|Copyright|InUse|ImageCount|" and the first three images as "file^title;".
std::string Fields(const CollectionInfo& i) {
  std::string out = i.Name + "|" + i.Comment + "|" + i.Copyright + "|" + (i.InUse ? "1|" : "0|") +
                    std::to_string(i.ImageCount) + "|";
  for (int n = 0; n < std::min<int>(i.ImageCount, 3); ++n) out += i.Images[n].File + "^" + i.Images[n].Title + ";";
  return out;
}

// Catches a misread key, value, USE flag, section header or line end (each row names its fault), and a
// reused slot carrying the last collection's comment, notice, flag or images into the next (each row is
// read into the record the row before filled) or losing its FileName.
TEST(CollectionReader, KeyAndSectionRules) {
  const struct { const char *file, *fields, *why; } cases[] = {
      {"name=Holiday\r\n", "Holiday|||0|0|", "key case must not matter"},
      {" NAME=Holiday\r\nNAME =x\r\n", "|||0|0|", "keys only at line start, = right after"},
      {"NAME=  Hol iday  \r\nCOPYRIGHT= c \r\n", "Hol iday||c|0|0|", "values trimmed, inner spaces kept"},
      {"NAME=a\r\nCOMMENT=c\r\nNAME=b\r\n", "b|c||0|0|", "any order, the last occurrence wins"},
      {"USE=yes\r\n", "|||0|0|", "only YES in capitals is in use"},
      {"USE=YES\r\nUSE=TRUE\r\n", "|||0|0|", "the last USE wins; TRUE is not YES"},
      {"use=  YES  \r\n", "|||1|0|", "USE key in any case, value trimmed"},
      {"[images]\r\na^b\r\nNAME=x\r\n", "|||0|2|a^b;NAME=x^;", "header in any case; no way back"},
      {" [Images]\r\na^b\r\n[Images] \r\na^b\r\n", "|||0|0|", "header is tested untrimmed"},
      {"NAME=x\rCOMMENT=y", "x|y||0|0|", "a lone CR ends a line; last line without end"},
      {"NAME=x\nCOMMENT=y\n", "x\nCOMMENT=y\n|||0|0|", "a lone LF does not end a line"},
      {"[Images]\r\n\r\n   \r\n  a.jpg^x^y  \r\nbare name.jpg\r\n", "|||0|2|a.jpg^x^y;bare name.jpg^;",
       "blank lines skipped; trimmed; split at the first caret; a bare name"},
      {"", "|||0|0|", "a zero-byte file is an empty collection"},
  };
  const auto info = std::make_unique<CollectionInfo>();  // one record for all, as a slot is reused
  info->FileName = "old.ic1";
  for (const auto& c : cases) {
    DecodeCollection(c.file, kCp, *info);
    EXPECT_EQ(Fields(*info), c.fields) << c.why;
  }
  EXPECT_EQ(info->Images[0].File + info->FileName, "old.ic1");
}

// The CR LF lines of a file, blanks around them removed.
std::set<std::string> TrimmedLinesOf(std::string_view bytes) {
  std::set<std::string> lines;
  for (size_t pos = 0, end; pos < bytes.size(); pos = end + 2) {
    end = std::min(bytes.find("\r\n", pos), bytes.size());
    const std::string_view line = bytes.substr(pos, end - pos);
    const size_t a = line.find_first_not_of(' ');
    lines.emplace(a == line.npos ? std::string_view() : line.substr(a, line.find_last_not_of(' ') - a + 1));
  }
  return lines;
}

std::string ImageLines(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += std::to_string(i) + ".jpg^t " + std::to_string(i) + "\r\n";
  return out;
}

// Catches a rewrite that drops what the record has no field for: image lines past the 513th (and an
// overrun of the 513-entry array), the list after a header with a blank around it, notes, other keys and
// text before the header; a second rewrite that differs from the first; a kept line that reads back as
// something else.
TEST(CollectionRewrite, LosesNoLineAndIsStable) {
  const struct { std::string file; int images; const char* why; } cases[] = {
      {"NAME=Big\r\n[Images]\r\n" + ImageLines(40000), 513, "a 16-bit counter would overflow"},
      {"NAME=x\r\n [Images]\r\n" + ImageLines(3), 0, "blank before the header"},
      {"NAME=x\r\n[Images] \r\n  " + ImageLines(3), 0, "blank after the header"},
      {"note before anything\r\n[Collection Info]\r\nNAME=x\r\n; a note\r\nOWNER=Ann\r\n\r\n[Images]\r\n"
       "a.jpg^1\r\n", 1, "notes, other keys, text before the header"},
      {"\xEF\xBB\xBFNAME=\xE6\x97\xA5\r\nmemo \xE6\x97\xA5\r\n[Images]\r\n" + ImageLines(520), 513,
       "UTF-8 with kept lines of both kinds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const auto first = Read(c.file);
    EXPECT_EQ(first->ImageCount, c.images);
    const std::string written = EncodeCollection(*first, kCp);
    // What it reads back it writes again as it was (compared whole: a line diff of 40000 lines is too big).
    EXPECT_TRUE(EncodeCollection(*Read(written), kCp) == written);
    const std::set<std::string> out = TrimmedLinesOf(written);
    for (std::string line : TrimmedLinesOf(c.file)) {
      if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
      if (!line.empty() && !line.starts_with("NAME=") && line != "[Images]") { EXPECT_TRUE(out.count(line)) << line; }
    }
  }
}


const std::string kHoliday =
    "[Collection Info]\r\nNAME=Holiday\r\nCOMMENT=Summer 1998\r\nCOPYRIGHT=\r\nUSE=YES\r\n\r\n"
    "[Images]\r\nbeach.jpg^Holiday 1\r\nharbour.bmp^Holiday 2\r\n";

// Catches a wrong line, key or order, a missing CR, a stale image past ImageCount, a CR in a value
// injecting a line (USE=YES), and an ImageCount that reads past the array.
TEST(CollectionWriter, WritesExactCrLfLinesAndNeverTrustsTheRecord) {
  const auto info = Read(kHoliday);
  info->Images[2] = {"stale", "not written.jpg"};
  EXPECT_EQ(EncodeCollection(*info, kCp), kHoliday);
  info->InUse = false;
  info->Comment = "a\r\nUSE=YES\rb";
  EXPECT_EQ(Fields(*Read(EncodeCollection(*info, kCp))).substr(0, 26), "Holiday|a USE=YES b||0|2|b");
  info->ImageCount = 30000;
  EXPECT_EQ(Read(EncodeCollection(*info, kCp))->ImageCount, kMaxImages);
  info->ImageCount = -5;
  EXPECT_EQ(Read(EncodeCollection(*info, kCp))->ImageCount, 0);
}

// Catches an ANSI file (0xA9, the Euro sign, the five unassigned bytes) not written back byte for byte,
// a best fit for a letter the code page lacks, and text outside the code page lost instead of written
// as UTF-8 with a BOM.
TEST(CollectionEncoding, AnsiGoesBackByteForByteAndOtherTextAsUtf8WithBom) {
  const std::string file =
      "[Collection Info]\r\nNAME=Caf\xE9\r\nCOMMENT=\x80 5\r\nCOPYRIGHT=\xA9 Ann\r\nUSE=NO\r\n\r\n[Images]\r\n"
      "\xFC.jpg^\x81\x8D\x8F\x90\x9D\r\n";
  const auto info = Read(file);
  EXPECT_EQ(info->Copyright, "\xC2\xA9 Ann");
  EXPECT_EQ(EncodeCollection(*info, kCp), file);
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(kCp.Utf8ToAnsi(Windows1252CodePage::Decode(all)), all);
  EXPECT_FALSE(kCp.Utf8ToAnsi("\xC5\x81").has_value()) << "no best fit: L with stroke is not L";
  info->Copyright = "\xE6\x97\xA5\xE6\x9C\xAC";
  const std::string bytes = EncodeCollection(*info, kCp);
  EXPECT_EQ(bytes.substr(0, 3), kUtf8Bom);
  EXPECT_EQ(Fields(*Read(bytes)), Fields(*info));
}

// Refusing too little writes outside the images directory or to a device; too much loses names. Catches a
// device that Windows opens in every directory taken for a file (with an extension, spaces before the dot,
// in any case, a superscript digit, CLOCK$ or a console name), and names that merely begin like a device
// refused with them.
TEST(CollectionName, OnlyPlainFileNamesAreWrittenNeverWhatWindowsOpensAsADevice) {
  for (const char* name : {"Holiday", "a..b", ".hidden", "Caf\xC3\xA9", "CONSOLE"})
    EXPECT_TRUE(IsPlainCollectionName(name)) << name;
  for (const char* name : {"", " lead", "..", ".", "..\\x", "a/b", "C:x", "a*", "a?", "a\"b", "a<b", "a|b", "a\tb",
                           "trailing.", "trailing ", "Nul.txt", "a\xFF"})
    EXPECT_FALSE(IsPlainCollectionName(name)) << '"' << name << '"';
  EXPECT_TRUE(IsPlainCollectionName(std::string(251, 'x')));
  EXPECT_FALSE(IsPlainCollectionName(std::string(252, 'x'))) << "256 with .IC1: too long for Windows";
  // Devices: one rule for collection names and the show's image lines.
  for (const char* name : {"CON", "prn", "Aux", "NUL", "clock$", "CONIN$", "conout$", "COM0", "com9", "LPT0", "lpt9",
                           "COM\xC2\xB9", "LPT\xC2\xB3", "con.jpg", "aux.tar.gz", "Nul .txt", "COM1 ", "lpt1."})
    EXPECT_TRUE(IsDeviceName(name)) << name;
  for (const char* name : {"", "CONSOLE", "con2.jpg", "COM10", "LPT", "lpt.jpg", "auxiliary.jpg", "COMA", "CLOCK",
                           "COM\xC2\xB4", "COM\xC2\xB9\xC2\xB9", "x.con", "my..photo.jpg"})
    EXPECT_FALSE(IsDeviceName(name)) << '"' << name << '"';
}

std::string FileFor(const std::string& name) { return "NAME=" + name + "\r\n[Images]\r\n" + name + ".jpg^1\r\n"; }

class CollectionTableTest : public ::testing::Test {
 protected:
  bool Load() { return LoadCollections(io, "C:\\PIC", table, count, scan); }
  SaveResult Save(std::string_view dir = "C:\\PIC") { return SaveCollections(io, dir, table, count, scan); }
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
  std::vector<CollectionInfo> table = std::vector<CollectionInfo>(kCollectionSlots);
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
  EXPECT_EQ(table[0].Name + table[1].Name + table[63].Name + table[64].Name + "|" + table[1].FileName,
            "ZetaholidayC61C62|holiday.ic1");

  table[0].Name = "C69";     // onto a file beyond the 65th
  table[1].Name = "Locked";  // onto the unreadable file
  EXPECT_EQ(Problems(Save()), (std::vector{SaveProblem::FileNotLoaded, SaveProblem::FileNotLoaded}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\c69.IC1") + fs.Bytes("C:\\PIC\\locked.IC1"), FileFor("C69") + "locked bytes");
  EXPECT_EQ(fs.Bytes("C:\\PIC\\zeta.IC1") + fs.Bytes("C:\\PIC\\holiday.ic1"), FileFor("Zeta") + nameless);
}

// Catches an old file removed before (or without) its collection's successful write elsewhere, a
// failed write stopping the others, and c written over a.IC1 while a.IC1 still holds A (whose write failed).
TEST_F(CollectionTableTest, OldFilesGoOnlyAfterASuccessfulWrite) {
  AddFiles({"a", "b", "c"});
  ASSERT_TRUE(Load());
  table[0].Name = "A2", table[1].Name = "B2", table[2].Name = "a";
  fs.failWrites = {"C:\\PIC\\A2.IC1"};
  EXPECT_EQ(Problems(Save()), (std::vector{SaveProblem::WriteFailed, SaveProblem::WouldOverwrite}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1") + fs.Bytes("C:\\PIC\\c.IC1") + fs.Bytes("C:\\PIC\\b.IC1"),
            FileFor("a") + FileFor("c") + "<missing>");
  EXPECT_EQ(fs.Bytes("C:\\PIC\\B2.IC1").substr(0, 30), "[Collection Info]\r\nNAME=B2\r\nCO");
  EXPECT_EQ(table[0].FileName + table[1].FileName, "a.IC1B2.IC1");
}

// Catches removing a file Windows sees as the one just written (holiday.ic1 = Holiday.IC1), or a
// file of the same name in another directory than the one the scan read.
TEST_F(CollectionTableTest, NeverRemovesTheFileJustWrittenOrOneInAnotherDirectory) {
  fs.Add("C:\\PIC\\holiday.ic1", FileFor("Holiday"));
  fs.Add("D:\\NEW\\holiday.ic1", FileFor("Other"));
  ASSERT_TRUE(Load());
  EXPECT_TRUE(Save().AllWritten());
  EXPECT_NE(fs.Bytes("C:\\PIC\\Holiday.IC1").find("NAME=Holiday"), std::string::npos);
  table[0].Name = "Renamed";
  EXPECT_TRUE(Save("D:\\NEW").AllWritten());
  EXPECT_TRUE(fs.Find("D:\\NEW\\holiday.ic1") && fs.Find("C:\\PIC\\holiday.ic1"));
}

// Catches two collections silently written to one file, and a bad name written or its old file lost.
TEST_F(CollectionTableTest, NameClashAndBadNameAreReportedAndNothingIsLost) {
  fs.Add("C:\\PIC\\x.IC1", "NAME=Holiday\r\nCOMMENT=from x\r\n");
  fs.Add("C:\\PIC\\holiday.IC1", FileFor("Holiday"));
  AddFiles({"bad"});
  ASSERT_TRUE(Load());
  table[2].Name = "..\\..\\Windows\\x";
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
  table[1].Name = "B2";  // its old file was edited: it must stay, and B2 is not written either
  const SaveResult r = Save();
  EXPECT_EQ(Problems(r), (std::vector{SaveProblem::ChangedOnDisk, SaveProblem::ChangedOnDisk}));
  EXPECT_EQ(fs.Bytes("C:\\PIC\\a.IC1"), "NAME=a\r\nedited by hand\r\n");
  EXPECT_EQ(fs.Bytes("C:\\PIC\\b.IC1") + fs.Bytes("C:\\PIC\\B2.IC1"), FileFor("b") + "x^y\r\n<missing>");
  EXPECT_NE(DescribeSaveFailure(r.failures[0], table).find("changed or removed by another program"), std::string::npos);
  fs.RemoveFile("C:\\PIC\\c.IC1");
  EXPECT_EQ(Problems(Save()).size(), 3u) << "a file removed by someone else is not brought back either";
}

}  // namespace
}  // namespace pictavo
