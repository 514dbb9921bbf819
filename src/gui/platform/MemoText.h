#pragma once

#include <QString>

#include "report/ReportLines.h"

namespace kalden {

// Between a multi-line text area's text and its list of lines, as the
// text area's lines are defined (textAreaLines): every line ends in a line
// break, the last one included, so the text of the lines a, b is "a\nb\n"
// and the caret can stand on the empty place after the last line.
ReportLines linesOfMemoText(const QString& text);
QString memoTextOfLines(const ReportLines& lines);

} // namespace kalden
