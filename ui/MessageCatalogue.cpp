#include "ui/MessageCatalogue.h"

#include <array>

namespace pictavo {
namespace {

constexpr int32_t kFirstCode = -104;

// Indexed by code - kFirstCode: -104, -103, -102, -101, -100.
constexpr std::array<MessageEntry, 5> kEntries{{
    {"There are no collections available.",
     "In the currently specified Images Directory, there are no image collections. Pictavo will tell you this "
     "again when the screen saver kicks in. Select a new directory to correct this.",
     MessageIcon::Information},
    {"Passwords are not supported.",
     "Under Windows 95, passwords are not supported by Pictavo. If you need passwords AND Pictavo, then Windows "
     "NT 4.0 will work just fine.",
     MessageIcon::Information},
    {"There were no collections available.",
     "There were no collections found in the directory where the screen saver is located. Click the Create "
     "Collection button to make a new one.",
     MessageIcon::Information},
    {"Please add at least one image file.",
     "Before we can save your collection, we ask that you please supply us with at least one image file name. "
     "Click the Add Files button to do so, or Cancel to forget the whole thing.",
     MessageIcon::Error},
    {"Please supply a Collection Name.",
     "Before we can save your collection, we ask that you please give it a name. Choose a nice one that you "
     "will remember easily.",
     MessageIcon::Error},
}};

constexpr MessageEntry kGeneric{
    "An unknown error occurred.",
    "Some sort of unknown problem has arisen, and we're not sure how to handle it. We apologize for this "
    "inability to perform the task you requested.",
    MessageIcon::Error};

}  // namespace

const MessageEntry& MessageFor(int32_t code) {
  if (code < kFirstCode || code > kFirstCode + static_cast<int32_t>(kEntries.size()) - 1) return kGeneric;
  return kEntries[static_cast<size_t>(code - kFirstCode)];
}

std::string_view IconFileName(MessageIcon icon) {
  return icon == MessageIcon::Information ? "\\info.ico" : "\\err.ico";
}

}  // namespace pictavo
