#include "gui/platform/MemoText.h"

namespace kalden {

ReportLines linesOfMemoText(const QString& text) {
    ReportLines lines;
    if (text.isEmpty()) return lines;
    QString current;
    for (const QChar c : text) {
        if (c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            lines.push_back(current.toStdString());
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty()) lines.push_back(current.toStdString());
    return lines;
}

QString memoTextOfLines(const ReportLines& lines) {
    QString text;
    for (const std::string& line : lines) {
        text += QString::fromStdString(line);
        text += u'\n';
    }
    return text;
}

} // namespace kalden
