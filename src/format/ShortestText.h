#pragma once

#include <string>

#include "stats/Extended.h"

namespace kalden {

// A number as machines read it back: the shortest text that reads back to
// exactly `value`, written as std::to_chars writes it without a format (fixed
// or scientific notation, whichever is shorter, fixed on a tie), with '.' as
// the decimal point whatever the locale. An Extended gives the digits of its
// 64-bit significand on every target, a software one included.
void appendShortest(std::string& out, double value);
void appendShortest(std::string& out, const Extended& value);

} // namespace kalden
