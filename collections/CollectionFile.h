// The ".IC1" collection file: its bytes <-> one CollectionInfo. Plain C++; the ANSI code page is handed in.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "collections/CollectionInfo.h"

namespace pictavo {

// The system's ANSI code page. Texts inside the program are UTF-8.
class CodePage {
 public:
  virtual ~CodePage() = default;
  // Empty when the bytes are not valid text in the code page.
  virtual std::optional<std::string> AnsiToUtf8(std::string_view ansi) const = 0;
  // Empty when a character does not fit the code page (or the text is not valid UTF-8).
  virtual std::optional<std::string> Utf8ToAnsi(std::string_view utf8) const = 0;
};

// Windows-1252 (Western), as Windows maps it: the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D
// stand for the control characters U+0081 ... U+009D, so every byte goes there and back unchanged.
class Windows1252CodePage final : public CodePage {
 public:
  std::optional<std::string> AnsiToUtf8(std::string_view ansi) const override;
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) const override;
  // Every byte has its character here, so this never fails.
  static std::string Decode(std::string_view ansi);
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kCollectionExtension = ".IC1";
// Larger files are not collection files; they are left alone rather than read in part.
inline constexpr size_t kMaxCollectionFileBytes = 16u * 1024u * 1024u;

// Fills `info` from the bytes of a collection file. Every field but FileName is emptied first. The bytes
// are split into lines first (CR LF or a lone CR), then each line is decoded: UTF-8 in a file with a
// byte-order mark, else the ANSI code page; a line that is not valid there is read as Windows-1252, which
// has a character for every byte. The first 513 image lines fill Images; the lines the record has no
// field for go to Kept. Never fails.
void DecodeCollection(std::string_view bytes, const CodePage& codePage, CollectionInfo& info);

// The bytes of the file for `info`: every line ends with CR LF. ANSI when every character fits the
// code page, else UTF-8 with a byte-order mark. A CR inside a value would end its line early and is
// written as a space; ImageCount is taken within 0 .. kMaxImages. The kept lines go back where the
// reader found them: the info lines after the USE line, the image lines after the last image.
std::string EncodeCollection(const CollectionInfo& info, const CodePage& codePage);

// True when Windows takes a file name for a device in every directory: CON, PRN, AUX, NUL, CLOCK$,
// CONIN$, CONOUT$, COM0 to COM9 and LPT0 to LPT9 (the superscript digits ¹ ² ³ count as digits there), in
// any letter case, whatever follows the first dot, and with spaces before that dot ignored: "COM1",
// "con.jpg", "aux.tar.gz" and "Nul .txt" are devices. The one rule for collection names and image lines.
bool IsDeviceName(std::string_view name);

// True when Name + ".IC1" is a plain file name in the images directory that reads back as Name: not
// empty, no path separator, no character Windows forbids in names (< > : " / \ | ? * and control
// characters), not only dots, no leading space (the reader trims it), no trailing dot or space, not a
// device name (IsDeviceName), valid UTF-8, and at most 255 UTF-16 units long.
bool IsPlainCollectionName(std::string_view name);

// Where the files are: the reader's path, the writer's path and the scan's pattern, each built from
// the images directory exactly as the program always has.
std::string CollectionReadPath(std::string_view imagesDir, std::string_view fileName);
std::string CollectionWritePath(std::string_view imagesDir, std::string_view name);
std::string CollectionSearchPattern(std::string_view imagesDir);

// UTF-8 helpers shared with the code pages.
bool IsValidUtf8(std::string_view text);
// Case-insensitive comparison for ASCII letters only.
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

}  // namespace pictavo
