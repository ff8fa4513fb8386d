#include "ui/MessageCatalogue.h"

#include <array>

namespace pictavo {
namespace {

struct CodedEntry {
  int32_t code;
  MessageEntry entry;
};

constexpr std::array<CodedEntry, 16> kEntries{{
    {-100,
     {"Please supply a Collection Name.",
      "Before we can save your collection, we ask that you please give it a name. Choose a nice one that you "
      "will remember easily.",
      MessageIcon::Error}},
    {-101,
     {"Please add at least one image file.",
      "Before we can save your collection, we ask that you please supply us with at least one image file name. "
      "Click the Add Files button to do so, or Cancel to forget the whole thing.",
      MessageIcon::Error}},
    {-102,
     {"There were no collections available.",
      "There were no collections found in the directory where the screen saver is located. Click the Create "
      "Collection button to make a new one.",
      MessageIcon::Information}},
    {-103,
     {"Passwords are not supported.",
      "Under Windows 95, passwords are not supported by Pictavo. If you need passwords AND Pictavo, then Windows "
      "NT 4.0 will work just fine.",
      MessageIcon::Information}},
    {-104,
     {"There are no collections available.",
      "In the currently specified Images Directory, there are no image collections. Pictavo will tell you this "
      "again when the screen saver kicks in. Select a new directory to correct this.",
      MessageIcon::Information}},
    {-106,
     {"This Collection Name cannot be used.",
      "A collection is saved in a file named after it. Please leave out the characters \\ / : * ? \" < > |, do "
      "not end the name with a dot or a space, and avoid names Windows keeps for devices, such as CON or LPT1.",
      MessageIcon::Error}},
    {-107,
     {"Another collection has this name.",
      "Every collection is saved in a file named after it, so two collections cannot share a name, whatever the "
      "letter case. Please choose another name.",
      MessageIcon::Error}},
    {-108,
     {"This collection is full.",
      "A collection holds at most 513 images. The files beyond that were not added. Put them into another "
      "collection.",
      MessageIcon::Error}},
    {-109,
     {"Some image files could not be copied.",
      "Not every picked file could be copied into the Images Directory. Their names stay in the list; the show "
      "will not find them until they are there.",
      MessageIcon::Error}},
    {-110,
     {"There is no room for another collection.",
      "An Images Directory holds at most 65 collections. Delete a collection before you create a new one.",
      MessageIcon::Error}},
    {-111,
     {"Some collections could not be saved.",
      "Pictavo could not write every collection file into the Images Directory. Check that the directory exists "
      "and can be written to, then click OK again.",
      MessageIcon::Error}},
    {-112,
     {"Some image files were left out.",
      "A collection file cannot keep a file name that holds the character ^. Tick Copy image files to Image "
      "Directory to copy such files under a name without it, or rename them and add them again.",
      MessageIcon::Error}},
    {-113,
     {"The collection could not be deleted.",
      "Pictavo could not remove its file from the Images Directory. Check that the file is not read-only or open "
      "in another program, then try again.",
      MessageIcon::Error}},
    {-114,
     {"The settings could not be saved.",
      "The collections were saved, but Pictavo could not store the other settings for your user account, so "
      "they are as they were before. Click OK to try again, or Cancel to keep them as they were.",
      MessageIcon::Error}},
    {-115,
     {"An old file could not be removed.",
      "A renamed collection was saved under its new name, but its old file is still in the Images Directory, "
      "so the show would play its images twice. Check that the file is not read-only or open in another "
      "program, then click OK again.",
      MessageIcon::Error}},
    {-116,
     {"Only some settings were saved.",
      "The collections were saved, but Pictavo could store only some of the other settings for your user "
      "account, and could not put the earlier ones back. Click OK to try again.",
      MessageIcon::Error}},
}};

constexpr MessageEntry kGeneric{
    "An unknown error occurred.",
    "Some sort of unknown problem has arisen, and we're not sure how to handle it. We apologize for this "
    "inability to perform the task you requested.",
    MessageIcon::Error};

}  // namespace

const MessageEntry& MessageFor(int32_t code) {
  for (const CodedEntry& coded : kEntries) {
    if (coded.code == code) return coded.entry;
  }
  return kGeneric;
}

std::string_view IconFileName(MessageIcon icon) {
  return icon == MessageIcon::Information ? "\\info.ico" : "\\err.ico";
}

}  // namespace pictavo
