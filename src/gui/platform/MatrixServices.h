#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace kalden {

// The open-file dialog of the matrix window. The message boxes come from
// gui/platform/Services.h (MessageBoxes).
class MatrixFileDialog {
public:
    virtual ~MatrixFileDialog() = default;
    // An existing file chosen through the platform's open-file dialog, shown
    // with `filter` (patterns separated by ';', as "*.mtx;*.txt"); nothing
    // when the user cancels.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& filter) = 0;
};

// QFileDialog with the patterns as one entry "Matrix files (*.mtx *.txt)".
class QtMatrixFileDialog : public MatrixFileDialog {
public:
    std::optional<QString> openFileName(QWidget* parent, const QString& filter) override;
};

} // namespace kalden
