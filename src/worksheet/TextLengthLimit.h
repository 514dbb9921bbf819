#pragma once

#include <QObject>

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
    void contentsChanged(int position, int added);
    void enforce();

    QPlainTextEdit* edit_;
    int maxLength_;
    int changeStart_ = 0;
    int changeEnd_ = 0;
};

} // namespace kalden
