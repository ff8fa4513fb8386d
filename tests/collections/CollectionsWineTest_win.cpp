// The collections on a real Windows file system (under Wine): listing, atomic replace, code page,
// and the scan and rewrite of the images directory end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "app/Settings.h"
#include "collections/Collections_win.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::TempDir;

// Every name in the directory, temporary files included.
std::vector<std::wstring> AllNames(const TempDir& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir.path() + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void MakeWritable(const TempDir& dir) {
  for (const std::wstring& name : AllNames(dir)) ::SetFileAttributesW(dir.File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Listing filters: a hidden file, a system file, a directory named like a collection file and a
// short-name look-alike must all stay out; letter case of the extension does not matter.
TEST(WindowsFileSystem, ListsOrdinaryCollectionFilesOnly) {
  TempDir dir;
  dir.Write(L"a.IC1", "a");
  dir.Write(L"b.ic1", "b");
  dir.Write(L"hidden.IC1", "h");
  ::SetFileAttributesW(dir.File(L"hidden.IC1").c_str(), FILE_ATTRIBUTE_HIDDEN);
  dir.Write(L"system.IC1", "s");
  ::SetFileAttributesW(dir.File(L"system.IC1").c_str(), FILE_ATTRIBUTE_SYSTEM);
  dir.Write(L"readonly.IC1", "r");
  ::SetFileAttributesW(dir.File(L"readonly.IC1").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(::CreateDirectoryW(dir.File(L"x.IC1").c_str(), nullptr));
  dir.Write(L"c.ic1old", "o");
  dir.Write(L"d.txt", "t");

  WindowsFileSystem fs;
  std::vector<std::string> names = fs.ListFiles(dir.Utf8() + "\\*.IC1");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.IC1", "b.ic1", "readonly.IC1"}));
  EXPECT_TRUE(fs.ListFiles(dir.Utf8() + "\\nothere\\*.IC1").empty());
  MakeWritable(dir);
}

TEST(WindowsFileSystem, ReplaceWritesWholeFilesAndLeavesNoTemporaryFile) {
  TempDir dir;
  WindowsFileSystem fs;
  const std::string path = dir.Utf8() + "\\new.IC1";
  ASSERT_TRUE(fs.ReplaceWholeFile(path, "first"));
  ASSERT_TRUE(fs.ReplaceWholeFile(path, "second, longer"));
  ASSERT_TRUE(fs.ReplaceWholeFile(path, "3"));
  EXPECT_EQ(dir.Read(L"new.IC1"), "3") << "an old longer file must not leave a tail";
  EXPECT_EQ(fs.ReadWholeFile(path, 100), "3");
  EXPECT_FALSE(fs.ReadWholeFile(path, 0).has_value()) << "files above the limit are not read";
  EXPECT_EQ(AllNames(dir), std::vector<std::wstring>{L"new.IC1"});
}

TEST(WindowsFileSystem, FailedReplaceKeepsTheOldFileAndRemovesTheTemporary) {
  TempDir dir;
  WindowsFileSystem fs;
  dir.Write(L"ro.IC1", "old content");
  ::SetFileAttributesW(dir.File(L"ro.IC1").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(fs.ReplaceWholeFile(dir.Utf8() + "\\ro.IC1", "new"));
  EXPECT_EQ(dir.Read(L"ro.IC1"), "old content");

  ASSERT_TRUE(::CreateDirectoryW(dir.File(L"dir.IC1").c_str(), nullptr));
  EXPECT_FALSE(fs.ReplaceWholeFile(dir.Utf8() + "\\dir.IC1", "new")) << "a directory is not replaced";

  const std::string tooLong = dir.Utf8() + "\\" + std::string(300, 'x') + ".IC1";
  EXPECT_FALSE(fs.ReplaceWholeFile(tooLong, "new"));
  EXPECT_FALSE(fs.ReplaceWholeFile(dir.Utf8() + "\\missing\\a.IC1", "new"));
  EXPECT_EQ(AllNames(dir), (std::vector<std::wstring>{L"dir.IC1", L"ro.IC1"}));
  MakeWritable(dir);
}

TEST(WindowsFileSystem, NonAsciiNamesWork) {
  TempDir dir;
  WindowsFileSystem fs;
  const std::string name = "\xC3\x9C" "rlaub \xE6\x97\xA5\xE6\x9C\xAC.IC1";  // Ürlaub 日本
  ASSERT_TRUE(fs.ReplaceWholeFile(dir.Utf8() + "\\" + name, "x"));
  EXPECT_EQ(fs.ListFiles(dir.Utf8() + "\\*.IC1"), std::vector<std::string>{name});
  EXPECT_EQ(fs.ReadWholeFile(dir.Utf8() + "\\" + name, 10), "x");
  EXPECT_TRUE(fs.EntryExists(dir.Utf8() + "\\" + name));
  EXPECT_TRUE(fs.SameFileName(name, "\xC3\xBC" "RLAUB \xE6\x97\xA5\xE6\x9C\xAC.ic1")) << "case folding beyond ASCII";
  EXPECT_FALSE(fs.SameFileName("a.IC1", "b.IC1"));
  EXPECT_TRUE(fs.RemoveFile(dir.Utf8() + "\\" + name));
  EXPECT_FALSE(fs.EntryExists(dir.Utf8() + "\\" + name));
}

TEST(WindowsAnsiCodePage, WesternBytesGoThereAndBackUnchanged) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << ::GetACP();
  const WindowsAnsiCodePage cp;
  EXPECT_EQ(cp.AnsiToUtf8("\xA9"), "\xC2\xA9");
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(cp.Utf8ToAnsi(cp.AnsiToUtf8(all)), all);
  EXPECT_EQ(cp.AnsiToUtf8(all), Windows1252CodePage().AnsiToUtf8(all)) << "the test code page matches Windows";
  EXPECT_FALSE(cp.Utf8ToAnsi("\xE6\x97\xA5").has_value());
  EXPECT_FALSE(cp.Utf8ToAnsi("\xC5\x81").has_value()) << "best fit would turn L with stroke into L";
  EXPECT_FALSE(cp.Utf8ToAnsi("\xE2\x88\x9E").has_value()) << "best fit would turn infinity into 8";
}

TEST(WindowsAnsiCodePage, Utf8AnsiCodePageTakesEverything) {
  const WindowsAnsiCodePage cp(CP_UTF8);
  EXPECT_EQ(cp.Utf8ToAnsi("\xE6\x97\xA5 \xC2\xA9"), "\xE6\x97\xA5 \xC2\xA9");
  EXPECT_EQ(cp.AnsiToUtf8("\xE6\x97\xA5"), "\xE6\x97\xA5");
}

class CollectionsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    gImagesDir = dir.Utf8();
    gCollectionCount = 0;
  }
  TempDir dir;
};

TEST_F(CollectionsOnDisk, AnsiFileReadsAndWritesBackByteForByte) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << ::GetACP();
  const std::string file =
      "[Collection Info]\r\nNAME=Holiday\r\nCOMMENT=Caf\xE9\r\nCOPYRIGHT=\xA9 1998 Ann\r\nUSE=YES\r\n\r\n"
      "[Images]\r\nbeach.jpg^Holiday 1\r\n";
  dir.Write(L"Holiday.IC1", file);
  ASSERT_TRUE(LoadCollections());
  ASSERT_EQ(gCollectionCount, 1);
  EXPECT_EQ(gCollections[0].Copyright, "\xC2\xA9 1998 Ann");
  EXPECT_EQ(gCollections[0].FileName, "Holiday.IC1");
  EXPECT_TRUE(SaveCollections().AllWritten());
  EXPECT_EQ(dir.Read(L"Holiday.IC1"), file);
}

TEST_F(CollectionsOnDisk, RenameCaseOnlyAndNonAsciiNamesEndToEnd) {
  dir.Write(L"old.ic1", "NAME=Old\r\n[Images]\r\na.jpg^A 1\r\n");
  dir.Write(L"holiday.ic1", "NAME=Holiday\r\n");
  dir.Write(L"broken.IC1", "x");
  ::SetFileAttributesW(dir.File(L"broken.IC1").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(LoadCollections());
  ASSERT_EQ(gCollectionCount, 2);
  for (int i = 0; i < gCollectionCount; ++i) {
    if (gCollections[i].Name == "Old") gCollections[i].Name = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本
  }
  const SaveResult result = SaveCollections();
  EXPECT_TRUE(result.AllWritten());
  EXPECT_TRUE(result.notRemoved.empty());
  EXPECT_FALSE(dir.Exists(L"old.ic1"));
  EXPECT_TRUE(dir.Exists(L"Holiday.IC1")) << "holiday.ic1 is the same file and must survive";
  EXPECT_EQ(dir.Read(L"broken.IC1"), "x") << "a file the scan did not read is left alone";
  const std::optional<std::string> nihon = dir.Read(L"\u65E5\u672C.IC1");
  ASSERT_TRUE(nihon.has_value());
  EXPECT_EQ(nihon->substr(0, 3), "\xEF\xBB\xBF") << "a name outside the code page is kept as UTF-8";

  // And the next show finds both again.
  for (CollectionInfo& slot : gCollections) slot = CollectionInfo{};
  ASSERT_TRUE(LoadCollections());
  ASSERT_EQ(gCollectionCount, 2);
  std::vector<std::string> names = {gCollections[0].Name, gCollections[1].Name};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Holiday", "\xE6\x97\xA5\xE6\x9C\xAC"}));
  ::SetFileAttributesW(dir.File(L"broken.IC1").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CollectionsOnDisk, TableFollowsListingOrder) {
  for (const wchar_t* name : {L"m.IC1", L"c.IC1", L"x.IC1", L"a.IC1"}) dir.Write(name, "NAME=n\r\n");
  const std::vector<std::string> listed = WindowsFileSystem().ListFiles(dir.Utf8() + "\\*.IC1");
  ASSERT_TRUE(LoadCollections());
  ASSERT_EQ(static_cast<size_t>(gCollectionCount), listed.size());
  for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(gCollections[i].FileName, listed[i]);
}

TEST_F(CollectionsOnDisk, EmptyOrMissingDirectoryHasNoCollections) {
  EXPECT_FALSE(LoadCollections());
  gImagesDir = dir.Utf8() + "\\missing";
  EXPECT_FALSE(LoadCollections());
  EXPECT_EQ(gCollectionCount, 0);
}

}  // namespace
}  // namespace pictavo
