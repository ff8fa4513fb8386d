// The collections on a real Windows file system (under Wine): listing, atomic replace, code page,
// and the scan and rewrite of the images directory end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "collections/Collections_win.h"
#include "platform/Owned_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

// Catches hidden or system files, directories or an 8.3 look-alike (c.ic1old) taken for collections.
TEST(WindowsFileSystem, ListsOrdinaryCollectionFilesOnly) {
  test::TempDir dir;
  const std::pair<const wchar_t*, DWORD> files[] = {
      {L"a.IC1", 0}, {L"b.ic1", 0}, {L"c.ic1old", 0}, {L"hidden.IC1", FILE_ATTRIBUTE_HIDDEN},
      {L"system.IC1", FILE_ATTRIBUTE_SYSTEM}, {L"ro.IC1", FILE_ATTRIBUTE_READONLY}};
  for (const auto& [name, attributes] : files) {
    dir.Write(name, "x");
    if (attributes) ::SetFileAttributesW(dir.File(name).c_str(), attributes);
  }
  ASSERT_TRUE(::CreateDirectoryW(dir.File(L"x.IC1").c_str(), nullptr));
  std::vector<std::string> names = WindowsFileSystem().ListFiles(dir.Utf8() + "\\*.IC1");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.IC1", "b.ic1", "ro.IC1"}));
}

// A stand-in for ReplaceFileW that fails after moving the old file aside, as it can on a real volume;
// with gLoseReplacement it loses the new file as well.
std::wstring gBackupSeen;
bool gLoseReplacement = false;
BOOL WINAPI FailsHalfWay(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD, LPVOID, LPVOID) {
  gBackupSeen = backup != nullptr ? backup : L"";
  ::MoveFileW(replaced, backup);
  if (gLoseReplacement) ::DeleteFileW(replacement);
  ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
  return FALSE;
}

// Catches a replace that truncates, or that loses or changes the old file when it fails: a read-only
// file, a directory, a target held open by another program (no delete sharing), and a replace that fails
// half way, after which the new file must be in place, or else the old one back; and a temporary or
// backup file left behind. Also a removal that fails without saying why (read-only, held open).
TEST(WindowsFileSystem, ReplaceIsAtomicAndAFailedOneNeverLosesTheCollection) {
  test::TempDir dir;
  WindowsFileSystem fs;
  const std::string path = dir.Utf8() + "\\a.IC1";
  const auto names = [&] {
    std::vector<std::string> names = fs.ListFiles(dir.Utf8() + "\\*");
    std::sort(names.begin(), names.end());
    return names;
  };
  ASSERT_TRUE(fs.ReplaceWholeFile(path, "first, longer"));
  ASSERT_TRUE(fs.ReplaceWholeFile(path, "old"));
  EXPECT_EQ(dir.Read(L"a.IC1"), "old");
  dir.Write(L"ro.IC1", "old content");
  ::SetFileAttributesW(dir.File(L"ro.IC1").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(fs.ReplaceWholeFile(dir.Utf8() + "\\ro.IC1", "new"));
  EXPECT_EQ(fs.RemoveFile(dir.Utf8() + "\\ro.IC1"), Removal::ReadOnly);
  EXPECT_EQ(dir.Read(L"ro.IC1"), "old content");
  ASSERT_TRUE(::CreateDirectoryW(dir.File(L"dir.IC1").c_str(), nullptr));
  EXPECT_FALSE(fs.ReplaceWholeFile(dir.Utf8() + "\\dir.IC1", "new"));
  {
    UniqueFile held(::CreateFileW(dir.File(L"a.IC1").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(fs.ReplaceWholeFile(path, "new"));
    EXPECT_EQ(fs.RemoveFile(path), Removal::InUse);
  }
  EXPECT_EQ(dir.Read(L"a.IC1"), "old");
  EXPECT_EQ(names(), (std::vector<std::string>{"a.IC1", "ro.IC1"})) << "no temporary file remains";

  EXPECT_TRUE(WindowsFileSystem(&FailsHalfWay).ReplaceWholeFile(path, "new"));
  EXPECT_FALSE(gBackupSeen.empty()) << "the replace is given a backup name";
  EXPECT_EQ(dir.Read(L"a.IC1"), "new");
  EXPECT_EQ(names(), (std::vector<std::string>{"a.IC1", "ro.IC1"}));
  gLoseReplacement = true;
  EXPECT_FALSE(WindowsFileSystem(&FailsHalfWay).ReplaceWholeFile(path, "newer"));
  EXPECT_EQ(dir.Read(L"a.IC1"), "new") << "the old file is put back";
  EXPECT_EQ(names(), (std::vector<std::string>{"a.IC1", "ro.IC1"}));
}

// Catches a line end swallowed by a stray lead byte (932), and bytes that are not valid in the code page
// (0xE9 under UTF-8, a lone lead byte under 932) read as replacement characters rather than as
// Windows-1252, so that a rewrite would replace the user's letters by U+FFFD.
TEST(WindowsAnsiCodePage, EveryLineIsReadWithoutReplacementCharacters) {
  const struct { unsigned cp; std::string file; std::string name, comment; } rows[] = {
      {1252, "NAME=Caf\xE9\r\nCOMMENT=\x80\x81\r\n", "Caf\xC3\xA9", "\xE2\x82\xAC\xC2\x81"},
      {65001, "NAME=Caf\xE9\r\nCOMMENT=\xE6\x97\xA5\r\n", "Caf\xC3\xA9", "\xE6\x97\xA5"},
      {932, "NAME=ab\x82\rCOMMENT=\x93\xFA\r\n", "ab\xE2\x80\x9A", "\xE6\x97\xA5"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.cp);
    const WindowsAnsiCodePage cp(row.cp);
    auto info = std::make_unique<CollectionInfo>();
    DecodeCollection(row.file, cp, *info);
    EXPECT_EQ(info->Name + "|" + info->Comment, row.name + "|" + row.comment);
    const std::string written = EncodeCollection(*info, cp);
    EXPECT_EQ(written.find("\xEF\xBF\xBD"), std::string::npos) << "no U+FFFD is ever written";
    DecodeCollection(written, cp, *info);
    EXPECT_EQ(info->Name + "|" + info->Comment, row.name + "|" + row.comment);
  }
}

// End to end on disk: an ANSI file (0xA9) written back byte for byte, a rename to a non-ASCII name (UTF-8
// with BOM, old file removed), a case-only rename that keeps the file, no best-fit mangling of text outside
// the code page, and the next scan finding it all again. Also catches a file edited by hand while the
// settings dialog is open being overwritten at OK, or holding back the others. The code page is Windows-1252
// whatever the machine's, so that every check runs everywhere.
TEST(CollectionsOnDisk, LoadAndSaveTheImagesDirectory) {
  test::TempDir dir;
  WindowsFileSystem files;
  const WindowsAnsiCodePage western(1252);
  const CollectionIo io{files, western};
  const auto load = [&] { return LoadCollections(io, dir.Utf8(), gCollections, gCollectionCount, gCollectionScan); };
  const std::string ansi = "[Collection Info]\r\nNAME=Ansi\r\nCOMMENT=Caf\xE9\r\nCOPYRIGHT=\xA9 1998 Ann\r\n"
                           "USE=YES\r\n\r\n[Images]\r\nbeach.jpg^Holiday 1\r\n";
  dir.Write(L"Ansi.IC1", ansi);
  dir.Write(L"old.ic1", "NAME=Old\r\n");
  dir.Write(L"holiday.ic1", "NAME=Holiday\r\n");
  dir.Write(L"a.IC1", "NAME=a\r\n[Images]\r\nx.jpg^1\r\n");
  ASSERT_TRUE(load());
  ASSERT_EQ(gCollectionCount, 4);
  for (int i = 0; i < gCollectionCount; ++i) {
    if (gCollections[i].Name == "Old") gCollections[i].Name = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本
    if (gCollections[i].Name == "Holiday") gCollections[i].Comment = "\xE2\x88\x9E";  // ∞, best fit "8"
  }
  dir.Write(L"a.IC1", "NAME=a\r\n[Images]\r\nx.jpg^1\r\ny.jpg^typed in an editor\r\n");
  const SaveResult result = SaveCollections(io, dir.Utf8(), gCollections, gCollectionCount, gCollectionScan);
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].problem, SaveProblem::ChangedOnDisk);
  EXPECT_EQ(gCollections[result.failures[0].slot].Name, "a");
  EXPECT_TRUE(result.notRemoved.empty());
  EXPECT_NE(dir.Read(L"a.IC1").value_or("").find("typed in an editor"), std::string::npos);
  EXPECT_EQ(dir.Read(L"Ansi.IC1"), ansi);
  EXPECT_FALSE(dir.Exists(L"old.ic1"));
  EXPECT_EQ(dir.Read(L"\u65E5\u672C.IC1").value_or("").substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(dir.Read(L"Holiday.IC1").value_or("").substr(0, 3), "\xEF\xBB\xBF") << "holiday.ic1 must survive";

  for (CollectionInfo& slot : gCollections) slot = CollectionInfo{};
  ASSERT_TRUE(load());
  std::vector<std::string> names;
  for (int i = 0; i < gCollectionCount; ++i) names.push_back(gCollections[i].Name + "|" + gCollections[i].Comment);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Ansi|Caf\xC3\xA9", "Holiday|\xE2\x88\x9E", "a|", "\xE6\x97\xA5\xE6\x9C\xAC|"}));
}

}  // namespace
}  // namespace pictavo
