#pragma once

#include <string>
#include <vector>

namespace kalden {

// The report text as an ordered list of lines, none carrying a terminator.
using ReportLines = std::vector<std::string>;

// A rule: one space followed by `count` underscores.
inline std::string rule(int count) { return " " + std::string(static_cast<std::size_t>(count), '_'); }

} // namespace kalden
