#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <memory>

#include "GuiHarness.h"
#include "gui/matrix/SquareMatrixForm.h"

using namespace kalden;

namespace {

const QString InvalidEntry = QStringLiteral(
    "warning:There is an invalid data entry, which will be highlighted once you click 'OK', please re-enter.");
const QString Range = QStringLiteral("information:") + MatrixRangeMessage;
QString zeroAsked(int row, int column) { return QStringLiteral("confirm:") + zeroCellQuestion(row, column); }

// Questions not queued in `answers` are answered Yes unless a test says
// otherwise.
struct RecordingBoxes : kalden::testing::RecordingBoxes {
    RecordingBoxes() { defaultAnswer = true; }
};

class FakeFileDialog : public MatrixFileDialog {
public:
    std::optional<QString> choice;
    QStringList filters;
    std::optional<QString> openFileName(QWidget*, const QString& filter) override {
        filters << filter;
        return choice;
    }
};

WorkMatrix identity(int n) {
    WorkMatrix m{};
    for (int i = 1; i <= n; ++i) workElement(m, i, i) = 1.0;
    return m;
}

// One matrix entry: the work matrix, the fakes and the window over them.
struct Entry {
    WorkMatrix matrix;
    RecordingBoxes boxes;
    FakeFileDialog files;
    std::unique_ptr<TfrmSquareMatrix> form;

    explicit Entry(int n, WorkMatrix start, MatrixDimensions size = {}, const QString& sideTitle = QString())
        : matrix(start) {
        if (size.columns == 0) size = {n, n};
        form = std::make_unique<TfrmSquareMatrix>(matrix, size, QStringLiteral("Matrix Entry"), true, nullptr,
                                                  sideTitle, QString(), boxes, files);
        form->show();
    }
    explicit Entry(int n) : Entry(n, identity(n)) {}

    QLineEdit* cell(int row, int column) const { return form->cell(row, column); }
    bool open() const { return form->isVisible(); }
    QWidget* focused() const { return form->focusWidget(); }
};

bool symmetric(const WorkMatrix& m, int n) {
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            if (workElement(m, i, j) != workElement(m, j, i)) return false;
    return true;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) return QString();
    return path;
}

} // namespace

class SquareMatrixFormTest : public QObject {
    Q_OBJECT

private slots:

    // ---- Building the window -------------------------------------------

    void windowIsNamedCaptionedFixedAndHasNoCloseBox() {
        Entry e(3);
        QCOMPARE(e.form->objectName(), QStringLiteral("SqMatFrm"));
        QCOMPARE(e.form->windowTitle(), QStringLiteral("Matrix Entry"));
        QCOMPARE(e.form->size(), QSize(800, 600));
        QCOMPARE(e.form->minimumSize(), e.form->maximumSize());
        QVERIFY(e.form->isModal());
        QVERIFY(!(e.form->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(e.form->windowFlags() & Qt::WindowSystemMenuHint));
    }

    void cellsAreNamedPlacedAndFilledFromElementColumnRow() {
        WorkMatrix start = identity(3);
        workElement(start, 1, 2) = 0.25;   // shown in row 2, column 1
        workElement(start, 2, 1) = 0.9;    // the upper triangle has no cell
        workElement(start, 1, 3) = -0.5;   // row 3, column 1
        workElement(start, 2, 3) = 0.0625; // row 3, column 2: rounds half away from zero
        Entry e(3, start);
        struct Expected {
            int row, column;
            const char* name;
            const char* text;
        };
        const Expected cells[] = {{1, 1, "mat1x1", "1.000"},  {2, 1, "mat1x2", "0.250"}, {2, 2, "mat2x2", "1.000"},
                                  {3, 1, "mat1x3", "-0.500"}, {3, 2, "mat2x3", "0.063"}, {3, 3, "mat3x3", "1.000"}};
        for (const Expected& x : cells) {
            QLineEdit* c = e.cell(x.row, x.column);
            QVERIFY2(c, x.name);
            QCOMPARE(c->objectName(), QString::fromLatin1(x.name));
            QCOMPARE(c->text(), QString::fromLatin1(x.text));
            QCOMPARE(c->geometry(), QRect(37 * (x.column - 1) + 33, 16 * (x.row - 1) + 50, 37, 16));
            QCOMPARE(c->parentWidget(), e.form->client);
            QCOMPARE(c->maxLength(), 6);
            QCOMPARE(c->accessibleName(), QStringLiteral("Row %1, column %2").arg(x.row).arg(x.column));
            const bool diagonal = x.row == x.column;
            QCOMPARE(c->isReadOnly(), diagonal);
            QCOMPARE(bool(c->focusPolicy() & Qt::TabFocus), !diagonal);
            c->ensurePolished();
            QCOMPARE(c->palette().color(QPalette::Text) == QColor(Qt::blue), diagonal);
        }
        QVERIFY(!e.cell(1, 2));
        QVERIFY(!e.cell(2, 3));
        QCOMPARE(e.form->client->findChildren<QLineEdit*>(QRegularExpression("^mat")).size(), 6);
    }

    void buttonsPanelsAndLabelsStandWhereTheLayoutPutsThem() {
        Entry e(3, identity(3), {}, QStringLiteral("AB"));
        struct Button {
            QPushButton* button;
            const char* name;
            const char* caption;
            int left;
        };
        const Button buttons[] = {{e.form->CloseBtn, "CloseBtn", "Continue", 16},
                                  {e.form->ClearBtn, "ClearBtn", "Clear Data", 216},
                                  {e.form->ReturnBtn, "ReturnBtn", "Return to Worksheet", 416},
                                  {e.form->OpenBtn, "OpenBtn", "Open Matrix File...", 616}};
        for (const Button& b : buttons) {
            QCOMPARE(b.button->objectName(), QString::fromLatin1(b.name));
            QCOMPARE(b.button->text(), QString::fromLatin1(b.caption));
            QCOMPARE(b.button->accessibleName(), QString::fromLatin1(b.caption));
            QCOMPARE(b.button->geometry(), QRect(b.left, 506, 161, 37));
        }
        QVERIFY(e.form->CloseBtn->inherits("kalden::MatrixButton"));
        QVERIFY(e.form->ClearBtn->inherits("kalden::ClearMatrixButton"));
        QVERIFY(e.form->ReturnBtn->inherits("kalden::ReturnMatrixButton"));
        QCOMPARE(e.form->pnlMatrix->geometry(), QRect(7, 5, 780, 483));
        QCOMPARE(e.form->pnlButtons->geometry(), QRect(7, 500, 780, 49));
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title:"));

        QCOMPARE(int(e.form->lblColumns.size()), 3);
        QCOMPARE(int(e.form->lblRows.size()), 3);
        for (int k = 1; k <= 3; ++k) {
            QLabel* column = e.form->lblColumns[k - 1];
            QCOMPARE(column->text(), QString::number(k));
            QCOMPARE(column->geometry(), QRect(37 * (k - 1) + 44, 16 * 3 + 60, 15, 16));
            QLabel* row = e.form->lblRows[k - 1];
            QCOMPARE(row->text(), QString::number(k));
            QCOMPARE(row->geometry(), QRect(7, 16 * (k - 1) + 50, 15, 16));
            QVERIFY(row->alignment() & Qt::AlignHCenter);
            QCOMPARE(column->parentWidget(), e.form->pnlMatrix);
        }
        QCOMPARE(int(e.form->lblSideTitle.size()), 2);
        QCOMPARE(e.form->lblSideTitle[0]->text(), QStringLiteral("A"));
        QCOMPARE(e.form->lblSideTitle[0]->geometry(), QRect(10, 36, 9, 16));
        QCOMPARE(e.form->lblSideTitle[1]->text(), QStringLiteral("B"));
        QCOMPARE(e.form->lblSideTitle[1]->geometry(), QRect(10, 52, 9, 16));
        QVERIFY(e.form->lblMatrixTitle->isHidden());
        QVERIFY(e.form->lblBottomTitle->isHidden());

        Entry plain(2);
        QVERIFY(plain.form->lblSideTitle.empty());
    }

    void scrollBarsAppearFromTwentyOneColumnsAndThirtyRows() {
        struct Case {
            int columns, rows;
            bool horizontal, vertical;
        };
        const Case cases[] = {{1, 1, false, false},  {20, 20, false, false}, {20, 29, false, false},
                              {21, 21, true, false}, {30, 30, true, true},   {50, 50, true, true}};
        for (const Case& c : cases) {
            Entry e(c.rows, identity(c.rows), {c.columns, c.rows});
            QCoreApplication::processEvents();
            const QByteArray row = QByteArray::number(c.columns) + "x" + QByteArray::number(c.rows);
            QVERIFY2(e.form->size() == QSize(800, 600), row);
            QVERIFY2(e.form->scroller->horizontalScrollBar()->isVisible() == c.horizontal, row);
            QVERIFY2(e.form->scroller->verticalScrollBar()->isVisible() == c.vertical, row);
            QVERIFY2(e.form->scroller->horizontalScrollBar()->singleStep() == 4, row);
            QVERIFY2(e.form->scroller->verticalScrollBar()->value() == 0, row);
        }
    }

    void nothingIsClippedOrCoveredAtAnyOrder() {
        for (int n : {3, 20, 30, 50}) {
            Entry e(n);
            const QByteArray row = "n=" + QByteArray::number(n);
            QLineEdit* any = e.cell(n, 1);
            const QFontMetrics cellMetrics(any->font());
            // Inside the cell's border the edit keeps 2 pixels on either side, 1 above and below.
            QVERIFY2(cellMetrics.horizontalAdvance(QStringLiteral("-0.999")) <= 37 - 2 - 4, row);
            QVERIFY2(cellMetrics.height() <= 16 - 2 - 2, row);
            const QRect clientArea(QPoint(0, 0), e.form->client->minimumSize());
            QVERIFY2(clientArea.contains(e.cell(n, n)->geometry()), row);
            const QRect panel = e.form->pnlMatrix->geometry();
            for (QLabel* label : e.form->lblColumns) {
                QVERIFY2(QRect(QPoint(0, 0), panel.size()).contains(label->geometry()), row);
                QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(), row);
            }
            for (QPushButton* b :
                 {static_cast<QPushButton*>(e.form->CloseBtn), static_cast<QPushButton*>(e.form->ClearBtn),
                  static_cast<QPushButton*>(e.form->ReturnBtn), e.form->OpenBtn}) {
                QVERIFY2(b->sizeHint().width() <= b->width() && b->sizeHint().height() <= b->height(), row);
                QVERIFY2(e.form->pnlButtons->geometry().contains(b->geometry()), row);
                QVERIFY2(b->geometry().top() > panel.bottom(), row);
                QVERIFY2(clientArea.contains(b->geometry()), row);
            }
            QVERIFY2(e.form->txtTitle->sizeHint().height() <= e.form->txtTitle->height(), row);
            QVERIFY2(e.form->txtTitle->geometry().bottom() < e.cell(1, 1)->geometry().top(), row);
        }
    }

    void tabSkipsTheDiagonalAndEndsWithTheButtons() {
        Entry e(3);
        QApplication::setActiveWindow(e.form.get());
        QVERIFY(QTest::qWaitForWindowActive(e.form.get()));
        QCOMPARE(QApplication::focusWidget(), e.cell(2, 1)); // the first cell reached by Tab
        const QWidget* expected[] = {e.cell(3, 1),      e.cell(3, 2),    e.form->CloseBtn, e.form->ClearBtn,
                                     e.form->ReturnBtn, e.form->OpenBtn, e.form->txtTitle};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    // ---- Continue ---------------------------------------------------------

    void zeroQuestionForRowThreeColumnOnePutsThreeCommaOneBetweenTheParentheses() {
        QCOMPARE(zeroCellQuestion(3, 1),
                 QStringLiteral("Do you want continue with cell (3,1) set to the default value of '0.000'?"));
        Entry e(3);
        e.boxes.answers = {true, false};
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events.last(),
                 QStringLiteral("confirm:Do you want continue with cell (3,1) set to the default value of '0.000'?"));
    }

    void identityOfOrderThreeAsksThreeZeroQuestionsAndClosesOnYes() {
        Entry e(3);
        workElement(e.matrix, 4, 1) = 0.42; // outside the order: untouched
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(2, 1), zeroAsked(3, 1), zeroAsked(3, 2)}));
        QVERIFY(!e.open());
        QCOMPARE(e.form->result(), int(QDialog::Accepted));
        QVERIFY(e.matrix == [] {
            WorkMatrix m = identity(3);
            workElement(m, 4, 1) = 0.42;
            return m;
        }());
    }

    void zeroQuestionsFollowColumnOrder() {
        Entry e(4);
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(2, 1), zeroAsked(3, 1), zeroAsked(4, 1), zeroAsked(3, 2),
                                              zeroAsked(4, 2), zeroAsked(4, 3)}));
        QVERIFY(!e.open());
    }

    void continueWritesEveryCellAndItsMirror() {
        WorkMatrix start = identity(3);
        workElement(start, 1, 2) = 0.25;
        workElement(start, 2, 1) = 0.9; // stale mirror, overwritten
        workElement(start, 1, 3) = -0.5;
        workElement(start, 2, 3) = 0.125;
        Entry e(3, start);
        e.cell(3, 2)->setText(QStringLiteral(" .7"));
        e.form->CloseBtnClick();
        QVERIFY(e.boxes.events.isEmpty());
        QVERIFY(!e.open());
        QCOMPARE(workElement(e.matrix, 1, 2), 0.25);
        QCOMPARE(workElement(e.matrix, 2, 1), 0.25);
        QCOMPARE(workElement(e.matrix, 3, 1), -0.5);
        QCOMPARE(workElement(e.matrix, 2, 3), 0.7);
        QCOMPARE(workElement(e.matrix, 3, 2), 0.7);
        QVERIFY(symmetric(e.matrix, 3));
    }

    void noAtRowThreeColumnOneKeepsTheWindowOpenAndAsksOnlyFromThereNextTime() {
        WorkMatrix start = identity(3);
        workElement(start, 2, 1) = 0.6; // the mirror of the cell in row 2, column 1
        Entry e(3, start);
        e.boxes.answers = {true, false};
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(2, 1), zeroAsked(3, 1)}));
        QVERIFY(e.open());
        QCOMPARE(e.focused(), e.cell(3, 1));
        QCOMPARE(e.cell(3, 1)->selectedText(), QStringLiteral("0.000"));
        QVERIFY(e.form->zeroConfirmed(2, 1));
        QVERIFY(!e.form->zeroConfirmed(3, 1));
        QCOMPARE(workElement(e.matrix, 2, 1), 0.0); // stored before the stop

        e.boxes.events.clear();
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(3, 1), zeroAsked(3, 2)}));
        QVERIFY(!e.open());
        QCOMPARE(e.form->result(), int(QDialog::Accepted));
    }

    void anEmptiedCellOrAPlainZeroIsAcceptedWithoutAQuestion() {
        WorkMatrix start = identity(3);
        workElement(start, 1, 2) = 0.3;
        Entry e(3, start);
        e.cell(2, 1)->setText(QString());
        e.cell(3, 1)->setText(QStringLiteral("0"));
        e.cell(3, 2)->setText(QStringLiteral("0.00"));
        e.form->CloseBtnClick();
        QVERIFY(e.boxes.events.isEmpty());
        QVERIFY(!e.open());
        QVERIFY(e.matrix == identity(3));
    }

    void offDiagonalValuesMustLieStrictlyBetweenMinusOneAndOne() {
        struct Case {
            const char* text;
            bool accepted;
            double value;
        };
        const Case cases[] = {{"1", false, 0},          {"1.000", false, 0}, {"-1", false, 0},
                              {"1.5", false, 0},        {"-3", false, 0},    {"0.999", true, 0.999},
                              {"-0.999", true, -0.999}, {"  .5", true, 0.5}, {"-.25", true, -0.25}};
        for (const Case& c : cases) {
            Entry e(2);
            e.cell(2, 1)->setText(QString::fromLatin1(c.text));
            e.form->CloseBtnClick();
            QVERIFY2(e.open() != c.accepted, c.text);
            if (c.accepted) {
                QVERIFY2(e.boxes.events.isEmpty(), c.text);
                QVERIFY2(workElement(e.matrix, 1, 2) == c.value && workElement(e.matrix, 2, 1) == c.value, c.text);
            } else {
                QVERIFY2(e.boxes.events == QStringList{Range}, c.text);
                QVERIFY2(e.focused() == e.cell(2, 1), c.text);
                QVERIFY2(workElement(e.matrix, 1, 2) == 0.0, c.text);
            }
        }
    }

    void aDiagonalOfMinusOneGetsTheRangeMessageButADiagonalOfOnePasses() {
        WorkMatrix start = identity(2);
        workElement(start, 2, 2) = -1.0;
        Entry e(2, start);
        e.cell(2, 1)->setText(QStringLiteral("0.5"));
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList{Range});
        QVERIFY(e.open());
        QCOMPARE(e.focused(), e.cell(2, 2));
        QCOMPARE(workElement(e.matrix, 1, 1), 1.0); // the diagonal 1 passed and was stored
        QCOMPARE(workElement(e.matrix, 1, 2), 0.5);
    }

    void aTextThatIsNoNumberGetsTheScanMessageAndStopsThere() {
        for (const char* text : {"0.5-", "a", "1..2", " -5"}) {
            Entry e(3);
            e.cell(2, 1)->setText(QString::fromLatin1(text));
            e.cell(3, 1)->setText(QStringLiteral("7")); // not examined
            e.form->CloseBtnClick();
            QVERIFY2(e.boxes.events == QStringList{InvalidEntry}, text);
            QVERIFY2(e.open(), text);
            QVERIFY2(e.focused() == e.cell(2, 1), text);
            QVERIFY2(e.cell(2, 1)->selectedText() == QString::fromLatin1(text), text);
        }
    }

    void orderOneHasASingleReadOnlyCellAndContinueClosesAtOnce() {
        Entry e(1);
        QCOMPARE(e.form->client->findChildren<QLineEdit*>(QRegularExpression("^mat")).size(), 1);
        QCOMPARE(e.cell(1, 1)->text(), QStringLiteral("1.000"));
        QVERIFY(e.cell(1, 1)->isReadOnly());
        QCOMPARE(e.focused(), e.form->CloseBtn);
        e.form->CloseBtn->click();
        QVERIFY(e.boxes.events.isEmpty());
        QVERIFY(!e.open());
        QCOMPARE(workElement(e.matrix, 1, 1), 1.0);
        QCOMPARE(e.form->result(), int(QDialog::Accepted));
    }

    // ---- Return to Worksheet, closing ---------------------------------------

    void returnToWorksheetRejectsAndWritesNothing() {
        Entry e(3);
        e.cell(2, 1)->setText(QStringLiteral("0.5"));
        e.cell(3, 1)->setText(QStringLiteral("x"));
        e.form->ReturnBtn->click();
        QVERIFY(e.boxes.events.isEmpty());
        QVERIFY(!e.open());
        QCOMPARE(e.form->result(), int(QDialog::Rejected));
        QVERIFY(e.matrix == identity(3));
    }

    void theWindowManagersCloseRequestEscapeAndEnterAreIgnored() {
        Entry e(2);
        QVERIFY(!e.form->close());
        QVERIFY(e.open());
        QTest::keyClick(e.form.get(), Qt::Key_Escape);
        QVERIFY(e.open());
        QTest::keyClick(e.cell(2, 1), Qt::Key_Return); // no button is pressed by Enter in a cell
        QVERIFY(e.open());
        QVERIFY(e.boxes.events.isEmpty());
    }

    // ---- Clear Data -----------------------------------------------------------

    void clearDataOnYesZeroesTheOffDiagonalCellsAndResetsTheTitle() {
        WorkMatrix start = identity(3);
        workElement(start, 1, 3) = 0.5; // row 3, column 1
        Entry e(3, start);
        e.boxes.answers = {true, false}; // (2,1) confirmed, No at (3,2)
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(2, 1), zeroAsked(3, 2)}));
        e.form->txtTitle->setText(QStringLiteral("Title: mine"));

        e.boxes.events.clear();
        e.boxes.answers = {false};
        e.form->ClearBtn->click();
        QCOMPARE(e.boxes.events, QStringList{QStringLiteral("confirm:Clear data from matrix ?")});
        QCOMPARE(e.cell(3, 1)->text(), QStringLiteral("0.500"));
        QCOMPARE(workElement(e.matrix, 1, 3), 0.5);
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title: mine"));

        e.boxes.events.clear();
        e.boxes.answers = {true};
        e.form->ClearBtn->click();
        QCOMPARE(e.boxes.events, QStringList{QStringLiteral("confirm:Clear data from matrix ?")});
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= r; ++c)
                QCOMPARE(e.cell(r, c)->text(), r == c ? QStringLiteral("1.000") : QStringLiteral("0.000"));
        QCOMPARE(workElement(e.matrix, 1, 3), 0.0);
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title:"));
        QVERIFY(e.form->zeroConfirmed(2, 1)); // marks stay as they were
        QVERIFY(!e.form->zeroConfirmed(3, 1));
        QVERIFY(e.open());

        e.boxes.events.clear();
        e.form->CloseBtnClick();
        QCOMPARE(e.boxes.events, QStringList({zeroAsked(3, 1), zeroAsked(3, 2)}));
        QVERIFY(e.matrix == identity(3));
    }

    // ---- Matrix files -----------------------------------------------------------

    void openingAMatrixFileFillsTheCellsAndTheTitle() {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("four.mtx"),
                                       "Title: A sample matrix with four variables\r\n1.000\r\n0.234 1.000\r\n"
                                       "0.435 0.346 1.000\r\n0.664 0.564 0.389 1.000\r\n");
        QVERIFY(!path.isEmpty());
        Entry e(4);
        e.files.choice = path;
        e.form->OpenBtn->click();
        QCOMPARE(e.files.filters, QStringList{QStringLiteral("*.mtx;*.txt")});
        QVERIFY(e.boxes.events.isEmpty());
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title: A sample matrix with four variables"));
        const char* expected[4][4] = {{"1.000"},
                                      {"0.234", "1.000"},
                                      {"0.435", "0.346", "1.000"},
                                      {"0.664", "0.564", "0.389", "1.000"}};
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= r; ++c) QCOMPARE(e.cell(r, c)->text(), QString::fromLatin1(expected[r - 1][c - 1]));
        QVERIFY(e.matrix == identity(4)); // the cells are read by Continue, not before

        e.form->CloseBtnClick();
        QVERIFY(e.boxes.events.isEmpty());
        QVERIFY(!e.open());
        QCOMPARE(workElement(e.matrix, 1, 4), 0.664);
        QCOMPARE(workElement(e.matrix, 4, 1), 0.664);
        QCOMPARE(workElement(e.matrix, 3, 4), 0.389);
        QVERIFY(symmetric(e.matrix, 4));
    }

    void aFileWithoutTitleLeavesTheDefaultTitle() {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("two.txt"), "1\n.5 1\n\n");
        Entry e(2);
        e.form->txtTitle->setText(QStringLiteral("Title: old"));
        e.files.choice = path;
        e.form->OpenBtnClick();
        QVERIFY(e.boxes.events.isEmpty());
        QCOMPARE(e.cell(2, 1)->text(), QStringLiteral("0.500"));
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title:"));
    }

    void aBadFileShowsTheReadersMessageAndChangesNoCell() {
        QTemporaryDir dir;
        struct Case {
            const char* name;
            QByteArray content;
            QString message;
        };
        const QString missing = dir.filePath(QStringLiteral("missing.mtx"));
        const Case cases[] = {
            {"short.mtx", "Title: t\r\n1\r\n0.2 1\r\n0.3\r\n",
             QStringLiteral("Line 4 of the matrix file holds 1 value; row 3 of the matrix needs 3.")},
            {"range.txt", "1\n0.2 1\n0.3 -1.5 1\n",
             QStringLiteral("Line 3 of the matrix file holds -1.5 in column 2; a value off the diagonal must be "
                            "greater than -1 and less than 1.")},
            {"diagonal.txt", "1\n0.2 1\n0.3 0.4 0.99\n",
             QStringLiteral("Line 3 of the matrix file ends with 0.99, but the diagonal value of row 3 must be 1.")},
            {"long.txt", "1\n0.2 1\n0.3 0.4 1\n0.1 0.1 0.1 1\n",
             QStringLiteral("Line 4 of the matrix file holds row 4, but the matrix has only 3 rows.")},
            {"text.txt", "1\n0,2 1\n0.3 0.4 1\n",
             QStringLiteral("Line 2 of the matrix file holds \"0,2\", which is not a number.")},
            {"few.txt", "1\n0.2 1\n",
             QStringLiteral("The matrix file ends after row 2; row 3 of the matrix is missing.")},
        };
        for (const Case& c : cases) {
            WorkMatrix start = identity(3);
            workElement(start, 1, 2) = 0.125;
            Entry e(3, start);
            e.cell(3, 2)->setText(QStringLiteral("0.9"));
            e.form->txtTitle->setText(QStringLiteral("Title: kept"));
            e.files.choice = writeFile(dir, QString::fromLatin1(c.name), c.content);
            e.form->OpenBtnClick();
            const QString expected =
                QStringLiteral("error:Could not read the matrix file %1: ").arg(*e.files.choice) + c.message;
            QVERIFY2(e.boxes.events == QStringList{expected}, qPrintable(e.boxes.events.join('|')));
            QVERIFY2(e.cell(2, 1)->text() == QStringLiteral("0.125"), c.name);
            QVERIFY2(e.cell(3, 1)->text() == QStringLiteral("0.000"), c.name);
            QVERIFY2(e.cell(3, 2)->text() == QStringLiteral("0.9"), c.name);
            QVERIFY2(e.form->txtTitle->text() == QStringLiteral("Title: kept"), c.name);
            QVERIFY2(e.open(), c.name);
        }

        Entry e(2);
        e.files.choice = missing;
        e.form->OpenBtnClick();
        QCOMPARE(e.boxes.events, QStringList{QStringLiteral("error:Could not read the matrix file ") + missing +
                                             QStringLiteral(": No such file or directory")});
    }

    void aCancelledFileDialogChangesNothing() {
        Entry e(2);
        e.cell(2, 1)->setText(QStringLiteral("0.3"));
        e.form->OpenBtnClick();
        QCOMPARE(e.files.filters.size(), 1);
        QVERIFY(e.boxes.events.isEmpty());
        QCOMPARE(e.cell(2, 1)->text(), QStringLiteral("0.3"));
        QCOMPARE(e.form->txtTitle->text(), QStringLiteral("Title:"));
    }

    // ---- editSquareMatrix ---------------------------------------------------------

    void editSquareMatrixShowsTheWindowModallyAndDestroysItOnReturn() {
        struct Case {
            const char* name;
            bool pressReturn;
            bool cancelled;
        };
        const Case cases[] = {{"Return to Worksheet", true, true}, {"Continue", false, false}};
        for (const Case& c : cases) {
            WorkMatrix matrix = identity(2);
            workElement(matrix, 1, 2) = 0.5;
            RecordingBoxes boxes;
            FakeFileDialog files;
            QWidget owner;
            QPointer<TfrmSquareMatrix> seen;
            bool wasModal = false;
            QTimer::singleShot(0, [&] {
                seen = qobject_cast<TfrmSquareMatrix*>(QApplication::activeModalWidget());
                if (!seen) return;
                wasModal = seen->isVisible() && seen->windowTitle() == QStringLiteral("Matrix Entry") &&
                           seen->parentWidget() == &owner;
                seen->cell(2, 1)->setText(QStringLiteral("0.25"));
                (c.pressReturn ? static_cast<QPushButton*>(seen->ReturnBtn) : seen->CloseBtn)->click();
            });
            // Should the window not appear as the modal one, leave it so that the test fails instead of hanging.
            QTimer watchdog;
            watchdog.setSingleShot(true);
            QObject::connect(&watchdog, &QTimer::timeout, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* form = qobject_cast<TfrmSquareMatrix*>(w)) form->ReturnBtnClick();
            });
            watchdog.start(5000);
            const MatrixEntry entry = editSquareMatrix(matrix, {2, 2}, QStringLiteral("Matrix Entry"), true, &owner,
                                                       QString(), QString(), boxes, files);
            QVERIFY2(wasModal, c.name);
            QVERIFY2(seen.isNull(), c.name); // destroyed on return
            QVERIFY2(entry == (c.cancelled ? MatrixEntry::Cancelled : MatrixEntry::Accepted), c.name);
            QVERIFY2(workElement(matrix, 1, 2) == (c.cancelled ? 0.5 : 0.25), c.name);
            QVERIFY2(workElement(matrix, 2, 1) == (c.cancelled ? 0.0 : 0.25), c.name);
        }
    }
};

QTEST_MAIN(SquareMatrixFormTest)
#include "SquareMatrixFormTest.moc"
