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
//   U+202A to U+202E, U+2066 to U+2069) and the noncharacters U+FFFE and
//   U+FFFF as \uNNNN;
// - bytes that are not UTF-8 (which some terminals take for C1 controls) as
//   \xNN.
// Everything else is left as it is.
std::string visibleText(std::string_view text, bool keepLineFeeds = false);

// A message of the core (its line breaks carriage returns, as the warning
// box takes them) as lines of a message log: each carriage return a line
// feed, every other control character escaped.
std::string messageText(std::string_view message);

// A text for a heading or a title, which must stay one line and read in
// order (a chart's title, a PDF's header, a summary's heading): tabs, line
// and paragraph breaks (Word's vertical tab among them) become blanks, and
// everything else `visibleText` escapes is escaped. The result is also valid
// as XML character data once markup is escaped.
std::string oneLineText(std::string_view text);

} // namespace kalden
