// Arbitrary bytes as a collection file: the reader must never fail, and nothing it read may be lost by a
// rewrite: reading the written file gives the same record and the same kept lines, and writing that
// again gives the same bytes. Run with the Western code page and with one that takes only UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "collections/CollectionFile.h"

namespace {

bool SameRecord(const pictavo::CollectionInfo& a, const pictavo::CollectionInfo& b) {
  bool same = a.Name == b.Name && a.Comment == b.Comment && a.Copyright == b.Copyright && a.InUse == b.InUse &&
              a.ImageCount == b.ImageCount && a.Kept == b.Kept;
  for (int i = 0; same && i < a.ImageCount; ++i) {
    same = a.Images[i].File == b.Images[i].File && a.Images[i].Title == b.Images[i].Title;
  }
  return same;
}

struct Utf8Only final : pictavo::CodePage {
  std::optional<std::string> AnsiToUtf8(std::string_view a) const override {
    return pictavo::IsValidUtf8(a) ? std::optional(std::string(a)) : std::nullopt;
  }
  std::optional<std::string> Utf8ToAnsi(std::string_view u) const override {
    return pictavo::IsValidUtf8(u) ? std::optional(std::string(u)) : std::nullopt;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pictavo::Windows1252CodePage western;
  static const Utf8Only utf8;
  static auto first = std::make_unique<pictavo::CollectionInfo>();
  static auto second = std::make_unique<pictavo::CollectionInfo>();
  if (size == 0) return 0;
  const pictavo::CodePage& codePage = data[0] & 1 ? static_cast<const pictavo::CodePage&>(utf8) : western;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  pictavo::DecodeCollection(bytes, codePage, *first);
  if (first->ImageCount < 0 || first->ImageCount > pictavo::kMaxImages) std::abort();
  const std::string written = pictavo::EncodeCollection(*first, codePage);
  pictavo::DecodeCollection(written, codePage, *second);
  if (!SameRecord(*first, *second)) std::abort();
  // Written bytes are stable: writing the record read back gives the same file again.
  if (pictavo::EncodeCollection(*second, codePage) != written) std::abort();
  if (written.find("\xEF\xBF\xBD") != std::string::npos && bytes.find("\xEF\xBF\xBD") == std::string_view::npos)
    std::abort();  // a replacement character that the input did not hold
  pictavo::IsPlainCollectionName(first->Name);
  return 0;
}
