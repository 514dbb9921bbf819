#include "gui/matrix/SquareMatrixForm.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "files/MatrixFile.h"
#include "format/NumberFormat.h"
#include "gui/platform/WindowHelpers.h"
#include "worksheet/InputValidation.h"

namespace kalden {

namespace {

constexpr int WindowWidth = 800;
constexpr int WindowHeight = 600;
constexpr int ScrollIncrement = 4;

constexpr int CellWidth = 37;
constexpr int CellHeight = 16;
int cellLeft(int column) { return CellWidth * (column - 1) + 33; }
int cellTop(int row) { return CellHeight * (row - 1) + 50; }
// Cells hold at most six characters; their texts are "%5.3f", at their
// widest a minus sign, a digit, a point and three digits.
constexpr int CellMaxLength = 6;
const QString WidestCellText = QStringLiteral("-0.999");

constexpr int PanelLeft = 7;
constexpr int PanelWidth = 780;
constexpr int MatrixPanelTop = 5;
constexpr int MatrixPanelHeight = 483;
constexpr int ButtonPanelTop = 500;
constexpr int ButtonPanelHeight = 49;
constexpr int ButtonTopInPanel = 6;
constexpr int ButtonWidth = 161;
constexpr int ButtonHeight = 37;
constexpr int ButtonFontPoints = 10;
constexpr int LabelHeight = 16;
constexpr int NumberLabelWidth = 15;
constexpr int SideTitleLabelWidth = 9;

constexpr int TitleLeft = 33;
constexpr int TitleTop = 14;
constexpr int TitleWidth = 740;

// The largest font whose widest cell text fits inside a cell: inside its
// 1-pixel border the edit keeps 2 pixels on either side and 1 above and below.
QFont cellFont(const QFont& base) {
    constexpr int roomWidth = CellWidth - 2 - 4;
    constexpr int roomHeight = CellHeight - 2 - 2;
    QFont font = base;
    for (int pixels = 12; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(WidestCellText) <= roomWidth && metrics.height() <= roomHeight) break;
    }
    return font;
}

const QString CellStyle = QStringLiteral(
    "QLineEdit[matrixCell=\"true\"] { border: 1px solid palette(mid); padding: 0px; }"
    "QLineEdit[matrixCell=\"true\"][readOnly=\"true\"] { color: blue; background: palette(window); }");

QString cellText(double value) { return QString::fromStdString(formatFixed(value, 5, 3, '.')); }

} // namespace

QString zeroCellQuestion(int row, int column) {
    return QStringLiteral("Do you want continue with cell (%1,%2) set to the default value of '0.000'?")
        .arg(row)
        .arg(column);
}

TfrmSquareMatrix::TfrmSquareMatrix(WorkMatrix& workMatrix, MatrixDimensions size, const QString& caption,
                                   bool lowerTriangleOnly, QWidget* owner, const QString& sideTitle,
                                   const QString& bottomTitle, MessageBoxes& boxes, MatrixFileDialog& files)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      workMatrix_(workMatrix),
      columns_(size.columns),
      rows_(size.rows),
      lowerTriangleOnly_(lowerTriangleOnly),
      boxes_(boxes),
      files_(files) {
    if (columns_ < 1 || columns_ > WorkMatrixOrder || rows_ < 1 || rows_ > WorkMatrixOrder)
        throw std::invalid_argument("the matrix window takes 1 to 50 columns and rows");
    setObjectName(QStringLiteral("SqMatFrm"));
    setWindowTitle(caption);
    setAccessibleName(caption);
    setModal(true);
    setFixedSize(WindowWidth, WindowHeight);
    cells_.resize(static_cast<std::size_t>(columns_ * rows_));
    buildWindow(sideTitle, bottomTitle);
}

// The designed size where the room allows; less where not, the cells
// scrolling within it.
void TfrmSquareMatrix::fitInto(QSize room) {
    const QSize size = QSize(WindowWidth, WindowHeight).boundedTo(room);
    setFixedSize(size);
    scroller->resize(size);
}

void TfrmSquareMatrix::buildWindow(const QString& sideTitle, const QString& bottomTitle) {
    buildScroller();
    const int panelWidth = buildPanels(static_cast<int>(sideTitle.size()));
    txtTitle = new QLineEdit(MatrixTitleDefault, client);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setAccessibleName(QStringLiteral("Matrix title"));
    txtTitle->setGeometry(TitleLeft, TitleTop, TitleWidth, std::max(24, txtTitle->sizeHint().height()));

    const QFont smallFont = cellFont(font());
    std::vector<QWidget*> tabChain = buildCells(smallFont);
    buildNumberLabels(smallFont);
    buildSideTitle(sideTitle);
    buildHiddenTitles(panelWidth, bottomTitle);
    buildButtons(pnlButtons->y() + ButtonTopInPanel);
    pressButtonsOnEnter(*this);

    // Tab order: the cells as created, then the buttons, then the title.
    tabChain.insert(tabChain.end(), {CloseBtn, ClearBtn, ReturnBtn, OpenBtn, txtTitle});
    for (std::size_t i = 1; i < tabChain.size(); ++i) setTabOrder(tabChain[i - 1], tabChain[i]);

    scroller->setWidget(client);
    // Where the window is smaller than the cells and buttons, the control
    // the focus reaches is scrolled into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && client->isAncestorOf(now)) scrollIntoView(*scroller, *now);
    });

    const auto first = std::find_if(tabChain.begin(), tabChain.end(),
                                    [](QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; });
    (*first)->setFocus();
}

void TfrmSquareMatrix::buildScroller() {
    scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scroller"));
    scroller->setAccessibleName(QStringLiteral("Matrix entry"));
    scroller->setGeometry(0, 0, WindowWidth, WindowHeight);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    scroller->horizontalScrollBar()->setSingleStep(ScrollIncrement);
    scroller->verticalScrollBar()->setSingleStep(ScrollIncrement);

    client = new QWidget;
    client->setObjectName(QStringLiteral("client"));
    client->setStyleSheet(CellStyle);
}

// The panels grow with a matrix too large for them, and the buttons move
// down below the column numbers, so that no control is covered or cut.
int TfrmSquareMatrix::buildPanels(int sideTitleLength) {
    const int panelWidth = std::max(PanelWidth, CellWidth * columns_ + 30);
    const int panelHeight =
        std::max({MatrixPanelHeight, CellHeight * rows_ + 60 + LabelHeight + 1, CellHeight * sideTitleLength + 37});
    const int buttonPanelTop = std::max(ButtonPanelTop, MatrixPanelTop + panelHeight + 2);
    client->setMinimumSize(PanelLeft + panelWidth + PanelLeft, buttonPanelTop + ButtonPanelHeight + 3);

    pnlMatrix = new QFrame(client);
    pnlMatrix->setObjectName(QStringLiteral("pnlMatrix"));
    pnlMatrix->setAccessibleName(QStringLiteral("Matrix"));
    pnlMatrix->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlMatrix->setGeometry(PanelLeft, MatrixPanelTop, panelWidth, panelHeight);

    pnlButtons = new QFrame(client);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setAccessibleName(QStringLiteral("Matrix buttons"));
    pnlButtons->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlButtons->setGeometry(PanelLeft, buttonPanelTop, panelWidth, ButtonPanelHeight);
    return panelWidth;
}

// The cells, row by row; returns them in that order for the tab chain.
std::vector<QWidget*> TfrmSquareMatrix::buildCells(const QFont& smallFont) {
    std::vector<QWidget*> tabChain;
    for (int r = 1; r <= rows_; ++r) {
        for (int c = 1; c <= columns_; ++c) {
            if (lowerTriangleOnly_ && c > r) continue;
            auto* edit = new QLineEdit(client);
            edit->setObjectName(QStringLiteral("mat%1x%2").arg(c).arg(r));
            edit->setAccessibleName(QStringLiteral("Row %1, column %2").arg(r).arg(c));
            edit->setProperty("matrixCell", true);
            edit->setFont(smallFont);
            edit->setMaxLength(CellMaxLength);
            edit->setGeometry(cellLeft(c), cellTop(r), CellWidth, CellHeight);
            edit->setText(cellText(workElement(workMatrix_, c, r)));
            if (r == c) {
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::ClickFocus); // not reached by Tab
            }
            cellAt(r, c)->edit = edit;
            tabChain.push_back(edit);
        }
    }
    return tabChain;
}

void TfrmSquareMatrix::buildNumberLabels(const QFont& smallFont) {
    const int numbersTop = CellHeight * rows_ + 60;
    for (int k = 1; k <= columns_; ++k) {
        auto* label = new QLabel(QString::number(k), pnlMatrix);
        label->setObjectName(QStringLiteral("lblColumn%1").arg(k));
        label->setAccessibleName(QStringLiteral("Column %1").arg(k));
        label->setFont(smallFont);
        label->setGeometry(CellWidth * (k - 1) + 44, numbersTop, NumberLabelWidth, LabelHeight);
        lblColumns.push_back(label);
    }
    lblRows.resize(static_cast<std::size_t>(rows_));
    for (int k = rows_; k >= 1; --k) {
        auto* label = new QLabel(QString::number(k), pnlMatrix);
        label->setObjectName(QStringLiteral("lblRow%1").arg(k));
        label->setAccessibleName(QStringLiteral("Row %1").arg(k));
        label->setFont(smallFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        label->setGeometry(7, CellHeight * (k - 1) + 50, NumberLabelWidth, LabelHeight);
        lblRows[static_cast<std::size_t>(k - 1)] = label;
    }
}

// One label per character of the side title, down the panel's left edge.
void TfrmSquareMatrix::buildSideTitle(const QString& sideTitle) {
    for (int i = 1; i <= static_cast<int>(sideTitle.size()); ++i) {
        auto* label = new QLabel(QString(sideTitle.at(i - 1)), pnlMatrix);
        label->setObjectName(QStringLiteral("lblSideTitle%1").arg(i));
        label->setAccessibleName(i == 1 ? sideTitle : QString());
        label->setGeometry(10, CellHeight * (i - 1) + 36, SideTitleLabelWidth, LabelHeight);
        lblSideTitle.push_back(label);
    }
}

void TfrmSquareMatrix::buildHiddenTitles(int panelWidth, const QString& bottomTitle) {
    lblMatrixTitle = new QLabel(QStringLiteral("Matrix title"), pnlMatrix);
    lblMatrixTitle->setObjectName(QStringLiteral("lblMatrixTitle"));
    lblMatrixTitle->setAccessibleName(QStringLiteral("Matrix title"));
    lblMatrixTitle->adjustSize();
    lblMatrixTitle->move((panelWidth - lblMatrixTitle->width()) / 2, 10);
    lblMatrixTitle->hide();
    lblBottomTitle = new QLabel(bottomTitle, pnlMatrix);
    lblBottomTitle->setObjectName(QStringLiteral("lblBottomTitle"));
    lblBottomTitle->setAccessibleName(QStringLiteral("Bottom title"));
    lblBottomTitle->adjustSize();
    lblBottomTitle->move(CellWidth * columns_ / 2 + 44 - lblBottomTitle->width() / 2, CellHeight * (rows_ + 2) + 30);
    lblBottomTitle->hide();
}

void TfrmSquareMatrix::buildButtons(int buttonTop) {
    QFont buttonFont = font();
    buttonFont.setPointSize(ButtonFontPoints);
    const auto placeButton = [&](QPushButton* button, const QString& name, int left) {
        button->setObjectName(name);
        button->setAccessibleName(button->text());
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setGeometry(left, buttonTop, ButtonWidth, ButtonHeight);
    };
    CloseBtn = new MatrixButton(QStringLiteral("Continue"), client);
    placeButton(CloseBtn, QStringLiteral("CloseBtn"), 16);
    ClearBtn = new ClearMatrixButton(QStringLiteral("Clear Data"), client);
    placeButton(ClearBtn, QStringLiteral("ClearBtn"), 216);
    ReturnBtn = new ReturnMatrixButton(QStringLiteral("Return to Worksheet"), client);
    placeButton(ReturnBtn, QStringLiteral("ReturnBtn"), 416);
    OpenBtn = new QPushButton(QStringLiteral("Open Matrix File..."), client);
    placeButton(OpenBtn, QStringLiteral("OpenBtn"), 616);
    connect(CloseBtn, &QPushButton::clicked, this, &TfrmSquareMatrix::CloseBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TfrmSquareMatrix::ClearBtnClick);
    connect(ReturnBtn, &QPushButton::clicked, this, &TfrmSquareMatrix::ReturnBtnClick);
    connect(OpenBtn, &QPushButton::clicked, this, &TfrmSquareMatrix::OpenBtnClick);
}

TfrmSquareMatrix::Cell* TfrmSquareMatrix::cellAt(int row, int column) {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return nullptr;
    return &cells_[static_cast<std::size_t>((row - 1) * columns_ + (column - 1))];
}

const TfrmSquareMatrix::Cell* TfrmSquareMatrix::cellAt(int row, int column) const {
    return const_cast<TfrmSquareMatrix*>(this)->cellAt(row, column);
}

QLineEdit* TfrmSquareMatrix::cell(int row, int column) const {
    const Cell* c = cellAt(row, column);
    return c ? c->edit : nullptr;
}

bool TfrmSquareMatrix::zeroConfirmed(int row, int column) const {
    const Cell* c = cellAt(row, column);
    return c && c->zeroConfirmed;
}

void TfrmSquareMatrix::focusCell(int row, int column) {
    QLineEdit* edit = cell(row, column);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    scrollIntoView(*scroller, *edit);
}

// The window's outcome: Accepted after "Continue", Rejected after "Return
// to Worksheet".
void TfrmSquareMatrix::leave(int result) {
    leaving_ = true;
    done(result);
}

void TfrmSquareMatrix::CloseBtnClick() {
    for (int c = 1; c <= columns_; ++c) {
        for (int r = 1; r <= rows_; ++r) {
            if (lowerTriangleOnly_ && r < c) continue;
            Cell& current = *cellAt(r, c);
            const std::string text = current.edit->text().toStdString();
            const ParseResult parsed = parseNumericText(text);
            const double value = parsed.value;
            if (!parsed.ok) {
                boxes_.warning(QString::fromStdString(parsed.message));
                focusCell(r, c);
                return;
            }
            const bool diagonal = r == c;
            if ((!diagonal && value >= 1.0) || value <= -1.0) {
                boxes_.information(MatrixRangeMessage);
                focusCell(r, c);
                return;
            }
            if (!diagonal && text == "0.000" && !current.zeroConfirmed) {
                if (!boxes_.confirm(zeroCellQuestion(r, c))) {
                    focusCell(r, c);
                    return;
                }
                current.zeroConfirmed = true;
            }
            workElement(workMatrix_, c, r) = value;
            if (lowerTriangleOnly_) workElement(workMatrix_, r, c) = value;
        }
    }
    leave(QDialog::Accepted);
}

void TfrmSquareMatrix::ClearBtnClick() {
    if (!boxes_.confirm(ClearMatrixQuestion)) return;
    for (int c = 1; c < columns_; ++c) {
        for (int r = c + 1; r <= columns_; ++r) {
            QLineEdit* edit = cell(r, c);
            if (!edit) continue; // a window with fewer rows than columns
            edit->setText(QStringLiteral("0.000"));
            workElement(workMatrix_, c, r) = 0.0;
        }
    }
    txtTitle->setText(MatrixTitleDefault);
}

void TfrmSquareMatrix::ReturnBtnClick() { leave(QDialog::Rejected); }

void TfrmSquareMatrix::OpenBtnClick() {
    const std::optional<QString> name = files_.openFileName(this, QString::fromLatin1(MatrixFileFilter));
    if (!name) return;
    const MatrixFileReading reading = readMatrixFile(QFile::encodeName(*name).toStdString(), rows_);
    if (!reading.ok()) {
        boxes_.error(QString::fromStdString(reading.error));
        return;
    }
    const MatrixFileContents& matrix = *reading.matrix;
    for (int i = 1; i <= static_cast<int>(matrix.rows.size()); ++i) {
        const std::vector<double>& row = matrix.rows[static_cast<std::size_t>(i - 1)];
        for (int j = 1; j <= i; ++j) {
            const QString text = cellText(row[static_cast<std::size_t>(j - 1)]);
            if (QLineEdit* edit = cell(i, j)) edit->setText(text);
            if (!lowerTriangleOnly_ && j != i)
                if (QLineEdit* mirror = cell(j, i)) mirror->setText(text);
        }
    }
    txtTitle->setText(matrix.title.empty() ? MatrixTitleDefault : QString::fromStdString(matrix.title));
}

void TfrmSquareMatrix::reject() {}

void TfrmSquareMatrix::closeEvent(QCloseEvent* event) {
    if (!leaving_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

MatrixEntry editSquareMatrix(WorkMatrix& workMatrix, MatrixDimensions size, const QString& caption,
                             bool lowerTriangleOnly, QWidget* owner, const QString& sideTitle,
                             const QString& bottomTitle, MessageBoxes& boxes, MatrixFileDialog& files) {
    TfrmSquareMatrix form(workMatrix, size, caption, lowerTriangleOnly, owner, sideTitle, bottomTitle, boxes, files);
    QScreen* screen = screenToOpenOn(owner);
    form.fitInto(roomOnScreen(form, screen));
    placeOnScreen(form, screen);
    return form.exec() == QDialog::Accepted ? MatrixEntry::Accepted : MatrixEntry::Cancelled;
}

} // namespace kalden
