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

// Codes -100 to -104 have entries of their own; every other code gets the generic entry.
const MessageEntry& MessageFor(int32_t code);

// The icon file of a kind, as it is appended to the program's directory ("\err.ico").
std::string_view IconFileName(MessageIcon icon);

// The title of the message dialog, the same for every code.
inline constexpr std::string_view kMessageTitle = "Must Be Important...";

}  // namespace pictavo
