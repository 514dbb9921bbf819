#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "format/NumberFormat.h"

namespace kalden {

// The report text as an ordered list of lines, none carrying a terminator.
using ReportLines = std::vector<std::string>;

// A rule: one space followed by `count` underscores.
inline std::string rule(int count) {
    std::string line(static_cast<std::size_t>(count) + 1, '_');
    line.front() = ' ';
    return line;
}

// Where the lines of a report go as they are composed: onto a list of lines,
// or onto the end of one text, each followed by a line end, without a string
// made for every line on the way (a batch composes thousands of reports).
class LineSink {
public:
    LineSink(ReportLines& lines) : lines_(&lines) {} // NOLINT(google-explicit-constructor): any list of lines will do
    LineSink(std::string& text, std::string_view lineEnd) : text_(&text), lineEnd_(lineEnd) {}

    void add(std::string_view line);
    // The line formatText(pattern, args) gives.
    void addFormatted(std::string_view pattern, std::initializer_list<FormatArg> args);
    // The line rule(count) gives.
    void addRule(int count);

private:
    ReportLines* lines_ = nullptr;
    std::string* text_ = nullptr;
    std::string_view lineEnd_;
};

} // namespace kalden
