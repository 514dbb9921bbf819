#include "worksheet/TextLengthLimit.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace kalden {

TextLengthLimit::TextLengthLimit(QPlainTextEdit* edit, int maxLength)
    : QObject(edit), edit_(edit), maxLength_(maxLength) {
    connect(edit->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { contentsChanged(position, added); });
    // The document is changed again only once its own change is complete.
    connect(edit, &QPlainTextEdit::textChanged, this, &TextLengthLimit::enforce);
}

void TextLengthLimit::contentsChanged(int position, int added) {
    changeStart_ = position;
    changeEnd_ = position + added;
}

void TextLengthLimit::enforce() {
    QTextDocument* doc = edit_->document();
    // characterCount() includes the document's closing paragraph separator.
    const int length = doc->characterCount() - 1;
    const int excess = length - maxLength_;
    if (excess <= 0) return;
    // An insertion into an empty document reports one character more than
    // it holds, so the changed range is held to the text.
    int end = std::clamp(changeEnd_, 0, length);
    int start = std::clamp(changeStart_, 0, end);
    if (end - start < excess) { // not the last change alone: keep the first characters
        start = maxLength_;
        end = length;
    } else {
        start = end - excess;
    }
    const QString text = edit_->toPlainText();
    if (start > 0 && text.at(start - 1).isHighSurrogate()) --start;
    QTextCursor cursor(doc);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace kalden
