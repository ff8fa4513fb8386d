#include "collections/CollectionFile.h"

#include <array>
#include <cstdint>

namespace pictavo {

namespace {

// Length of the valid UTF-8 sequence at text[pos] and its code point, or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF are not valid).
size_t DecodeUtf8At(std::string_view text, size_t pos, char32_t& cp) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b0 = byte(pos);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t length;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Bytes 0x80..0x9F of Windows-1252.
constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string_view TrimSpaceChars(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// The key at the very start of the line, in any letter case.
bool StartsWithKey(std::string_view line, std::string_view key) {
  return line.size() >= key.size() && EqualsAsciiNoCase(line.substr(0, key.size()), key);
}

// A CR would end the line early on reading; everything else is written as it is.
void AppendValue(std::string& out, std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r') {
      out += ' ';
      if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
    } else {
      out += value[i];
    }
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp;
    const size_t n = DecodeUtf8At(text, pos, cp);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string Windows1252CodePage::Decode(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 8);
  for (const char c : ansi) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? char32_t{k1252High[b - 0x80]} : char32_t{b});
  }
  return out;
}

std::optional<std::string> Windows1252CodePage::AnsiToUtf8(std::string_view ansi) const { return Decode(ansi); }

std::optional<std::string> Windows1252CodePage::Utf8ToAnsi(std::string_view utf8) const {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t cp;
    const size_t n = DecodeUtf8At(utf8, pos, cp);
    if (n == 0) return std::nullopt;
    pos += n;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    size_t i = 0;
    while (i < k1252High.size() && k1252High[i] != cp) ++i;
    if (i == k1252High.size()) return std::nullopt;
    out += static_cast<char>(0x80 + i);
  }
  return out;
}

void DecodeCollection(std::string_view bytes, const CodePage& codePage, CollectionInfo& info) {
  info.Name.clear();
  info.Comment.clear();
  info.Copyright.clear();
  info.InUse = false;
  info.ImageCount = 0;
  info.Kept = KeptLines{};
  for (ImageEntry& image : info.Images) {
    image.Title.clear();
    image.File.clear();
  }

  const bool utf8 = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
  if (utf8) bytes.remove_prefix(kUtf8Bom.size());
  // Lines are found in the bytes, before any decoding: a byte that the code page cannot place (a lead
  // byte without its second half) must not swallow the line end. In every ANSI code page of Windows a CR
  // byte is a CR, never the second half of a character.
  const auto decode = [&](std::string_view raw) -> std::string {
    if (utf8) return IsValidUtf8(raw) ? std::string(raw) : Windows1252CodePage::Decode(raw);
    std::optional<std::string> text = codePage.AnsiToUtf8(raw);
    return text ? std::move(*text) : Windows1252CodePage::Decode(raw);
  };
  const auto keep = [](std::string& kept, std::string_view line) {
    kept.append(line);
    kept += "\r\n";
  };

  bool inImages = false;
  int count = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    // A line ends at CR LF or at a lone CR; the last one may have no end at all.
    const size_t end = bytes.find('\r', pos);
    std::string_view raw;
    if (end == std::string_view::npos) {
      raw = bytes.substr(pos);
      pos = bytes.size();
    } else {
      raw = bytes.substr(pos, end - pos);
      pos = end + 1;
      if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    const std::string text = decode(raw);
    const std::string_view line(text);

    if (!inImages) {
      if (StartsWithKey(line, "NAME=")) {
        info.Name = TrimSpaceChars(line.substr(5));
      } else if (StartsWithKey(line, "COMMENT=")) {
        info.Comment = TrimSpaceChars(line.substr(8));
      } else if (StartsWithKey(line, "COPYRIGHT=")) {
        info.Copyright = TrimSpaceChars(line.substr(10));
      } else if (StartsWithKey(line, "USE=")) {
        info.InUse = TrimSpaceChars(line.substr(4)) == "YES";
      } else if (EqualsAsciiNoCase(line, "[IMAGES]")) {
        inImages = true;
      } else if (!TrimSpaceChars(line).empty() && !EqualsAsciiNoCase(line, "[Collection Info]")) {
        keep(info.Kept.info, line);  // a note, another key, a header with blanks around it
      }
      continue;
    }

    const std::string_view image = TrimSpaceChars(line);
    if (image.empty()) continue;
    if (count == kMaxImages) {
      keep(info.Kept.images, line);  // the record is full: the line goes back as it was
      continue;
    }
    ImageEntry& entry = info.Images[static_cast<size_t>(count++)];
    const size_t caret = image.find('^');
    if (caret == std::string_view::npos) {
      entry.File = image;  // no title given
    } else {
      entry.File = image.substr(0, caret);
      entry.Title = image.substr(caret + 1);
    }
  }
  info.ImageCount = static_cast<int16_t>(count);
}

std::string EncodeCollection(const CollectionInfo& info, const CodePage& codePage) {
  const int count = info.ImageCount < 0 ? 0 : info.ImageCount > kMaxImages ? kMaxImages : info.ImageCount;
  std::string text;
  text.reserve(128 + info.Name.size() + info.Comment.size() + info.Copyright.size() + 40u * count +
               info.Kept.info.size() + info.Kept.images.size());
  text += "[Collection Info]\r\nNAME=";
  AppendValue(text, info.Name);
  text += "\r\nCOMMENT=";
  AppendValue(text, info.Comment);
  text += "\r\nCOPYRIGHT=";
  AppendValue(text, info.Copyright);
  text += info.InUse ? "\r\nUSE=YES\r\n" : "\r\nUSE=NO\r\n";
  text += info.Kept.info;
  text += "\r\n[Images]\r\n";
  for (int i = 0; i < count; ++i) {
    const ImageEntry& image = info.Images[static_cast<size_t>(i)];
    AppendValue(text, image.File);
    text += '^';
    AppendValue(text, image.Title);
    text += "\r\n";
  }
  text += info.Kept.images;
  if (std::optional<std::string> ansi = codePage.Utf8ToAnsi(text)) return std::move(*ansi);
  text.insert(0, kUtf8Bom);
  return text;
}

bool IsPlainCollectionName(std::string_view name) {
  if (name.empty() || !IsValidUtf8(name)) return false;
  if (name.front() == ' ' || name.back() == '.' || name.back() == ' ') return false;
  if (name.find_first_not_of('.') == std::string_view::npos) return false;
  size_t utf16Units = kCollectionExtension.size();
  for (size_t pos = 0; pos < name.size();) {
    char32_t cp;
    const size_t n = DecodeUtf8At(name, pos, cp);
    pos += n;
    utf16Units += cp >= 0x10000 ? 2 : 1;
    if (cp < 0x20 || cp == 0x7F) return false;
    switch (cp) {
      case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
        return false;
      default:
        break;
    }
  }
  return utf16Units <= 255 && !IsDeviceName(name);
}

bool IsDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"}) {
    if (EqualsAsciiNoCase(stem, device)) return true;
  }
  if (stem.size() < 4 || (!EqualsAsciiNoCase(stem.substr(0, 3), "COM") && !EqualsAsciiNoCase(stem.substr(0, 3), "LPT")))
    return false;
  const std::string_view number = stem.substr(3);
  if (number.size() == 1) return number[0] >= '0' && number[0] <= '9';
  return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string CollectionReadPath(std::string_view imagesDir, std::string_view fileName) {
  std::string path(imagesDir);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += fileName;
  return path;
}

std::string CollectionWritePath(std::string_view imagesDir, std::string_view name) {
  std::string path(imagesDir);
  path += '\\';
  path += name;
  path += kCollectionExtension;
  return path;
}

std::string CollectionSearchPattern(std::string_view imagesDir) {
  std::string pattern(imagesDir);
  pattern += !pattern.empty() && pattern.back() == '\\' ? "*" : "\\*";
  pattern += kCollectionExtension;
  return pattern;
}

}  // namespace pictavo
