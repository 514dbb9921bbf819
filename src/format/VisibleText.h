#pragma once

#include <string>
#include <string_view>

namespace kalden {

// A stored or typed text made safe to show on a terminal or in one line of a
// table: nothing in it can move the cursor, retitle or clear the terminal,
// turn the text around or break the line. Written as escapes instead:
// - C0 controls and DEL as \xNN (a line feed stays when `keepLineFeeds`);
// - C1 controls, the line and paragraph separators and the bidirectional
//   marks, embeddings, overrides and isolates (U+061C, U+200E, U+200F,
//   U+202A to U+202E, U+2066 to U+2069) as \uNNNN;
// - bytes that are not UTF-8 (which some terminals take for C1 controls) as
//   \xNN.
// Everything else is left as it is.
std::string visibleText(std::string_view text, bool keepLineFeeds = false);

// A message of the core (its line breaks carriage returns, as the warning
// box takes them) as lines of a message log: each carriage return a line
// feed, every other control character escaped.
std::string messageText(std::string_view message);

} // namespace kalden
