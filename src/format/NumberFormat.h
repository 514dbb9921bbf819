#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "stats/Extended.h"

namespace kalden {

// Printing of numbers, the same everywhere in the program: a value is first
// taken to 18 significant decimal digits, then rounded at the printed
// precision half away from zero (10.5 with no decimals prints 11, 0.0625 with
// three prints 0.063); a value that prints as zero carries no minus sign; a
// field width is a minimum and never cuts the number.

// The decimal separator of printed reports and messages. Read once at start
// from the user's locale (LC_NUMERIC); '.' until then.
char decimalSeparator();
void setDecimalSeparator(char separator);
// Reads LC_NUMERIC from the environment and keeps its decimal point (its
// first byte; a multi-byte separator falls back to '.'). The C library's own
// numeric locale is left at "C", so file formats are not affected.
void initDecimalSeparatorFromLocale();

// "%w.df" with the given separator.
std::string formatFixed(Extended value, int width, int decimals, char separator);
// "%w.df" with the report's separator.
std::string formatFixed(Extended value, int width, int decimals);
#if KALDEN_SOFTWARE_EXTENDED
// Where Extended is a software type, a double keeps its own fast way.
std::string formatFixed(double value, int width, int decimals, char separator);
std::string formatFixed(double value, int width, int decimals);
#endif
// "%1.6g"-style general format with at most `significant` digits, no
// trailing zeros and '.' as separator: the form in which restored numbers
// are put back into input fields, which accept only '.'.
std::string formatGeneral(Extended value, int significant = 6);

// A tiny printf over the items the report uses: %w.df (fixed point), %wd
// (integer), %s (text) and %% (percent sign). Numbers print with the
// report's separator. An item without a matching argument, or an argument of
// the wrong kind, is a programming error and throws std::logic_error.
using FormatArg = std::variant<Extended, double, int, std::string>;
std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args);
// The same text put on the end of `out`.
void appendFormatText(std::string& out, std::string_view pattern, std::initializer_list<FormatArg> args);

} // namespace kalden
