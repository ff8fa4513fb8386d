// The collection file codec: the reader's line rules, the exact bytes written, the code pages.
#include <gtest/gtest.h>

#include <memory>

#include "collections/CollectionFile.h"

namespace pictavo {
namespace {

const Windows1252CodePage kCp;

std::unique_ptr<CollectionInfo> Read(std::string_view bytes) {
  auto info = std::make_unique<CollectionInfo>();
  DecodeCollection(bytes, kCp, *info);
  return info;
}

struct KeyCase {
  const char* file;
  const char* name;
  const char* comment;
  bool inUse;
  int images;
  const char* why;
};

// Each row names the misreading it would catch.
const KeyCase kKeyCases[] = {
    {"name=Holiday\r\n", "Holiday", "", false, 0, "key case must not matter"},
    {" NAME=Holiday\r\n", "", "", false, 0, "a key after a leading space is no key"},
    {"NAME =Holiday\r\n", "", "", false, 0, "a space before = makes no key"},
    {"NAME=  Hol iday  \r\n", "Hol iday", "", false, 0, "values are trimmed, inner spaces kept"},
    {"NAME=\tX\t\r\n", "\tX\t", "", false, 0, "only spaces are trimmed"},
    {"NAME=a\r\nNAME=b\r\n", "b", "", false, 0, "the last occurrence wins"},
    {"COMMENT=c\r\nNAME=n\r\n", "n", "c", false, 0, "keys in any order, no header needed"},
    {"USE=YES\r\n", "", "", true, 0, "USE=YES is in use"},
    {"USE=  YES  \r\n", "", "", true, 0, "USE value is trimmed"},
    {"use=YES\r\n", "", "", true, 0, "USE key in any case"},
    {"USE=yes\r\n", "", "", false, 0, "only YES in capitals is in use"},
    {"USE=TRUE\r\n", "", "", false, 0, "TRUE is not YES"},
    {"USE=YES\r\nUSE=1\r\n", "", "", false, 0, "the last USE wins"},
    {"[images]\r\na^b\r\n", "", "", false, 1, "section header in any case"},
    {" [Images]\r\na^b\r\n", "", "", false, 0, "header is tested untrimmed (leading space)"},
    {"[Images] \r\na^b\r\n", "", "", false, 0, "header is tested untrimmed (trailing space)"},
    {"[Images]\r\nNAME=x\r\n", "", "", false, 1, "no way back from the images section"},
    {"NAME=x", "x", "", false, 0, "last line without line end is read"},
    {"NAME=x\rCOMMENT=y\r", "x", "y", false, 0, "a lone CR ends a line"},
    {"NAME=x\nCOMMENT=y\n", "x\nCOMMENT=y\n", "", false, 0, "a lone LF does not end a line"},
    {"NAME=x\r\r\nCOMMENT=y", "x", "y", false, 0, "CR CR LF is a line and an empty line"},
    {"", "", "", false, 0, "a zero-byte file reads as an empty collection"},
    {"\r\n\r\n", "", "", false, 0, "only empty lines"},
    {"[Images]\r\n\r\n   \r\na^b\r\n\r\n", "", "", false, 1, "empty and blank image lines do not count"},
};

TEST(CollectionReader, KeyAndSectionRules) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(c.why);
    const auto info = Read(c.file);
    EXPECT_EQ(info->Name, c.name);
    EXPECT_EQ(info->Comment, c.comment);
    EXPECT_EQ(info->InUse, c.inUse);
    EXPECT_EQ(info->ImageCount, c.images);
  }
}

TEST(CollectionReader, ImageLineSplitsAtFirstCaretAfterTrimming) {
  const auto info = Read(
      "[Images]\r\n  beach.jpg^Holiday 1  \r\na.jpg^x^y\r\nend.jpg^\r\nbare name.jpg\r\n^only title\r\n");
  ASSERT_EQ(info->ImageCount, 5);
  const std::pair<const char*, const char*> expected[] = {
      {"beach.jpg", "Holiday 1"}, {"a.jpg", "x^y"}, {"end.jpg", ""}, {"bare name.jpg", ""}, {"", "only title"}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(info->Images[i].File, expected[i].first) << i;
    EXPECT_EQ(info->Images[i].Title, expected[i].second) << i;
  }
}

// Catches an overrun of the fixed 513-entry array or a 16-bit counter overflow.
TEST(CollectionReader, KeepsTheFirst513ImagesOfALongerList) {
  std::string file = "[Images]\r\n";
  for (int i = 0; i < 40000; ++i) file += std::to_string(i) + ".jpg^t\r\n";
  const auto info = Read(file);
  EXPECT_EQ(info->ImageCount, kMaxImages);
  EXPECT_EQ(info->Images[512].File, "512.jpg");
}

// A slot reused by a rescan must not carry the last collection's data into the next file written.
TEST(CollectionReader, FillsAnEmptiedRecordButLeavesFileName) {
  auto info = std::make_unique<CollectionInfo>();
  info->Name = "Old";
  info->Comment = "old comment";
  info->Copyright = "old notice";
  info->InUse = true;
  info->ImageCount = 2;
  info->Images[0] = {"t", "old.jpg"};
  info->Images[3] = {"t", "stale.jpg"};
  info->FileName = "old.ic1";
  DecodeCollection("NAME=New\r\n[Images]\r\nnew.jpg^n\r\n", kCp, *info);
  EXPECT_EQ(info->Name, "New");
  EXPECT_EQ(info->Comment, "");
  EXPECT_EQ(info->Copyright, "");
  EXPECT_FALSE(info->InUse);
  EXPECT_EQ(info->ImageCount, 1);
  EXPECT_EQ(info->Images[3].File, "");
  EXPECT_EQ(info->FileName, "old.ic1");
}

TEST(CollectionReader, GarbageAndHugeLinesAreReadWithoutHarm) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const auto a = Read(garbage);
  EXPECT_LE(a->ImageCount, kMaxImages);
  const auto b = Read("NAME=" + std::string(3'000'000, 'x') + "\r\n[Images]\r\n" + std::string(1'000'000, '^'));
  EXPECT_EQ(b->Name.size(), 3'000'000u);
  EXPECT_EQ(b->ImageCount, 1);
  EXPECT_EQ(b->Images[0].Title.size(), 999'999u);
  const auto c = Read(std::string("NAME=a\0b\r\n", 10));
  EXPECT_EQ(c->Name, std::string("a\0b", 3));
}

CollectionInfo Holiday() {
  CollectionInfo info;
  info.Name = "Holiday";
  info.Comment = "Summer 1998";
  info.InUse = true;
  info.ImageCount = 2;
  info.Images[0] = {"Holiday 1", "beach.jpg"};
  info.Images[1] = {"Holiday 2", "harbour.bmp"};
  info.Images[2] = {"stale", "not written.jpg"};
  return info;
}

TEST(CollectionWriter, WritesTheExactLinesWithCrLfOnEveryLine) {
  EXPECT_EQ(EncodeCollection(Holiday(), kCp),
            "[Collection Info]\r\nNAME=Holiday\r\nCOMMENT=Summer 1998\r\nCOPYRIGHT=\r\nUSE=YES\r\n\r\n"
            "[Images]\r\nbeach.jpg^Holiday 1\r\nharbour.bmp^Holiday 2\r\n");
  CollectionInfo empty;
  empty.Name = "E";
  EXPECT_EQ(EncodeCollection(empty, kCp),
            "[Collection Info]\r\nNAME=E\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=NO\r\n\r\n[Images]\r\n");
}

TEST(CollectionWriter, ImageCountOutOfRangeIsClamped) {
  CollectionInfo info = Holiday();
  info.ImageCount = -5;
  EXPECT_EQ(Read(EncodeCollection(info, kCp))->ImageCount, 0);
  info.ImageCount = 30000;  // must not read past the array
  EXPECT_EQ(Read(EncodeCollection(info, kCp))->ImageCount, kMaxImages);
}

// A CR typed or pasted into a value must not become a line of its own, such as USE=YES.
TEST(CollectionWriter, CarriageReturnInAValueCannotInjectALine) {
  CollectionInfo info = Holiday();
  info.InUse = false;
  info.Comment = "a\r\nUSE=YES\rb";
  info.Images[0].Title = "t\r[Images]";
  const auto back = Read(EncodeCollection(info, kCp));
  EXPECT_FALSE(back->InUse);
  EXPECT_EQ(back->Comment, "a USE=YES b");
  EXPECT_EQ(back->ImageCount, 2);
}

TEST(CollectionWriter, ReadsBackWhatItWrote) {
  CollectionInfo info = Holiday();
  info.Copyright = "\xC2\xA9 2024 Ann";
  info.Images[1].Title = "a ^ caret";
  const auto back = Read(EncodeCollection(info, kCp));
  EXPECT_EQ(back->Name, info.Name);
  EXPECT_EQ(back->Comment, info.Comment);
  EXPECT_EQ(back->Copyright, info.Copyright);
  EXPECT_EQ(back->InUse, info.InUse);
  ASSERT_EQ(back->ImageCount, 2);
  EXPECT_EQ(back->Images[1].File, "harbour.bmp");
  EXPECT_EQ(back->Images[1].Title, "a ^ caret");
}

TEST(CollectionEncoding, AnsiFileWithCopyrightByteGoesBackByteForByte) {
  const std::string file =
      "[Collection Info]\r\nNAME=Caf\xE9\r\nCOMMENT=\x80 5\r\nCOPYRIGHT=\xA9 Ann\r\nUSE=NO\r\n\r\n[Images]\r\n"
      "\xFC.jpg^\x81\x8D\x8F\x90\x9D\r\n";
  const auto info = Read(file);
  EXPECT_EQ(info->Copyright, "\xC2\xA9 Ann");
  EXPECT_EQ(info->Comment, "\xE2\x82\xAC 5");
  EXPECT_EQ(EncodeCollection(*info, kCp), file);
}

TEST(CollectionEncoding, TextOutsideTheCodePageIsWrittenAsUtf8WithBom) {
  CollectionInfo info = Holiday();
  info.Comment = "\xE6\x97\xA5\xE6\x9C\xAC";  // not in Windows-1252
  info.Copyright = "\xC2\xA9";
  const std::string bytes = EncodeCollection(info, kCp);
  ASSERT_EQ(bytes.substr(0, 3), kUtf8Bom);
  EXPECT_NE(bytes.find("COPYRIGHT=\xC2\xA9\r\n"), std::string::npos);
  const auto back = Read(bytes);
  EXPECT_EQ(back->Comment, info.Comment);
  EXPECT_EQ(back->Copyright, info.Copyright);
  EXPECT_EQ(back->Name, "Holiday");  // the BOM must not stick to the first line
}

TEST(CollectionEncoding, InvalidUtf8AfterBomBecomesReplacementCharacters) {
  const auto info = Read("\xEF\xBB\xBFNAME=a\xFF\xC0\xAF\xED\xA0\x80z\r\n");
  EXPECT_TRUE(IsValidUtf8(info->Name));
  EXPECT_EQ(info->Name.front(), 'a');
  EXPECT_EQ(info->Name.back(), 'z');
}

TEST(CollectionEncoding, Windows1252MapsEveryByteBothWays) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = kCp.AnsiToUtf8(all);
  EXPECT_EQ(kCp.AnsiToUtf8("\xA9"), "\xC2\xA9");
  EXPECT_EQ(kCp.Utf8ToAnsi(utf8), all);
  EXPECT_FALSE(kCp.Utf8ToAnsi("\xC2\x80").has_value()) << "U+0080 has no byte in 1252";
  EXPECT_FALSE(kCp.Utf8ToAnsi("\xC5\x81").has_value()) << "no best fit: L with stroke is not L";
  EXPECT_FALSE(kCp.Utf8ToAnsi("\xFF").has_value()) << "invalid UTF-8 does not fit";
}

struct NameCase {
  const char* name;
  bool plain;
};

// Refusing too little writes outside the images directory or to a device; too much loses names.
TEST(CollectionName, OnlyPlainFileNamesAreWritten) {
  const NameCase cases[] = {
      {"Holiday", true},      {"Summer 1998", true},   {"a..b", true},         {".hidden", true},
      {"Caf\xC3\xA9", true},  {"CONSOLE", true},       {"COM10", true},        {"LPT", true},
      {"", false},            {"..", false},           {".", false},           {"...", false},
      {"..\\x", false},       {"a/b", false},          {"C:x", false},         {"a*", false},
      {"a?", false},          {"a\"b", false},         {"a<b", false},         {"a>b", false},
      {"a|b", false},         {"a\tb", false},         {"a\x7F", false},       {"trailing.", false},
      {"trailing ", false},   {"CON", false},          {"con", false},         {"Nul.txt", false},
      {"aux .x", false},      {"PRN", false},          {"COM1", false},        {"lpt9", false},
      {"COM0", false},        {"COM\xC2\xB9", false},  {"CONIN$", false},      {"a\xFF", false},
  };
  for (const NameCase& c : cases) EXPECT_EQ(IsPlainCollectionName(c.name), c.plain) << '"' << c.name << '"';
  EXPECT_TRUE(IsPlainCollectionName(std::string(251, 'x')));
  EXPECT_FALSE(IsPlainCollectionName(std::string(252, 'x'))) << "256 with .IC1: too long for Windows";
  EXPECT_FALSE(IsPlainCollectionName(std::string(1, '\0')));
}

TEST(CollectionPaths, DirectoryWithAndWithoutTrailingBackslash) {
  EXPECT_EQ(CollectionReadPath("C:\\PICTAVO", "a.IC1"), "C:\\PICTAVO\\a.IC1");
  EXPECT_EQ(CollectionReadPath("C:\\", "a.IC1"), "C:\\a.IC1");
  EXPECT_EQ(CollectionWritePath("C:\\PICTAVO", "a"), "C:\\PICTAVO\\a.IC1");
  EXPECT_EQ(CollectionWritePath("C:\\", "a"), "C:\\\\a.IC1");
  EXPECT_EQ(CollectionSearchPattern("C:\\PICTAVO"), "C:\\PICTAVO\\*.IC1");
  EXPECT_EQ(CollectionSearchPattern("C:\\"), "C:\\*.IC1");
}

}  // namespace
}  // namespace pictavo
