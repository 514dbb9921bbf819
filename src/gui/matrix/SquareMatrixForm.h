#pragma once

#include <vector>

#include <QDialog>
#include <QPushButton>
#include <QString>

#include "gui/platform/MatrixServices.h"
#include "gui/platform/Services.h"
#include "matrix/WorkMatrix.h"

class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace kalden {

// The window's three buttons, each a class of its own.
class MatrixButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};
class ClearMatrixButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};
class ReturnMatrixButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};

// The texts of the window's message boxes.
inline const QString MatrixRangeMessage =
    QStringLiteral("Valid matrix values are BETWEEN -1 and 1. Please re-enter matrix values");
inline const QString ClearMatrixQuestion = QStringLiteral("Clear data from matrix ?");
QString zeroCellQuestion(int row, int column);
inline const QString MatrixTitleDefault = QStringLiteral("Title:");

// The matrix entry window "SqMatFrm", built at run time: a grid of small
// edit cells, one per row r and column c (only c <= r with a lower triangle),
// the cell in row r, column c showing element (c, r) of the work matrix.
// "Continue" checks the cells column by column and writes them back,
// "Clear Data" zeroes the off-diagonal cells, "Return to Worksheet" leaves
// without reading them; "Open Matrix File..." fills the cells from a matrix
// file. The window is always 800 x 600 pixels; scroll bars appear from 21
// columns or 30 rows. It has no close box and ignores the window manager's
// close request and the Escape key: it is left only through its buttons.
class TfrmSquareMatrix : public QDialog {
    Q_OBJECT

public:
    // `owner` becomes the parent window.
    TfrmSquareMatrix(WorkMatrix& workMatrix, MatrixDimensions size, const QString& caption, bool lowerTriangleOnly,
                     QWidget* owner, const QString& sideTitle, const QString& bottomTitle, MessageBoxes& boxes,
                     MatrixFileDialog& files);

    // Made no larger than `room`; the cells scroll within what is left.
    void fitInto(QSize room);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    bool lowerTriangleOnly() const { return lowerTriangleOnly_; }
    // The cell in row `row`, column `column`; nullptr where the window has none.
    QLineEdit* cell(int row, int column) const;
    bool zeroConfirmed(int row, int column) const;

    // Controls. The cells, buttons and panels, placed in the window's
    // coordinates, lie on `client`, the scrolled client area.
    QScrollArea* scroller = nullptr;
    QWidget* client = nullptr;
    QFrame* pnlMatrix = nullptr;
    QFrame* pnlButtons = nullptr;
    MatrixButton* CloseBtn = nullptr;        // "Continue"
    ClearMatrixButton* ClearBtn = nullptr;   // "Clear Data"
    ReturnMatrixButton* ReturnBtn = nullptr; // "Return to Worksheet"
    QPushButton* OpenBtn = nullptr;          // "Open Matrix File..."
    QLineEdit* txtTitle = nullptr;           // the matrix title, "Title:" when there is none
    QLabel* lblMatrixTitle = nullptr;        // hidden
    QLabel* lblBottomTitle = nullptr;        // hidden
    std::vector<QLabel*> lblColumns;         // [k - 1]: column number k
    std::vector<QLabel*> lblRows;            // [k - 1]: row number k
    std::vector<QLabel*> lblSideTitle;       // one per character of the side title

public slots:
    void CloseBtnClick();
    void ClearBtnClick();
    void ReturnBtnClick();
    void OpenBtnClick();

public:
    // Escape does not leave the window.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Cell {
        QLineEdit* edit = nullptr;
        bool zeroConfirmed = false;
    };
    Cell* cellAt(int row, int column);
    const Cell* cellAt(int row, int column) const;
    // buildWindow makes the controls in this order, one builder a part.
    void buildWindow(const QString& sideTitle, const QString& bottomTitle);
    void buildScroller();
    int buildPanels(int sideTitleLength); // returns the panels' width
    std::vector<QWidget*> buildCells(const QFont& smallFont);
    void buildNumberLabels(const QFont& smallFont);
    void buildSideTitle(const QString& sideTitle);
    void buildHiddenTitles(int panelWidth, const QString& bottomTitle);
    void buildButtons(int buttonTop);
    void focusCell(int row, int column);
    void leave(int result);

    WorkMatrix& workMatrix_;
    int columns_;
    int rows_;
    bool lowerTriangleOnly_;
    MessageBoxes& boxes_;
    MatrixFileDialog& files_;
    std::vector<Cell> cells_; // [(row - 1) * columns + (column - 1)]
    bool leaving_ = false;
};

// How the matrix window was left: "Continue" with every cell accepted, or
// "Return to Worksheet".
enum class MatrixEntry { Accepted, Cancelled };

// Builds the matrix window for `workMatrix` (size: columns and rows, each 1
// to 50), centres it on the screen, shows it modally and returns when it
// has closed; the window is destroyed on return. After Accepted "Continue"
// has written the cells into `workMatrix` (element (c, r) from the cell in
// row r, column c, and with a lower triangle the mirror element (r, c)).
[[nodiscard]] MatrixEntry editSquareMatrix(WorkMatrix& workMatrix, MatrixDimensions size, const QString& caption,
                                           bool lowerTriangleOnly, QWidget* owner, const QString& sideTitle,
                                           const QString& bottomTitle, MessageBoxes& boxes, MatrixFileDialog& files);

} // namespace kalden
