#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalden {

// The lines of a multi-line text (the worksheet's notes, the results text,
// a notes cell of a batch file, the page's notes) as the worksheet's text
// areas have them: a line ends at CR LF, LF, CR, U+2028 (line separator) or
// U+2029 (paragraph separator); a break at the very end ends the last line
// and starts no new one, so "a\n" is the one line "a" and "a\n\n" is "a" and
// an empty line; an empty text has no lines. Text is UTF-8.
std::vector<std::string> textAreaLines(std::string_view text);

} // namespace kalden
