// The worksheet template's switchable features, switched on as
// kalden-template-demo has them: the age field giving the order of the
// correlation matrix that Compute asks for first, the matrix window, the
// data grid, and both in the data file and the report. Driven with
// recording fakes on the offscreen platform; the modal matrix window is
// handled from a timer while Compute waits for it.

#include <algorithm>
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "GuiHarness.h"
#include "gui/matrix/SquareMatrixForm.h"
#include "report/ReportComposer.h"

using namespace kalden;
using kalden::testing::Program;
using kalden::testing::readBytes;
using kalden::testing::writeBytes;

namespace {

const QString AgeCaption = QStringLiteral("Age of individual (used in computing CLs on abnormality) :");
const char* const DemoFile = "kalden-template-demo.txt";

// The demonstration program's file in the user's data folder of the harness.
QString demoFile(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("share/kalden/") + DemoFile); }
void writeDemoFile(const QTemporaryDir& dir, const std::string& content) {
    QDir().mkpath(dir.filePath(QStringLiteral("share/kalden")));
    writeBytes(demoFile(dir), content);
}

QString exeIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("kalden-template-demo")); }

TemplateConfig gridConfig(int columns, int rows) {
    TemplateConfig config;
    config.UseDataGrid = true;
    config.GridColumns = columns;
    config.GridRows = rows;
    return config;
}

// Answers the matrix window's open-file dialog and records how it was asked.
class FakeMatrixFiles : public MatrixFileDialog {
public:
    std::optional<QString> answer;
    QStringList filters;
    QList<QWidget*> parents;
    std::optional<QString> openFileName(QWidget* parent, const QString& filter) override {
        filters << filter;
        parents << parent;
        return answer;
    }
};

// Plays the user's part in the matrix windows that open while it lives: each
// window that becomes the modal one gets the next action, while actions
// remain. A window left open for five seconds is closed with "Return to
// Worksheet", so that a test fails instead of hanging.
class MatrixWindowScript {
public:
    using Action = std::function<void(TfrmSquareMatrix&)>;
    int opened = 0;
    QList<QSize> sizes;      // columns x rows of each window
    QList<bool> ownerHidden; // whether the worksheet was hidden while it was open

    MatrixWindowScript(QWidget* worksheet, std::initializer_list<Action> actions)
        : worksheet_(worksheet), actions_(actions) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

private:
    void poll() {
        auto* window = qobject_cast<TfrmSquareMatrix*>(QApplication::activeModalWidget());
        if (!window) return;
        if (!window->property("scripted").toBool() && !actions_.empty()) {
            window->setProperty("scripted", true);
            ++opened;
            sizes << QSize(window->columns(), window->rows());
            ownerHidden << !worksheet_->isVisible();
            const Action action = actions_.front();
            actions_.pop_front();
            action(*window);
            return;
        }
        if (window != watched_) {
            watched_ = window;
            openFor_.start();
        } else if (openFor_.elapsed() > 5000) {
            window->ReturnBtnClick();
        }
    }

    QWidget* worksheet_;
    std::deque<Action> actions_;
    QTimer timer_;
    QPointer<TfrmSquareMatrix> watched_;
    QElapsedTimer openFor_;
};

void press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// The report lines from `first` on, `count` of them.
QStringList linesFrom(const ReportLines& lines, const std::string& first, int count) {
    const auto at = std::find(lines.begin(), lines.end(), first);
    QStringList out;
    for (auto it = at; it != lines.end() && out.size() < count; ++it) out << QString::fromStdString(*it);
    return out;
}

double element(const StoredMatrixValues& m, int i, int j) {
    return m[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))];
}

void setCell(QTableWidget* grid, int row, int column, const QString& text) { grid->item(row, column)->setText(text); }

// The data file of the round trip below: scores 4 7 10 10 10 10 10, matrix
// order 3, a 4 x 7 grid with four cells filled, and the 3 x 3 matrix.
const std::string RoundTripFile =
    "4 7 10 10 10 10 10 3 "
    "1 2.5 0 0 "
    "0 0 -3 0 "
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
    "0 0 0 12.25 "
    " 1.000 0.500 1.000 0.250 -0.125 1.000";

} // namespace

class TemplateFeaturesTest : public QObject {
    Q_OBJECT

private slots:

    // ---- The configuration ----------------------------------------------------------

    void theDemoConfigurationShowsTheAgeFieldTheGridAndTheHelpButton() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        TfrmTemplate& f = *p.form;
        QCOMPARE(f.config.InputCount, 8);
        QCOMPARE(f.config.StoredValueCount, 8);
        QVERIFY(f.config.UseCorrelationMatrix);
        QVERIFY(f.config.UseDataGrid);
        for (int k = 1; k <= 8; ++k) QVERIFY2(f.field(k)->isVisibleTo(&f), qPrintable(f.label(k)->text()));
        QCOMPARE(f.label(8)->text(), AgeCaption);
        QVERIFY(f.grdData->isVisibleTo(&f));
        QVERIFY(f.lblGridColumnsTitle->isVisibleTo(&f));
        QCOMPARE(f.lblGridColumnsTitle->text(), QStringLiteral("Column names"));
        QVERIFY(f.lblItems->isVisibleTo(&f));
        QVERIFY(f.cmdHelp->isVisibleTo(&f));
        QCOMPARE(f.cmdCompute->text(), QStringLiteral("Compute"));
        QVERIFY(!f.PreviousDataLoaded);
        QCOMPARE(f.MatrixSize, 0);
        QVERIFY(p.boxes.events.isEmpty());
        // Its data file is its own; the shipped program keeps "kalden.txt".
        QCOMPARE(QString::fromStdString(f.dataFilePath()), demoFile(dir));
        QCOMPARE(QString::fromStdString(TemplateConfig{}.dataFileName), QStringLiteral("kalden.txt"));
    }

    // ---- The data grid's layout -------------------------------------------------------

    void theGridIsSizedCentredAndHeadedByTheFigures() {
        struct Case {
            int columns, rows, width, shownRows;
            bool scrolls;
        };
        // width: (columns + 1) * 54 + 3, plus 17 from seven rows on.
        const Case cases[] = {{4, 7, 290, 6, true},  {4, 6, 273, 6, false}, {2, 3, 165, 3, false},
                              {6, 10, 398, 6, true}, {1, 1, 111, 1, false}, {0, 5, 57, 5, false},
                              {3, 0, 219, 0, false}};
        for (const Case& c : cases) {
            const QByteArray row = QByteArray::number(c.columns) + "x" + QByteArray::number(c.rows);
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir), gridConfig(c.columns, c.rows));
            TfrmTemplate& f = *p.form;
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            QTableWidget* g = f.grdData;
            QCOMPARE(f.gridCellHeight(), 20);
            QVERIFY2(g->size() == QSize(c.width, 21 * c.shownRows + 4), row);
            QVERIFY2(g->columnCount() == c.columns + 1 && g->rowCount() == c.rows, row);
            for (int r = 0; r < c.rows; ++r) {
                QVERIFY2(g->item(r, 0)->text() == QString::number(r + 1), row);
                QVERIFY2(!(g->item(r, 0)->flags() & Qt::ItemIsEditable), row);
                QVERIFY2(g->rowHeight(r) == 20, row);
            }
            for (int k = 0; k <= c.columns; ++k) QVERIFY2(g->columnWidth(k) == 53, row);

            const auto inForm = [&](QWidget* w) { return QRect(w->mapTo(&f, QPoint(0, 0)), w->size()); };
            const QRect grid = inForm(g);
            QVERIFY2(grid.left() == (f.width() - c.width) / 2, row);
            const QRect title = inForm(f.lblGridColumnsTitle);
            QVERIFY2(title.left() == grid.left() && title.width() == c.width, row);
            const QRect items = inForm(f.lblItems);
            QVERIFY2(title.bottom() + 1 == items.top() && items.bottom() + 1 == grid.top(), row);
            QVERIFY2(items.left() == grid.left() + 2, row);
            for (int k = 1; k <= 6; ++k) {
                QLabel* l = f.lblCol[static_cast<std::size_t>(k - 1)];
                QVERIFY2(l->isVisible() == (k <= c.columns), row + " lblCol" + QByteArray::number(k));
                QVERIFY2(inForm(l).left() == grid.left() + k * 54 + 2 && inForm(l).top() == items.top(),
                         row + " lblCol" + QByteArray::number(k));
            }
            // From seven rows on the grid scrolls vertically; it never needs
            // to scroll sideways.
            QVERIFY2(g->verticalScrollBar()->isVisible() == c.scrolls, row);
            QVERIFY2(!g->horizontalScrollBar()->isVisible(), row);
        }
    }

    // ---- The grid's current cell ------------------------------------------------------

    void activationPutsTheCurrentCellInColumnTwoOfRowZero() {
        struct Case {
            int columns, rows, row, column;
        };
        // A single data column holds the cell at column 1; with no data
        // columns there is no data cell to go to.
        const Case cases[] = {{4, 7, 0, 2}, {2, 3, 0, 2}, {1, 3, 0, 1}, {0, 5, -1, -1}};
        for (const Case& c : cases) {
            const QByteArray row = QByteArray::number(c.columns) + "x" + QByteArray::number(c.rows);
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir), gridConfig(c.columns, c.rows));
            p.form->show();
            QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
            p.form->activateWindow();
            QVERIFY2(QTest::qWaitForWindowActive(p.form.get()), row);
            QVERIFY2(p.form->grdData->currentRow() == c.row && p.form->grdData->currentColumn() == c.column, row);
        }
        // Without the grid nothing is touched.
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->FormActivate();
        QCOMPARE(p.form->grdData->currentColumn(), -1);
    }

    void leavingTheGridOrTheFirstFieldPutsTheCurrentCellInColumnOneOfRowZero() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir), gridConfig(4, 7));
        TfrmTemplate& f = *p.form;
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTableWidget* g = f.grdData;

        // Editing a cell stays inside the grid.
        g->setFocus();
        g->setCurrentCell(3, 2);
        g->editItem(g->item(3, 2));
        QVERIFY(QApplication::focusWidget() != g && g->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(g->currentRow(), 3);
        QCOMPARE(g->currentColumn(), 2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7.5"));

        // Leaving from the cell editor: the text is kept, the cell moves.
        f.field(2)->setFocus();
        QCOMPARE(g->item(3, 2)->text(), QStringLiteral("7.5"));
        QCOMPARE(g->currentRow(), 0);
        QCOMPARE(g->currentColumn(), 1);

        // Leaving the grid itself.
        g->setFocus();
        g->setCurrentCell(5, 4);
        f.memoComments->setFocus();
        QCOMPARE(g->currentRow(), 0);
        QCOMPARE(g->currentColumn(), 1);

        // Leaving the first field, but not a box taking the focus for a while.
        g->setCurrentCell(6, 3);
        f.field(1)->setFocus();
        QCOMPARE(g->currentRow(), 6);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(g->currentRow(), 6);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        g->setCurrentCell(6, 3);
        QCOMPARE(QApplication::focusWidget(), f.field(1));
        f.field(3)->setFocus();
        QCOMPARE(g->currentRow(), 0);
        QCOMPARE(g->currentColumn(), 1);
    }

    // ---- The matrix step of Compute -------------------------------------------------

    void theMatrixOrderComesFromTheAgeField() {
        struct Case {
            const char* text;
            int order;
        };
        const Case cases[] = {{"1", 1}, {"04", 4}, {"20", 20}};
        for (const Case& c : cases) {
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir), templateDemoConfig());
            p.form->show();
            p.setScores({"10", "10", "10", "10", "10", "10", "10", c.text});
            MatrixWindowScript script(p.form.get(), {[](TfrmSquareMatrix& w) { w.ReturnBtnClick(); }});
            p.form->cmdComputeClick();
            QVERIFY2(script.opened == 1, c.text);
            QVERIFY2(script.sizes.first() == QSize(c.order, c.order), c.text);
            QVERIFY2(script.ownerHidden.first(), c.text);
            QVERIFY2(p.boxes.events.isEmpty(), c.text);
        }
    }

    void anOrderOutsideOneToTwentyIsRefusedWithTheFocusInTheAgeField() {
        const char* const texts[] = {"0", "21", "2.5", "-3", ".", "100"};
        for (const char* text : texts) {
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir), templateDemoConfig());
            p.form->show();
            p.setScores({"10", "10", "10", "10", "10", "10", "10", text});
            MatrixWindowScript script(p.form.get(), {[](TfrmSquareMatrix& w) { w.ReturnBtnClick(); }});
            p.form->cmdComputeClick();
            const QString expected = QStringLiteral("warning:INPUT ERROR\r(  ") + AgeCaption + QStringLiteral("  ") +
                                     QString::fromLatin1(text) +
                                     QStringLiteral(
                                         "  )\rThe order of the correlation matrix (the number of "
                                         "variables) must be a whole number from 1 to 20.");
            QVERIFY2(p.boxes.events == QStringList{expected}, text);
            QVERIFY2(script.opened == 0, text);
            QVERIFY2(p.form->focusWidget() == p.form->field(8), text);
            QVERIFY2(p.form->field(8)->selectedText() == QString::fromLatin1(text), text);
            QVERIFY2(p.form->isVisible() && !p.results->isVisible(), text);
            QVERIFY2(!QFile::exists(demoFile(dir)), text);
            QVERIFY2(p.form->MatrixSize == 0, text);
        }
        // An empty age field is caught before, by the validation of the fields.
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        p.setScores({"10", "10", "10", "10", "10", "10", "10", ""});
        p.form->cmdComputeClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("warning:INPUT ERROR\r\r(  ") + AgeCaption +
                                             QStringLiteral("  )\r\rData have not been entered in this field.")});
    }

    void withoutAPreviousFileEveryEntryStartsFromTheIdentity() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        p.form->show();
        p.setScores({"10", "10", "10", "10", "10", "10", "10", "3"});
        p.boxes.defaultAnswer = true; // Yes to every zero question
        QStringList firstCells;
        MatrixWindowScript script(p.form.get(), {[&](TfrmSquareMatrix& w) {
                                                     for (int r = 1; r <= 3; ++r)
                                                         for (int c = 1; c <= r; ++c)
                                                             firstCells << w.cell(r, c)->text();
                                                     press(w.CloseBtn);
                                                 },
                                                 [&](TfrmSquareMatrix& w) {
                                                     firstCells << w.cell(2, 1)->text();
                                                     w.ReturnBtnClick();
                                                 }});
        press(p.form->cmdCompute);
        QCOMPARE(firstCells, (QStringList{"1.000", "0.000", "1.000", "0.000", "0.000", "1.000"}));
        QCOMPARE(p.boxes.events, (QStringList{QStringLiteral("confirm:") + zeroCellQuestion(2, 1),
                                              QStringLiteral("confirm:") + zeroCellQuestion(3, 1),
                                              QStringLiteral("confirm:") + zeroCellQuestion(3, 2)}));
        QVERIFY(p.results->isVisible());
        QVERIFY(!p.form->isVisible());
        QCOMPARE(linesFrom(p.results->reportLines(), " Correlation matrix:", 4),
                 (QStringList{" Correlation matrix:", " 1:  1.000 ", " 2:  0.000  1.000 ",
                              " 3:  0.000  0.000  1.000 "}));
        QCOMPARE(p.form->MatrixSize, 3);
    }

    void returnToWorksheetEndsComputeWithNothingSavedScoredOrReported() {
        QTemporaryDir dir;
        writeDemoFile(dir, RoundTripFile);
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        p.form->show();
        QVERIFY(p.form->PreviousDataLoaded);
        const StoredMatrixValues before = p.form->StoredMatrix;
        MatrixWindowScript script(p.form.get(), {[](TfrmSquareMatrix& w) {
                                      w.cell(2, 1)->setText(QStringLiteral("0.9"));
                                      w.cell(3, 3)->setText(QStringLiteral("oops"));
                                      press(w.ReturnBtn);
                                  }});
        press(p.form->cmdCompute);
        QCOMPARE(script.opened, 1);
        QVERIFY(p.boxes.events.isEmpty());
        QVERIFY(p.form->isVisible());
        QVERIFY(!p.results->isVisible());
        QVERIFY(p.results->reportLines().empty());
        QCOMPARE(p.results->windowTitle(), QStringLiteral("Output"));
        QVERIFY(p.form->StoredMatrix == before);
        QCOMPARE(readBytes(demoFile(dir)), RoundTripFile);

        // The next entry starts from the stored matrix again, not from what
        // was typed and abandoned.
        QString shown;
        MatrixWindowScript again(p.form.get(), {[&](TfrmSquareMatrix& w) {
                                     shown = w.cell(2, 1)->text();
                                     w.ReturnBtnClick();
                                 }});
        press(p.form->cmdCompute);
        QCOMPARE(shown, QStringLiteral("0.500"));
    }

    void continueSavesScoresAndReportsTheMatrixAndTheGrid() {
        QTemporaryDir dir;
        {
            Program p;
            p.start(exeIn(dir), templateDemoConfig());
            TfrmTemplate& f = *p.form;
            f.show();
            p.setScores({"4", "7", "10", "10", "10", "10", "10", "3"});
            setCell(f.grdData, 0, 1, QStringLiteral("1"));
            setCell(f.grdData, 0, 2, QStringLiteral("2.5"));
            setCell(f.grdData, 1, 3, QStringLiteral("-3"));
            setCell(f.grdData, 6, 4, QStringLiteral("12.25"));
            MatrixWindowScript script(&f, {[](TfrmSquareMatrix& w) {
                w.cell(2, 1)->setText(QStringLiteral("0.5"));
                w.cell(3, 1)->setText(QStringLiteral(".25"));
                w.cell(3, 2)->setText(QStringLiteral("-0.125"));
                press(w.CloseBtn);
            }});
            press(f.cmdCompute);
            QCOMPARE(script.opened, 1);
            QVERIFY(p.boxes.events.isEmpty());
            QVERIFY(p.results->isVisible());
            QVERIFY(!f.isVisible());
            QCOMPARE(f.MatrixSize, 3);
            QCOMPARE(element(f.StoredMatrix, 2, 1), 0.5);
            QCOMPARE(element(f.StoredMatrix, 1, 2), 0.5);
            QCOMPARE(element(f.StoredMatrix, 3, 2), -0.125);
            QCOMPARE(readBytes(demoFile(dir)), RoundTripFile);
            const ReportLines lines = p.results->reportLines();
            QCOMPARE(linesFrom(lines, "       than 5% of population", 20),
                     (QStringList{"       than 5% of population",
                                  "                  Column names",
                                  " Item    1       2       3       4    ",
                                  "         _____________________________",
                                  "  0:   1.000   2.500   0.000   0.000",
                                  "  1:   0.000   0.000  -3.000   0.000",
                                  "  2:   0.000   0.000   0.000   0.000",
                                  "  3:   0.000   0.000   0.000   0.000",
                                  "  4:   0.000   0.000   0.000   0.000",
                                  "  5:   0.000   0.000   0.000   0.000",
                                  "  6:   0.000   0.000   0.000  12.250",
                                  "",
                                  " Correlation matrix:",
                                  " 1:  1.000 ",
                                  " 2:  0.500  1.000 ",
                                  " 3:  0.250 -0.125  1.000 ",
                                  "",
                                  "",
                                  "",
                                  " OUTPUTS:"}));
            QCOMPARE(QString::fromStdString(lines.back()).left(14), QStringLiteral(" Chi-square = "));
        }

        // The next start restores the fields, the grid and the matrix.
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        TfrmTemplate& f = *p.form;
        QVERIFY(p.boxes.events.isEmpty());
        QVERIFY(f.PreviousDataLoaded);
        QCOMPARE(f.cmdCompute->text(), QStringLiteral("Continue"));
        const QStringList fields = {"4", "7", "10", "10", "10", "10", "10", "3"};
        for (int k = 1; k <= 8; ++k) QCOMPARE(f.field(k)->text(), fields[k - 1]);
        QCOMPARE(f.grdData->columnCount(), 5);
        QCOMPARE(f.grdData->rowCount(), 7);
        QCOMPARE(f.grdData->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(f.grdData->item(0, 2)->text(), QStringLiteral("2.5"));
        QCOMPARE(f.grdData->item(0, 3)->text(), QStringLiteral("0")); // was empty
        QCOMPARE(f.grdData->item(1, 3)->text(), QStringLiteral("-3"));
        QCOMPARE(f.grdData->item(6, 4)->text(), QStringLiteral("12.25"));
        QCOMPARE(f.grdData->item(6, 0)->text(), QStringLiteral("7"));
        // File row i, j-th number, is element (j, i): as the window shows it.
        QCOMPARE(element(f.StoredMatrix, 1, 2), 0.5);
        QCOMPARE(element(f.StoredMatrix, 1, 3), 0.25);
        QCOMPARE(element(f.StoredMatrix, 2, 3), -0.125);
        QCOMPARE(element(f.StoredMatrix, 3, 3), 1.0);
        QCOMPARE(f.MatrixSize, 0);

        f.show();
        QStringList cells;
        MatrixWindowScript script(&f, {[&](TfrmSquareMatrix& w) {
            for (int r = 1; r <= 3; ++r)
                for (int c = 1; c <= r; ++c) cells << w.cell(r, c)->text();
            press(w.CloseBtn);
        }});
        press(f.cmdCompute);
        QCOMPARE(cells, (QStringList{"1.000", "0.500", "1.000", "0.250", "-0.125", "1.000"}));
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(linesFrom(p.results->reportLines(), " 2:  0.500  1.000 ", 2),
                 (QStringList{" 2:  0.500  1.000 ", " 3:  0.250 -0.125  1.000 "}));
        QCOMPARE(readBytes(demoFile(dir)), RoundTripFile);
    }

    // Fault mended: the reading sizes the grid by fields 1 and 2, so a grid
    // of another size, or with empty cells, used to shift the matrix.
    void aGridOfAnotherSizeOrWithEmptyCellsNoLongerShiftsTheMatrix() {
        QTemporaryDir dir;
        {
            Program p;
            p.start(exeIn(dir), templateDemoConfig());
            p.form->show();
            p.setScores({"12", "3", "11", "9", "8", "10", "13", "2"});
            setCell(p.form->grdData, 2, 4, QStringLiteral("5"));
            setCell(p.form->grdData, 0, 1, QStringLiteral("x")); // echoed, and kept, as 0
            MatrixWindowScript script(p.form.get(), {[](TfrmSquareMatrix& w) {
                                          w.cell(2, 1)->setText(QStringLiteral("-0.3"));
                                          press(w.CloseBtn);
                                      }});
            press(p.form->cmdCompute);
            QVERIFY(p.results->isVisible());
            std::string grid;
            for (int row = 0; row < 3; ++row)
                for (int column = 1; column <= 12; ++column) grid += row == 2 && column == 4 ? "5 " : "0 ";
            QCOMPARE(readBytes(demoFile(dir)), "12 3 11 9 8 10 13 2 " + grid + " 1.000 -0.300 1.000");
        }
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(p.form->config.GridColumns, 12);
        QCOMPARE(p.form->config.GridRows, 3);
        QCOMPARE(p.form->grdData->item(2, 4)->text(), QStringLiteral("5"));
        QCOMPARE(element(p.form->StoredMatrix, 1, 2), -0.3);
        QCOMPARE(element(p.form->StoredMatrix, 2, 2), 1.0);
    }

    void aMatrixFileIsOpenedThroughTheFileDialogService() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sample.mtx"));
        writeBytes(path,
                   "Title: A sample matrix with four variables\r\n1.000\r\n0.234 1.000\r\n"
                   "0.435 0.346 1.000\r\n0.664 0.564 0.389 1.000\r\n");
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        FakeMatrixFiles files;
        files.answer = path;
        p.form->setMatrixFileDialog(&files);
        p.form->show();
        p.setScores({"10", "10", "10", "10", "10", "10", "10", "4"});
        QString title;
        QWidget* window = nullptr;
        MatrixWindowScript script(p.form.get(), {[&](TfrmSquareMatrix& w) {
                                      window = &w;
                                      press(w.OpenBtn);
                                      title = w.txtTitle->text();
                                      press(w.CloseBtn);
                                  }});
        press(p.form->cmdCompute);
        QCOMPARE(files.filters, QStringList{QStringLiteral("*.mtx;*.txt")});
        QCOMPARE(files.parents, QList<QWidget*>{window});
        QCOMPARE(title, QStringLiteral("Title: A sample matrix with four variables"));
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(linesFrom(p.results->reportLines(), " Correlation matrix:", 5),
                 (QStringList{" Correlation matrix:", " 1:  1.000 ", " 2:  0.234  1.000 ", " 3:  0.435  0.346  1.000 ",
                              " 4:  0.664  0.564  0.389  1.000 "}));
    }

    // Fault mended: after the matrix window the worksheet is hidden, and a
    // save that failed used to leave the program with no window at all.
    void aFailedSaveAfterTheMatrixWindowShowsTheWorksheetAgain() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("plain"), "x");
        Program p;
        p.host.dataHomePath = dir.filePath("plain"); // a file where the data folder should be
        p.start(exeIn(dir), templateDemoConfig());
        p.form->show();
        p.setScores({"10", "10", "10", "10", "10", "10", "10", "2"});
        MatrixWindowScript script(p.form.get(), {[](TfrmSquareMatrix& w) {
                                      w.cell(2, 1)->setText(QStringLiteral("0.4"));
                                      press(w.CloseBtn);
                                  }});
        press(p.form->cmdCompute);
        QCOMPARE(script.opened, 1);
        const QString reason = kalden::testing::notAFolderReason();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:Could not save the last case to %1: %2")
                                                 .arg(dir.filePath("plain/kalden/kalden-template-demo.txt"), reason)});
        QVERIFY(p.form->isVisible());
        QVERIFY(!p.results->isVisible());
        QVERIFY(p.results->reportLines().empty());
    }

    // ---- Clear Data --------------------------------------------------------------------

    void clearDataEmptiesTheGridCellsAndZeroesTheStoredMatrix() {
        QTemporaryDir dir;
        writeDemoFile(dir, RoundTripFile);
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        TfrmTemplate& f = *p.form;
        f.show();
        QCOMPARE(f.grdData->item(6, 4)->text(), QStringLiteral("12.25"));
        press(f.btnclearData);
        QVERIFY(!QFile::exists(demoFile(dir)));
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(f.grdData->item(row, 0)->text(), QString::number(row + 1));
            for (int column = 1; column <= 4; ++column) QVERIFY(f.grdData->item(row, column)->text().isEmpty());
        }
        QVERIFY(std::all_of(f.StoredMatrix.begin(), f.StoredMatrix.end(), [](double v) { return v == 0.0; }));
        for (int k = 1; k <= 8; ++k) QVERIFY(f.field(k)->text().isEmpty());

        // The data file was found at start-up, so the next entry starts from
        // the cleared store, with ones on the read-only diagonal.
        p.setScores({"10", "10", "10", "10", "10", "10", "10", "2"});
        QStringList cells;
        MatrixWindowScript script(&f, {[&](TfrmSquareMatrix& w) {
            cells << w.cell(1, 1)->text() << w.cell(2, 1)->text() << w.cell(2, 2)->text();
            w.ReturnBtnClick();
        }});
        press(f.cmdCompute);
        QCOMPARE(cells, (QStringList{"1.000", "0.000", "1.000"}));
    }

    // ---- The matrix help ----------------------------------------------------------------

    void helpWithMatrixShowsTheGuidanceOverTheInputPanelUntilClosed() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir), templateDemoConfig());
        TfrmTemplate& f = *p.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(!f.pnlHelp->isVisible());
        press(f.cmdHelp);
        QVERIFY(f.pnlHelp->isVisible());
        QCOMPARE(f.pnlHelp->geometry(), f.Panel1->geometry());
        QVERIFY(f.pnlHelp->autoFillBackground()); // opaque: nothing of the input panel shows through
        QCOMPARE(f.pnlHelp->title(),
                 QStringLiteral(" Guidance in reading in a correlation matrix from an external file :  "));
        auto* guidance = f.pnlHelp->findChild<QPlainTextEdit*>(QStringLiteral("memoGuidance"));
        auto* example = f.pnlHelp->findChild<QPlainTextEdit*>(QStringLiteral("memoExample"));
        auto* titleLine = f.pnlHelp->findChild<QLabel*>(QStringLiteral("lblTitleExample"));
        QVERIFY(guidance && example && titleLine);
        QCOMPARE(guidance->toPlainText().split(u'\n'),
                 (QStringList{
                     "The file containing the correlation matrix must have either an .mtx extension (this is the ",
                     "extension that VORNE uses when saving matrix files, or a  .txt extension (files created by ",
                     "Microsoft Notepad have this extension).", "",
                     "The correlation matrix must be a lower diagonal matrix with ones (1.000) in the leading ",
                     "diagonal, and with a space between entries (the zero before the decimal point can be omitted).",
                     "", "There is the option to have a single title line preceding the matrix. If using this option ",
                     "then it should take the form below:"}));
        QVERIFY(guidance->isReadOnly() && example->isReadOnly());
        QCOMPARE(titleLine->text(), QStringLiteral("Title: This is a correlation matrix"));
        QCOMPARE(example->toPlainText().split(u'\n'),
                 (QStringList{"Title: A sample matrix with four variables", "1.000", "0.234 1.000", "0.435 0.346 1.000",
                              "0.664 0.564 0.389 1.000"}));
        QStringList labels;
        for (QLabel* l : f.pnlHelp->findChildren<QLabel*>()) labels << l->text();
        QVERIFY(labels.contains(
            QStringLiteral("Below is an example of a file setup for a correlation matrix that has 4 variables:")));
        QVERIFY(!f.cmdCompute->isVisible() && !f.btnclearData->isVisible() && !f.ExitBtn->isVisible());
        QVERIFY(f.cmdReturn->isVisible());
        QCOMPARE(f.cmdReturn->text(), QStringLiteral("Close Help"));
        press(f.cmdReturn);
        QVERIFY(!f.pnlHelp->isVisible() && !f.cmdReturn->isVisible());
        QVERIFY(f.cmdCompute->isVisible() && f.btnclearData->isVisible() && f.ExitBtn->isVisible());
        QVERIFY(p.boxes.events.isEmpty());
    }
};

QTEST_MAIN(TemplateFeaturesTest)
#include "TemplateFeaturesTest.moc"
