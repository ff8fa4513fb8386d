// The collection file codec: the reader's line rules, the exact bytes written, the code pages, names.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "collections/CollectionFile.h"

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

// Catches a misread key, value, USE flag, section header or line end; each row names its fault.
TEST(CollectionReader, KeyAndSectionRules) {
  const struct { const char *file, *fields, *why; } cases[] = {
      {"name=Holiday\r\n", "Holiday|||0|0|", "key case must not matter"},
      {" NAME=Holiday\r\nNAME =x\r\n", "|||0|0|", "keys only at line start, = right after"},
      {"NAME=  Hol iday  \r\nCOPYRIGHT= c \r\n", "Hol iday||c|0|0|", "values trimmed, inner spaces kept"},
      {"NAME=a\r\nCOMMENT=c\r\nNAME=b\r\n", "b|c||0|0|", "any order, the last occurrence wins"},
      {"use=  YES  \r\n", "|||1|0|", "USE key in any case, value trimmed"},
      {"USE=yes\r\n", "|||0|0|", "only YES in capitals is in use"},
      {"USE=YES\r\nUSE=TRUE\r\n", "|||0|0|", "the last USE wins; TRUE is not YES"},
      {"[images]\r\na^b\r\nNAME=x\r\n", "|||0|2|a^b;NAME=x^;", "header in any case; no way back"},
      {" [Images]\r\na^b\r\n[Images] \r\na^b\r\n", "|||0|0|", "header is tested untrimmed"},
      {"NAME=x\rCOMMENT=y", "x|y||0|0|", "a lone CR ends a line; last line without end"},
      {"NAME=x\nCOMMENT=y\n", "x\nCOMMENT=y\n|||0|0|", "a lone LF does not end a line"},
      {"", "|||0|0|", "a zero-byte file is an empty collection"},
      {"[Images]\r\n\r\n   \r\n  a.jpg^x^y  \r\nbare name.jpg\r\n", "|||0|2|a.jpg^x^y;bare name.jpg^;",
       "blank lines skipped; trimmed; split at the first caret; a bare name"},
  };
  for (const auto& c : cases) EXPECT_EQ(Fields(*Read(c.file)), c.fields) << c.why;
}

// The lines of a file as the reader splits them (CR LF or a lone CR), blanks around them removed.
std::set<std::string> TrimmedLinesOf(std::string_view bytes) {
  std::set<std::string> lines;
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t end = std::min(bytes.find('\r', pos), bytes.size());
    const std::string_view line = bytes.substr(pos, end - pos);
    const size_t a = line.find_first_not_of(' ');
    lines.emplace(a == line.npos ? std::string_view() : line.substr(a, line.find_last_not_of(' ') - a + 1));
    pos = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
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
    const auto second = Read(written);
    EXPECT_EQ(Fields(*second), Fields(*first));
    EXPECT_EQ(second->Kept, first->Kept);
    EXPECT_EQ(EncodeCollection(*second, kCp), written);
    const std::set<std::string> out = TrimmedLinesOf(written);
    for (std::string line : TrimmedLinesOf(c.file)) {
      if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
      if (!line.empty() && !line.starts_with("NAME=") && line != "[Images]") { EXPECT_TRUE(out.count(line)) << line; }
    }
  }
}

// Catches a reused slot carrying the last collection's comment, notice, flag or images into the next.
TEST(CollectionReader, FillsAnEmptiedRecordButKeepsFileName) {
  auto info = Read("NAME=Old\r\nCOMMENT=c\r\nCOPYRIGHT=n\r\nUSE=YES\r\n[Images]\r\na^1\r\nb^2\r\n");
  info->FileName = "old.ic1";
  DecodeCollection("NAME=New\r\n[Images]\r\nnew.jpg^n\r\n", kCp, *info);
  EXPECT_EQ(Fields(*info) + info->Images[1].File + info->FileName, "New|||0|1|new.jpg^n;old.ic1");
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

// Refusing too little writes outside the images directory or to a device; too much loses names.
TEST(CollectionName, OnlyPlainFileNamesAreWritten) {
  for (const char* name : {"Holiday", "a..b", ".hidden", "Caf\xC3\xA9", "CONSOLE", "COM10", "LPT"})
    EXPECT_TRUE(IsPlainCollectionName(name)) << name;
  for (const char* name : {"", " lead", "..", ".", "..\\x", "a/b", "C:x", "a*", "a?", "a\"b", "a<b", "a|b", "a\tb",
                           "trailing.", "trailing ", "con", "Nul.txt", "aux .x", "COM1", "lpt9", "a\xFF"})
    EXPECT_FALSE(IsPlainCollectionName(name)) << '"' << name << '"';
  EXPECT_TRUE(IsPlainCollectionName(std::string(251, 'x')));
  EXPECT_FALSE(IsPlainCollectionName(std::string(252, 'x'))) << "256 with .IC1: too long for Windows";
}

// Catches a lost or doubled separator for a directory with and without a trailing backslash.
TEST(CollectionPaths, DirectoryWithAndWithoutTrailingBackslash) {
  EXPECT_EQ(CollectionReadPath("C:\\PIC", "a.IC1") + CollectionReadPath("C:\\", "a.IC1"), "C:\\PIC\\a.IC1C:\\a.IC1");
  EXPECT_EQ(CollectionWritePath("C:\\PIC", "a") + CollectionWritePath("C:\\", "a"), "C:\\PIC\\a.IC1C:\\\\a.IC1");
  EXPECT_EQ(CollectionSearchPattern("C:\\PIC") + CollectionSearchPattern("C:\\"), "C:\\PIC\\*.IC1C:\\*.IC1");
}

}  // namespace
}  // namespace pictavo
