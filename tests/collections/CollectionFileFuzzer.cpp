// Arbitrary bytes as a collection file: the reader must never fail, and whatever it read must be
// written and read back to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "collections/CollectionFile.h"

namespace {

bool SameRecord(const pictavo::CollectionInfo& a, const pictavo::CollectionInfo& b) {
  bool same = a.Name == b.Name && a.Comment == b.Comment && a.Copyright == b.Copyright && a.InUse == b.InUse &&
              a.ImageCount == b.ImageCount;
  for (int i = 0; same && i < a.ImageCount; ++i) {
    same = a.Images[i].File == b.Images[i].File && a.Images[i].Title == b.Images[i].Title;
  }
  return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pictavo::Windows1252CodePage codePage;
  static auto first = std::make_unique<pictavo::CollectionInfo>();
  static auto second = std::make_unique<pictavo::CollectionInfo>();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  pictavo::DecodeCollection(bytes, codePage, *first);
  if (first->ImageCount < 0 || first->ImageCount > pictavo::kMaxImages) std::abort();
  const std::string written = pictavo::EncodeCollection(*first, codePage);
  pictavo::DecodeCollection(written, codePage, *second);
  if (!SameRecord(*first, *second)) std::abort();
  // Written bytes are stable: writing the record read back gives the same file again.
  if (pictavo::EncodeCollection(*second, codePage) != written) std::abort();
  pictavo::IsPlainCollectionName(first->Name);
  return 0;
}
