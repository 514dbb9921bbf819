#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "format/VisibleText.h"

namespace kalden::cli {

// A text from the input or the store (a file name, an id, a field, a note)
// as kalden-report shows it on a terminal: controls, bidirectional overrides
// and bytes that are not UTF-8 written as escapes (visibleText), so that
// nothing the text holds can move the cursor, retitle the terminal, turn the
// line around or forge a line. A line feed stays when `keepLineFeeds` (the
// message's own line breaks).
std::string escapeControls(std::string_view text, bool keepLineFeeds = false);

// Whether standard output is a terminal, where even a CSV or JSON text is
// shown escaped (a file or a pipe gets the bytes as they are).
bool standardOutputIsTerminal();

// A message of the core as standard error shows it: kalden::messageText.
using kalden::messageText;

// Reports a failed write to standard output with the system's reason for
// `code`; gives the exit status for it.
int cannotWriteStandardOutput(int code, std::ostream& err);

} // namespace kalden::cli
