#include "gui/platform/MemoText.h"

#include "worksheet/TextAreaLines.h"

namespace kalden {

ReportLines linesOfMemoText(const QString& text) { return textAreaLines(text.toStdString()); }

QString memoTextOfLines(const ReportLines& lines) {
    QString text;
    for (const std::string& line : lines) {
        text += QString::fromStdString(line);
        text += u'\n';
    }
    return text;
}

} // namespace kalden
