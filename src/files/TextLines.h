#pragma once

#include <string_view>
#include <vector>

namespace kalden {

// The lines of a text file as written on any of the usual systems: a line
// ends at CR LF, LF or a lone CR. A final line end starts no further line,
// and a last line without one is a line as well. The views point into `text`.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace kalden
