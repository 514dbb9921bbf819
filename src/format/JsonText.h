#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalden {

// The one JSON string writer of the program: `text` as a JSON string literal,
// quotes included. The quote, the backslash and the control characters are
// escaped (\b \t \n \f \r by name, the others as \u00XX); everything else is
// written as UTF-8 as it stands. JSON text must be Unicode, so a byte
// sequence that is not UTF-8 becomes U+FFFD: one for each maximal start of a
// sequence that breaks off, and one for each byte that cannot start one.
void appendJsonString(std::string& out, std::string_view text);
std::string jsonString(std::string_view text);
// An array of such strings: ["a","b"].
void appendJsonStrings(std::string& out, const std::vector<std::string>& texts);

} // namespace kalden
