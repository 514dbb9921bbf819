#include "gui/worksheet/TextLengthLimit.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace kalden {

TextLengthLimit::TextLengthLimit(QPlainTextEdit* edit, int maxLength)
    : QObject(edit), edit_(edit), maxLength_(maxLength), accepted_(edit->toPlainText()) {
    // The document is changed again only once its own change is complete.
    connect(edit, &QPlainTextEdit::textChanged, this, &TextLengthLimit::enforce);
}

// The document's own change reports are no guide to what arrived (a drop or
// a paste into an empty field reports the whole document as changed), so
// the new text is compared with the last accepted one: what lies between
// their common beginning and common end is what arrived.
void TextLengthLimit::enforce() {
    const QString text = edit_->toPlainText();
    const int length = static_cast<int>(text.size());
    const int excess = length - maxLength_;
    if (excess <= 0) {
        accepted_ = text;
        return;
    }
    const int before = static_cast<int>(accepted_.size());
    int prefix = 0;
    while (prefix < before && prefix < length && accepted_[prefix] == text[prefix]) ++prefix;
    int suffix = 0;
    while (suffix < before - prefix && suffix < length - prefix &&
           accepted_[before - 1 - suffix] == text[length - 1 - suffix])
        ++suffix;
    int end = length - suffix;
    int start = end - excess;
    if (start < prefix) { // more than the arrival to take away: keep the first characters
        start = maxLength_;
        end = length;
    }
    if (start > 0 && text.at(start - 1).isHighSurrogate()) --start;
    QTextCursor cursor(edit_->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText(); // runs enforce again, which accepts the result
}

} // namespace kalden
