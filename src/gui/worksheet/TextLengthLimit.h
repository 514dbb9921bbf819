#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

namespace kalden {

// Holds a multi-line field to at most `maxLength` characters however the
// text arrives: typed, pasted (into an empty, a partly filled or a full
// field), dropped, or set by the program. Of a change that would go over the
// limit only what fits is kept, taken from its start; the text around it is
// untouched. A surrogate pair is never split.
class TextLengthLimit : public QObject {
public:
    TextLengthLimit(QPlainTextEdit* edit, int maxLength);

private:
    void enforce();

    QPlainTextEdit* edit_;
    int maxLength_;
    QString accepted_; // the text after the last change
};

} // namespace kalden
