#include "setup/DirectoryBrowser.h"

#include <algorithm>

namespace pictavo {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

// The parts of a normalised path after its root.
std::vector<std::string> PartsOf(std::string_view path) {
  std::vector<std::string> parts;
  size_t pos = 3;
  while (pos < path.size()) {
    const size_t end = std::min(path.find('\\', pos), path.size());
    parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

std::string ParentOf(std::string_view path) {
  if (path.size() <= 3) return {};
  const size_t slash = path.rfind('\\');
  return std::string(path.substr(0, slash <= 2 ? 3 : slash));
}

}  // namespace

std::string NormalisedPath(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return {};
  const char letter = path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
  if (letter < 'A' || letter > 'Z') return {};
  std::vector<std::string_view> parts;
  size_t pos = 2;
  while (pos < path.size()) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = end;
  }
  std::string out{letter, ':', '\\'};
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

bool DirectoryBrowser::Open(std::string_view path) {
  const std::string open = NormalisedPath(path);
  if (open.empty()) return false;
  std::optional<std::vector<std::string>> subdirectories = source_.Subdirectories(open);
  if (!subdirectories) return false;
  std::sort(subdirectories->begin(), subdirectories->end(), LessNoCase);

  std::vector<DirectoryRow> rows;
  const std::string root = open.substr(0, 3);
  rows.push_back({root, root, 0, true});
  std::string at = root;
  for (const std::string& part : PartsOf(open)) {
    if (at.size() > 3) at += '\\';
    at += part;
    rows.push_back({part, at, static_cast<int>(rows.size()), true});
  }
  const int depth = static_cast<int>(rows.size());
  for (const std::string& name : *subdirectories) {
    rows.push_back({name, open.size() > 3 ? open + "\\" + name : open + name, depth, false});
  }
  openRow_ = static_cast<size_t>(depth - 1);
  rows_ = std::move(rows);
  openPath_ = open;
  return true;
}

bool DirectoryBrowser::OpenRow(size_t row) { return row < rows_.size() && Open(rows_[row].path); }

bool DirectoryBrowser::OpenNearest(std::string_view path) {
  for (std::string start : {NormalisedPath(path), NormalisedPath(source_.CurrentDirectory())}) {
    for (; !start.empty(); start = ParentOf(start)) {
      if (Open(start)) return true;
    }
  }
  return false;
}

bool DirectoryBrowser::SelectDrive(char letter) {
  const std::string root{letter, ':', '\\'};
  return Open(source_.CurrentDirectoryOf(letter)) || Open(root);
}

}  // namespace pictavo
