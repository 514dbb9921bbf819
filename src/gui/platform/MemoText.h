#pragma once

#include <QString>

#include "report/ReportLines.h"

namespace kalden {

// Between a multi-line text area's text and its list of lines, as the
// text area's lines are defined: every line ends in a line break, the last
// one included, so the text of the lines a, b is "a\nb\n" and the caret can
// stand on the empty place after the last line. Reading takes the text apart
// at its line breaks (also a Unicode line or paragraph separator) and drops
// the one empty place after a final break; an empty text has no lines, and
// a final line the user typed without a break is a line as well.
ReportLines linesOfMemoText(const QString& text);
QString memoTextOfLines(const ReportLines& lines);

} // namespace kalden
