// Every window of the desktop program on the screen the test runs on (a
// laptop's or a desktop's, at the usual scalings): within the screen's
// available area, each button and field reachable, the content growing
// with the window.

#include <optional>

#include <QAbstractScrollArea>
#include <QCursor>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "GuiHarness.h"
#include "gui/cases/CasesWindow.h"
#include "gui/matrix/SquareMatrixForm.h"
#include "gui/platform/FlowLayout.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/ProfileChart.h"
#include "gui/report/ProfileChartWindow.h"

using namespace kalden;
using kalden::testing::Program;

namespace {

QString exeIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("kalden")); }

struct NoMatrixFiles : MatrixFileDialog {
    std::optional<QString> openFileName(QWidget*, const QString&) override { return std::nullopt; }
};

// `control` within each of its ancestors up to the window, a scroll area's
// viewport included; one larger than an ancestor fills it from its start.
bool wholeInView(const QWidget* control) {
    for (const QWidget* a = control->parentWidget(); a; a = a->parentWidget()) {
        const QRect at(control->mapTo(a, QPoint(0, 0)), control->size());
        const QSize seen = (at & a->rect()).size();
        if (!a->rect().contains(at.topLeft()) || seen != control->size().boundedTo(a->size())) return false;
        if (a->isWindow()) return true;
    }
    return true;
}

// The frame within the screen's available area, and every button and field
// in view once the focus reaches it.
QString fitProblem(QWidget& window) {
    const QString name = window.objectName();
    if (!window.screen()->availableGeometry().contains(window.frameGeometry()))
        return name + QStringLiteral(" lies outside the screen: %1,%2 %3x%4, minimum %5x%6")
                          .arg(window.frameGeometry().x())
                          .arg(window.frameGeometry().y())
                          .arg(window.frameGeometry().width())
                          .arg(window.frameGeometry().height())
                          .arg(window.minimumWidth())
                          .arg(window.minimumHeight());
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window || !control->isVisible()) continue;
        if (!qobject_cast<QPushButton*>(control) && !qobject_cast<QLineEdit*>(control)) continue;
        control->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        if (!wholeInView(control)) return name + QStringLiteral(": ") + control->objectName() + " cannot be reached";
    }
    return QString();
}

// One case computed, then the results' chart and the Cases window opened
// from it; gives the Cases window.
TfrmCases* openEveryWindow(Program& p) {
    p.setScores({"12", "7", "11", "9", "8", "10", "13"});
    p.form->cmdComputeClick();
    p.results->mnuProfileChartClick();
    p.form->cmdCasesClick();
    return p.form->findChild<TfrmCases*>();
}

} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

private slots:
    // Four buttons 100, 100, 100 and 50 wide with a fixed 16 between the first
    // two and stretches between the others, as the results window's row,
    // 6 apart; rows 20 high.
    void aRowOfButtonsFlowsOntoMoreLinesAndItsStretchesShareTheRoomLeft() {
        struct Case {
            int width;
            QList<QPoint> at;
        };
        const Case cases[] = {
            {500, {{0, 0}, {122, 0}, {286, 0}, {450, 0}}}, // one line; 116 left, 58 to each stretch
            {300, {{0, 0}, {122, 0}, {0, 26}, {250, 26}}}, // the stretch ending a line is lost
            {90, {{0, 0}, {0, 26}, {0, 52}, {0, 78}}},     // narrower than a button: one to a line
        };
        for (const Case& c : cases) {
            QWidget row;
            auto* flow = new FlowLayout;
            flow->setContentsMargins(0, 0, 0, 0);
            flow->setSpacing(6);
            row.setLayout(flow);
            QList<QWidget*> buttons;
            for (int width : {100, 100, 100, 50}) {
                buttons.append(new QWidget(&row));
                buttons.back()->setFixedSize(width, 20);
            }
            const auto stretch = [] { return new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum); };
            flow->addWidget(buttons[0]);
            flow->addItem(new QSpacerItem(16, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
            flow->addWidget(buttons[1]);
            flow->addItem(stretch());
            flow->addWidget(buttons[2]);
            flow->addItem(stretch());
            flow->addWidget(buttons[3]);
            QCOMPARE(flow->sizeHint(), QSize(384, 20));
            flow->setGeometry(QRect(0, 0, c.width, flow->heightForWidth(c.width)));
            QList<QPoint> at;
            for (QWidget* b : buttons) at.append(b->pos());
            QCOMPARE(at, c.at);
            QCOMPARE(flow->heightForWidth(c.width), c.at.back().y() + 20);
        }
    }

    void everyWindowFitsTheScreenAndItsControlsCanBeReached() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        // The worksheet keeps its designed size, all of it shown, where the
        // screen has room for it.
        auto* sheet = p.form->findChild<QWidget*>(QStringLiteral("sheet"));
        auto* scroller = p.form->findChild<QScrollArea*>(QStringLiteral("scroller"));
        auto* footer = p.form->findChild<QWidget*>(QStringLiteral("footer"));
        const QSize designed = sheet->size() + QSize(0, footer->height());
        const QSize room = roomOnScreen(*p.form, p.form->screen());
        if (designed.width() <= room.width() && designed.height() <= room.height()) {
            QCOMPARE(p.form->size(), designed);
            QCOMPARE(scroller->viewport()->size(), sheet->size());
        }
        QVERIFY2(fitProblem(*p.form).isEmpty(), qPrintable(fitProblem(*p.form)));

        TfrmCases* cases = openEveryWindow(p);
        QVERIFY(cases);
        cases->tblCases->selectRow(0);
        cases->cmdProfileChartClick();
        std::vector<QWidget*> windows = {p.results.get(), p.results->profileChartWindow(), cases,
                                         cases->profileChartWindow()};
        for (QWidget* w : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(fitProblem(*w).isEmpty(), qPrintable(fitProblem(*w)));
        }
        p.stop();
    }

    // The report, the chart and the table take what their window gains.
    void theContentGrowsWithTheWindow() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        TfrmCases* cases = openEveryWindow(p);
        const std::pair<QWidget*, QWidget*> growing[] = {{p.results.get(), p.results->memoResults},
                                                         {p.results->profileChartWindow(),
                                                          p.results->profileChartWindow()->chtProfile},
                                                         {cases, cases->tblCases}};
        for (const auto& [window, content] : growing) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QSize before = content->size();
            window->resize(window->size() + QSize(300, 200));
            QApplication::processEvents();
            // Buttons that flowed onto more lines may come back onto fewer.
            QVERIFY2(content->width() == before.width() + 300 && content->height() >= before.height() + 200,
                     qPrintable(window->objectName()));
        }
        p.stop();
    }

    // The matrix window keeps 800 x 600 where it fits and scrolls where not.
    void theMatrixWindowFitsTheScreen() {
        WorkMatrix matrix{};
        kalden::testing::RecordingBoxes boxes;
        NoMatrixFiles files;
        QWidget owner;
        owner.show();
        QString problem = QStringLiteral("no matrix window");
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TfrmSquareMatrix*>(QApplication::activeModalWidget());
            if (!form) return;
            problem = fitProblem(*form);
            form->ReturnBtnClick();
        });
        (void)editSquareMatrix(matrix, {2, 2}, QStringLiteral("Matrix Entry"), true, &owner, QString(), QString(),
                               boxes, files);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // On a desktop of two screens the first window opens on the one that
    // holds the mouse, and the windows it opens on its own.
    void theWindowsOpenOnTheScreenOfTheMouse() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2) QSKIP("one screen");
        QScreen* second = screens.at(1);
        QCursor::setPos(second->geometry().center());
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        p.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        p.setScores({"12", "7", "11", "9", "8", "10", "13"});
        p.form->cmdComputeClick();
        p.form->cmdCasesClick();
        for (QWidget* w : {static_cast<QWidget*>(p.form.get()), static_cast<QWidget*>(p.results.get()),
                           static_cast<QWidget*>(p.form->findChild<TfrmCases*>())}) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(second->availableGeometry().contains(w->frameGeometry()), qPrintable(w->objectName()));
        }
        p.stop();
    }
};

QTEST_MAIN(WindowFitTest)
#include "WindowFitTest.moc"
