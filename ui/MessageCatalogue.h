// The program's numbered notices: headline, body text and icon of each message code.
#pragma once
#include <cstdint>
#include <string_view>

namespace pictavo {

enum class MessageIcon { Error, Information };

struct MessageEntry {
  std::string_view headline;  // shown in bold on one line
  std::string_view body;      // shown word-wrapped below it
  MessageIcon icon;
};

// The codes the program raises.
namespace message {
inline constexpr int32_t kNoName = -100;             // the editor's name box is empty
inline constexpr int32_t kNoImages = -101;           // the editor's image list is empty
inline constexpr int32_t kNoneFound = -102;          // the settings dialog found no collection
inline constexpr int32_t kNoPasswords = -103;        // "/A"
inline constexpr int32_t kNoneAvailable = -104;      // OK with an empty collection table
inline constexpr int32_t kNameUnusable = -106;       // the name cannot be a file name
inline constexpr int32_t kNameTaken = -107;          // another collection has the name
inline constexpr int32_t kCollectionFull = -108;     // more than 513 images picked
inline constexpr int32_t kCopiesFailed = -109;       // some picked files could not be copied
inline constexpr int32_t kTableFull = -110;          // no room for another collection
inline constexpr int32_t kNotSaved = -111;           // some collection files could not be written
inline constexpr int32_t kCaretInFileName = -112;    // picked files whose names hold "^" were left out
inline constexpr int32_t kNotDeleted = -113;         // a collection's file could not be deleted
inline constexpr int32_t kSettingsNotSaved = -114;   // the settings could not be stored
inline constexpr int32_t kOldFileKept = -115;        // a renamed collection's old file could not be removed
inline constexpr int32_t kSettingsPartlySaved = -116;  // some settings were stored and not put back
inline constexpr int32_t kUnexpected = -1;           // a failure the program has no message for
}  // namespace message

// Codes -100 to -104 and -106 to -116 have entries of their own; every other code gets the
// generic entry.
const MessageEntry& MessageFor(int32_t code);

// The icon file of a kind, as it is appended to the program's directory ("\err.ico").
std::string_view IconFileName(MessageIcon icon);

// The title of the message dialog, the same for every code.
inline constexpr std::string_view kMessageTitle = "Must Be Important...";

}  // namespace pictavo
