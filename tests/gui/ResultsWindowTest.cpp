// The results window with recording fakes, the print path into
// a PDF writer, and the Qt implementations of the platform services.

#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <csignal>
#include <regex>

#include <QAbstractButton>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include "GuiHarness.h"
#include "files/TextFile.h"
#include "gui/platform/PrintLayout.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/ProfileChartWindow.h"

using namespace kalden;
using kalden::testing::ApplicationFontSize;
using kalden::testing::Program;
using kalden::testing::readBytes;
using kalden::testing::writeBytes;

namespace {

const QStringList Mixed = {"12", "7", "11", "9", "8", "10", "13"};

QString exeIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("kalden")); }

// One Compute through the worksheet, leaving the results window shown.
void compute(Program& p, const QStringList& scores = Mixed) {
    p.setScores(scores);
    p.form->cmdComputeClick();
}

int pdfPageCount(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page[^s])");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

// A PDF "printer" for QtTextPrinter: A4 at 300 dots per inch, no margins.
std::unique_ptr<QPagedPaintDevice> pdfDevice(const QString& path) {
    auto writer = std::make_unique<QPdfWriter>(path);
    writer->setResolution(300);
    writer->setPageSize(QPageSize(QPageSize::A4));
    writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    return writer;
}

// The layout that printing `text` in `font` on such a device gives.
PrintLayout pdfLayout(const QString& text, const QFont& font) {
    QTemporaryDir dir;
    auto device = pdfDevice(dir.filePath("probe.pdf"));
    QString error;
    PrintLayout layout;
    printTextOnDevice(*device, text, font, error, &layout);
    return layout;
}

} // namespace

class ResultsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void creation() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplateResults& r = *p.results;
        QCOMPARE(r.windowTitle(), QStringLiteral("Output"));
        QVERIFY(!r.isVisible());
        QVERIFY(r.memoResults->toPlainText().isEmpty());
        QVERIFY(!r.cmdOpenPreviousFile->isVisibleTo(&r));
        QCOMPARE(r.cmdOpenPreviousFile->text(), QStringLiteral("Open Results File"));
        QCOMPARE(r.cmdSaveOutput->text(), QStringLiteral("Save Output"));
        QCOMPARE(r.cmdClearResults->text(), QStringLiteral("Clear Results"));
        QCOMPARE(r.cmdReturn->text(), QStringLiteral("Return to Worksheet"));
        QCOMPARE(r.cmdExit->text(), QStringLiteral("Exit"));
        for (QPushButton* b : {r.cmdSaveOutput, r.cmdClearResults, r.cmdReturn, r.cmdExit, r.cmdOpenPreviousFile}) {
            QVERIFY(b->font().bold());
            QCOMPARE(b->accessibleName(), b->text());
        }
        QCOMPARE(r.mnuPrinterOptions->title(), QStringLiteral("Printer options..."));
        const QList<QAction*> printing = r.mnuPrinterOptions->actions();
        QCOMPARE(printing.size(), 6);
        QCOMPARE(printing.mid(0, 4),
                 (QList<QAction*>{r.mnuPrint, r.mnuPrintSelection, r.mnuPrintPreview, r.mnuChoosePrinter}));
        QVERIFY(printing[4]->isSeparator());
        QCOMPARE(printing[5], r.mnuSaveAsPdf);
        QCOMPARE(r.mnuPrint->text(), QStringLiteral("Print All"));
        QCOMPARE(r.mnuPrintSelection->text(), QStringLiteral("Print Selection"));
        QCOMPARE(r.mnuSaveAsPdf->text(), QStringLiteral("Save as PDF..."));
        QCOMPARE(r.MainMenu1->actions(),
                 (QList<QAction*>{r.mnuPrinterOptions->menuAction(), r.mnuProfileChart, r.mnuSummaryMenu->menuAction(),
                                  r.mnuCases, r.mnuHelpMenu->menuAction()}));
        QCOMPARE(r.mnuProfileChart->text(), QStringLiteral("Profile chart..."));
        QVERIFY(!r.memoResults->accessibleName().isEmpty());
        QVERIFY(!r.memoResults->isReadOnly());
        QCOMPARE(r.memoResults->font().family(), fixedPitchFont().family());
        // No title-bar buttons at all.
        QVERIFY(!(r.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(r.windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!(r.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(r.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void theReturnButtonHasTheFocusWhenTheWindowFirstOpens() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        compute(p);
        QVERIFY(p.results->isVisible());
        QCOMPARE(p.results->focusWidget(), p.results->cmdReturn);
        // With its focus frame, as after a Tab: the button Enter presses shows.
        QVERIFY(p.results->testAttribute(Qt::WA_KeyboardFocusChange));
    }

    // Tab and Shift+Tab leave the report for the buttons and come back; what
    // is typed into the report still goes into it.
    void tabMovesBetweenTheReportAndTheButtons() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        TfrmTemplateResults& r = *p.results;
        r.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r));
        const QString before = r.memoResults->toPlainText();
        r.memoResults->setFocus(Qt::TabFocusReason);
        QTest::keyClick(r.memoResults, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), r.cmdSaveOutput);
        QTest::keyClick(r.cmdSaveOutput, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), r.memoResults);
        QCOMPARE(r.memoResults->toPlainText(), before);
        r.memoResults->moveCursor(QTextCursor::End);
        QTest::keyClicks(r.memoResults, QStringLiteral("seen"));
        QTest::keyClick(r.memoResults, Qt::Key_Return);
        QCOMPARE(r.memoResults->toPlainText(), before + QStringLiteral("seen\n"));
    }

    // "Print to File (PDF)" chosen in the print dialog prints into that file:
    // the device for the job keeps the format and the name, and the file's
    // text is the report.
    void printToFileWritesThePdfItWasGiven() {
#ifdef _WIN32
        QSKIP("pdftotext reads the PDF on Linux only");
#else
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        QPrinter chosen(QPrinter::HighResolution);
        chosen.setOutputFormat(QPrinter::PdfFormat);
        chosen.setOutputFileName(dir.filePath("printed.pdf"));
        QString error;
        QtTextPrinter printer([&](QString& e) { return QtTextPrinter::printerLike(chosen, e); });
        QVERIFY2(printer.print(p.results->printAllText(), p.results->printFont(), error), qPrintable(error));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), dir.filePath("printed.pdf"), "-"});
        QVERIFY(text.waitForFinished(30000));
        QStringList printed;
        for (const QString& line : QString::fromUtf8(text.readAllStandardOutput()).split(u'\n'))
            if (!line.trimmed().isEmpty()) printed << line.simplified();
        QStringList report;
        for (const std::string& line : p.results->reportLines())
            if (!QString::fromStdString(line).trimmed().isEmpty()) report << QString::fromStdString(line).simplified();
        QCOMPARE(printed, report);
#endif
    }

    void theWindowManagersCloseRequestIsIgnored() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.results->show();
        QVERIFY(!p.results->close());
        QVERIFY(p.results->isVisible());
        QCOMPARE(p.host.endRequests, 0);
        p.results->setProgramEnding(true); // while the program ends it closes
        QVERIFY(p.results->close());
    }

    void returnToWorksheetSwapsTheWindows() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        compute(p);
        p.results->cmdReturnClick();
        QVERIFY(!p.results->isVisible());
        QVERIFY(p.form->isVisible());
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), Mixed[k - 1]);
    }

    void exitAsksAndEndsOnlyOnYes() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.boxes.answers = {false, true};
        p.results->cmdExitClick();
        QCOMPARE(p.host.endRequests, 0);
        p.results->cmdExitClick();
        QCOMPARE(p.host.endRequests, 1);
        QCOMPARE(p.boxes.events, (QStringList{QStringLiteral("confirm:Exit from program?"),
                                              QStringLiteral("confirm:Exit from program?")}));
    }

    // ---- Save Output --------------------------------------------------------------
    void saveOutputWritesTheTextWithCrLfExactly() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        const QString out = dir.filePath("out.txt");
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        QVERIFY(p.boxes.events.isEmpty());
        const std::string bytes = readBytes(out);
        QCOMPARE(bytes, joinCrLf(p.results->reportLines()));
        QVERIFY(bytes.rfind("\r\n") == bytes.size() - 2);
        QVERIFY(bytes.find("\n") == bytes.find("\r\n") + 1);
        QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r'));
        QCOMPARE(p.files.saveInitialNames, QStringList{QStringLiteral("results.txt")});
    }

    void saveAfterTwoComputesWritesBothWithTheSeparator() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        p.results->cmdReturnClick();
        compute(p, {"10", "10", "10", "10", "10", "10", "10"});
        const QString out = dir.filePath("both.txt");
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        const std::string bytes = readBytes(out);
        const std::string hyphens(103, '-');
        QVERIFY(bytes.find("\r\n" + hyphens + "\r\n" + hyphens + "\r\n\r\n\r\n" + ProgramTitle + "\r\n") !=
                std::string::npos);
        QCOMPARE(bytes, joinCrLf(p.results->reportLines()));
    }

    void savingReplacesTheOldContentAndNamesChainBetweenDialogs() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        const QString out = dir.filePath("kept.txt");
        writeBytes(out, std::string(5000, 'o'));
        p.book->appendLines({"short"});
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        QCOMPARE(readBytes(out), std::string("short\r\n"));
        QCOMPARE(p.results->saveDialogFileName, out);
        QCOMPARE(p.results->openDialogFileName, out);
        // Cancelling changes nothing.
        p.results->cmdSaveOutputClick();
        QCOMPARE(p.files.saveInitialNames, (QStringList{QStringLiteral("results.txt"), out}));
        QCOMPARE(readBytes(out), std::string("short\r\n"));
    }

    void savingAnEmptyAreaCreatesAnEmptyFile() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        const QString out = dir.filePath("empty.txt");
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        QVERIFY(QFile::exists(out));
        QCOMPARE(readBytes(out), std::string());
    }

    void textTypedByTheUserIsSavedAndReportsGoOnAfterIt() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.results->show();
        p.results->memoResults->setFocus();
        QTest::keyClicks(p.results->memoResults, QStringLiteral("Seen on 3 May"));
        QCOMPARE(p.results->reportLines(), ReportLines{"Seen on 3 May"});
        p.results->cmdReturnClick();
        compute(p);
        const ReportLines lines = p.results->reportLines();
        QCOMPARE(lines[0], std::string("Seen on 3 May"));
        QCOMPARE(lines[1], std::string()); // the separator follows on a line of its own
        QCOMPARE(lines[2], std::string(103, '-'));
        const QString out = dir.filePath("typed.txt");
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        QVERIFY(readBytes(out).rfind("Seen on 3 May\r\n\r\n---", 0) == 0);
    }

    void aFailedSaveShowsTheReasonAndLeavesNoHalfWrittenFile() {
#ifdef _WIN32
        QSKIP("a file-size limit is POSIX only");
#else
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        const QString out = dir.filePath("old.txt");
        writeBytes(out, "the previous results\r\n");
        p.files.saveAnswers = {out};
        struct rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        p.results->cmdSaveOutputClick();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(p.boxes.events,
                 QStringList{QStringLiteral("error:Could not save the results to %1: File too large").arg(out)});
        QCOMPARE(readBytes(out), std::string("the previous results\r\n"));
        // Nothing but the old results file (the Compute's data file is in the user's folder).
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.txt")});
        QVERIFY(!p.results->reportLines().empty()); // the area keeps what it held

        p.boxes.events.clear();
        p.files.saveAnswers = {dir.filePath("old.txt/inside.txt")};
        p.results->cmdSaveOutputClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:Could not save the results to %1: Not a directory")
                                                 .arg(dir.filePath("old.txt/inside.txt"))});
#endif
    }

    // ---- Clear Results ------------------------------------------------------------
    void clearResultsThenComputeHasNoSeparator() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        const ReportLines first = p.results->reportLines();
        p.results->cmdClearResultsClick();
        QVERIFY(p.results->memoResults->toPlainText().isEmpty());
        QVERIFY(p.boxes.events.isEmpty());
        p.results->cmdReturnClick();
        compute(p);
        QCOMPARE(p.results->reportLines(), first);
    }

    // ---- Printing -------------------------------------------------------------------
    void printAllSendsTheWholeTextAndALineEndInEightPoints() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        p.results->mnuPrintClick();
        QCOMPARE(p.recordingPrinter.texts.size(), 1);
        QCOMPARE(p.recordingPrinter.texts[0],
                 QString::fromStdString(joinCrLf(p.results->reportLines())) + QStringLiteral("\r\n"));
        QCOMPARE(p.recordingPrinter.fonts[0].pointSize(), 8);
        QCOMPARE(p.recordingPrinter.fonts[0].family(), p.results->memoResults->font().family());
        QVERIFY(p.boxes.events.isEmpty());
    }

    void printSelectionWithNothingSelectedWarns() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        p.results->mnuPrintSelectionClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("warning:You have not selected any text.")});
        QVERIFY(p.recordingPrinter.texts.isEmpty());
    }

    void printSelectionSendsTheSelectedText() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.book->appendLines({"alpha beta", "gamma"});
        QTextCursor c = p.results->memoResults->textCursor();
        c.setPosition(6);
        c.setPosition(13, QTextCursor::KeepAnchor); // "beta" CR LF "ga"
        p.results->memoResults->setTextCursor(c);
        p.results->mnuPrintSelectionClick();
        QCOMPARE(p.recordingPrinter.texts, QStringList{QStringLiteral("beta\r\nga\r\n")});
    }

    void aPrinterFailureShowsTheErrorBox() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.recordingPrinter.failWith = NoDefaultPrinter;
        p.results->mnuPrintClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:There is no default printer currently selected")});
    }

    void withNoDefaultPrinterNothingPrints() {
        if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this machine has a default printer; not printing on it");
        QTemporaryDir dir;
        QtTextPrinter real; // the program's own printer service
        Program p;
        p.printer = &real;
        p.start(exeIn(dir));
        compute(p);
        p.results->mnuPrintClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:There is no default printer currently selected")});
        QString error;
        QVERIFY(!QtTextPrinter::openDefaultPrinter(error));
        QCOMPARE(error, NoDefaultPrinter);
    }

    void printAllIntoAPdfPrinterFollowsTheLineAndPageRules() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("all.pdf");
        QtTextPrinter toPdf([&](QString&) { return pdfDevice(pdf); });
        Program p;
        p.printer = &toPdf;
        p.start(exeIn(dir));
        compute(p);
        p.results->cmdReturnClick();
        compute(p); // two reports: more than one page
        p.results->mnuPrintClick();
        QVERIFY(p.boxes.events.isEmpty());
        const PrintLayout layout = pdfLayout(p.results->printAllText(), p.results->printFont());
        QVERIFY(layout.pageCount >= 2);
        QCOMPARE(pdfPageCount(readBytes(pdf)), layout.pageCount);
        // The first page starts at the top-left corner with the empty line,
        // then the title one character height lower.
        QCOMPARE(layout.pieces.front().page, 1);
        QCOMPARE(layout.pieces.front().x, 0);
        QCOMPARE(layout.pieces.front().text, QString::fromStdString(ProgramTitle));
        QVERIFY(layout.pieces.front().y > 0);
        // Every later page starts at its top: its first text stands on the
        // first line, or on the second when the page begins with an empty
        // line (where the break falls depends on the fonts' metrics).
        const int secondLine = layout.pieces.front().y;
        int page = 1;
        for (const PlacedText& piece : layout.pieces) {
            if (piece.page != page) {
                QVERIFY2(piece.y == 0 || piece.y == secondLine, qPrintable(QString::number(piece.y)));
                page = piece.page;
            }
        }
    }

    void printSelectionOfOneWordPrintsItAloneOnTheFirstLine() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("word.pdf");
        QtTextPrinter toPdf([&](QString&) { return pdfDevice(pdf); });
        Program p;
        p.printer = &toPdf;
        p.start(exeIn(dir));
        compute(p);
        QTextCursor c = p.results->memoResults->document()->find(QStringLiteral("INPUTS"));
        QVERIFY(!c.isNull());
        p.results->memoResults->setTextCursor(c);
        p.results->mnuPrintSelectionClick();
        QCOMPARE(p.results->printSelectionText(), QStringLiteral("INPUTS\r\n"));
        const PrintLayout layout = pdfLayout(p.results->printSelectionText(), p.results->printFont());
        QCOMPARE(layout.pieces.size(), std::size_t(1));
        QCOMPARE(layout.pieces[0].text, QStringLiteral("INPUTS"));
        QCOMPARE(layout.pieces[0].page, 1);
        QCOMPARE(layout.pieces[0].x, 0);
        QCOMPARE(layout.pieces[0].y, 0);
        QCOMPARE(pdfPageCount(readBytes(pdf)), 1);
    }

    // ---- Open Results File (hidden in this program; the handler still works) ----------
    void openResultsFileReplacesTheTextWithTheFilesLines() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.book->appendLines({"old"});
        const QString in = dir.filePath("in.txt");
        writeBytes(in, "one\r\ntwo\nthree\r\n" + std::string(76, 'x') + "\r\nlast");
        p.files.openAnswers = {in};
        p.results->cmdOpenPreviousFileClick();
        QCOMPARE(p.results->reportLines(), (ReportLines{"one", "two", "three", std::string(76, 'x'), "last"}));
        QCOMPARE(p.results->memoResults->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(p.results->saveDialogFileName, in);
        QCOMPARE(p.files.openInitialNames, QStringList{QStringLiteral("results.txt")});
        // Saving it again gives the lines with CR LF.
        const QString out = dir.filePath("again.txt");
        p.files.saveAnswers = {out};
        p.results->cmdSaveOutputClick();
        QCOMPARE(readBytes(out), "one\r\ntwo\r\nthree\r\n" + std::string(76, 'x') + "\r\nlast\r\n");
        QCOMPARE(p.files.saveInitialNames, QStringList{in});
    }

    void openingAMissingFileShowsTheReasonOnAnEmptiedArea() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.book->appendLines({"old"});
        p.files.openAnswers = {dir.filePath("missing.txt")};
        p.results->cmdOpenPreviousFileClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:Could not read the results from %1: No such file or "
                                                            "directory")
                                                 .arg(dir.filePath("missing.txt"))});
        QVERIFY(p.results->reportLines().empty());
    }

    void shortLinesKeepWrapping() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        const QString in = dir.filePath("short.txt");
        writeBytes(in, std::string(75, 'x') + "\r\n");
        p.files.openAnswers = {in};
        p.results->cmdOpenPreviousFileClick();
        QVERIFY(p.results->memoResults->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOn);
    }

    // ---- Layout: nothing clipped at the default and at a large font -------------------
    void noCaptionIsClipped_data() { ApplicationFontSize::addRows(); }
    void noCaptionIsClipped() {
        QFETCH(int, pointSize);
        const ApplicationFontSize font(pointSize);
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.results->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.results.get()));
        for (QWidget* w : p.results->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->isWindow()) continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                QVERIFY2(b->width() >= b->minimumSizeHint().width(), qPrintable(b->text()));
                QVERIFY2(b->height() >= b->minimumSizeHint().height(), qPrintable(b->text()));
            }
            const QRect inParent = QRect(QPoint(0, 0), w->parentWidget()->size());
            QVERIFY2(inParent.contains(w->geometry()),
                     qPrintable(w->objectName() + QStringLiteral(" ") + QString::number(w->geometry().right()) +
                                QStringLiteral(" > ") + QString::number(inParent.right())));
        }
        // A report line of 103 characters fits without wrapping.
        const QFontMetrics fm(p.results->memoResults->font());
        QVERIFY(p.results->memoResults->viewport()->width() >= fm.horizontalAdvance(QString(103, u'-')));
        // The buttons in a row at the bottom, in order.
        QVERIFY(p.results->cmdSaveOutput->x() < p.results->cmdClearResults->x());
        QVERIFY(p.results->cmdClearResults->x() < p.results->cmdReturn->x());
        QVERIFY(p.results->cmdReturn->x() < p.results->cmdExit->x());
        p.stop();
    }

    // ---- The Qt implementations of the services ------------------------------------
    void theQtMessageBoxesHaveTheSpecifiedCaptionsIconsAndButtons() {
        QtMessageBoxes boxes;
        struct Seen {
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            Qt::TextFormat format = Qt::AutoText;
        } seen;
        auto inspectAndPress = [&](QMessageBox::StandardButton press) {
            QTimer::singleShot(0, [&, press] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->textFormat()};
                box->button(press)->click();
            });
        };
        inspectAndPress(QMessageBox::Ok);
        boxes.warning(QStringLiteral("INPUT ERROR\r\rEnter numeric data only."));
        QCOMPARE(seen.title, QStringLiteral("Warning"));
        QCOMPARE(seen.text, QStringLiteral("INPUT ERROR\n\nEnter numeric data only."));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        inspectAndPress(QMessageBox::Yes);
        QVERIFY(boxes.confirm(QStringLiteral("Exit from program?")));
        QCOMPARE(seen.title, QStringLiteral("Confirm"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        inspectAndPress(QMessageBox::No);
        QVERIFY(!boxes.confirm(QStringLiteral("Exit from program?")));

        inspectAndPress(QMessageBox::Ok);
        boxes.information(QStringLiteral("Valid matrix values are BETWEEN -1 and 1. Please re-enter matrix values"));
        QCOMPARE(seen.title, QStringLiteral("Information"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        inspectAndPress(QMessageBox::Ok);
        boxes.error(QStringLiteral("Permission denied"));
        QCOMPARE(seen.title, QStringLiteral("KALDEN"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, QStringLiteral("Permission denied"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // A name typed as markup is shown as typed, never as bold text.
        inspectAndPress(QMessageBox::No);
        QVERIFY(!boxes.confirmDeletion(QStringLiteral("Delete all 2 cases of A<b>bold</b> from the records?")));
        QCOMPARE(seen.text, QStringLiteral("Delete all 2 cases of A<b>bold</b> from the records?"));
        QCOMPARE(seen.format, Qt::PlainText);
    }

    void theQtFileDialogsUseTheTxtFilterAndConfirmReplacing() {
        QTemporaryDir dir;
        QtFileDialogs dialogs;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        QStringList filters;
        QString suffix = QStringLiteral("unset");
        bool confirmsReplace = false;
        QString selected;
        auto inspect = [&](const QString& choose) {
            QTimer::singleShot(0, [&, choose] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                mode = dialog->acceptMode();
                filters = dialog->nameFilters();
                suffix = dialog->defaultSuffix();
                confirmsReplace = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                selected = dialog->selectedFiles().value(0);
                if (choose.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->selectFile(choose);
                    QMetaObject::invokeMethod(dialog, "accept");
                }
            });
        };
        inspect(QString());
        QVERIFY(!dialogs.saveFileName(nullptr, QStringLiteral("results.txt")));
        QCOMPARE(mode, QFileDialog::AcceptSave);
        QCOMPARE(filters, QStringList{QStringLiteral("*.txt")});
        QVERIFY(suffix.isEmpty()); // a name typed without .txt is used as typed
        QVERIFY(confirmsReplace);
        QVERIFY(selected.endsWith(QStringLiteral("results.txt")));

        const QString chosen = dir.filePath("report");
        inspect(chosen);
        QCOMPARE(dialogs.saveFileName(nullptr, QStringLiteral("results.txt")).value_or(QString()), chosen);

        writeBytes(dir.filePath("in.txt"), "x");
        inspect(dir.filePath("in.txt"));
        QCOMPARE(dialogs.openFileName(nullptr, QStringLiteral("results.txt")).value_or(QString()),
                 dir.filePath("in.txt"));
        QCOMPARE(mode, QFileDialog::AcceptOpen);
        QCOMPARE(filters, QStringList{QStringLiteral("*.txt")});
    }

    void theFixedPitchFontIsCourierNewOrTheSystemsFixedFont() {
        const QFont f = fixedPitchFont(8);
        QCOMPARE(f.pointSize(), 8);
        QFont courier(QStringLiteral("Courier New"));
        courier.setStyleHint(QFont::TypeWriter);
        if (QFontDatabase::hasFamily(QStringLiteral("Courier New")) || QFontInfo(courier).fixedPitch()) {
            QCOMPARE(f.family(), QStringLiteral("Courier New"));
            QVERIFY(QFontInfo(f).fixedPitch());
        } else {
            QCOMPARE(f.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        }
    }

    void theHostGivesTheRunningExecutable() {
        bool ended = false;
        QtProgramHost host([&] { ended = true; });
        QCOMPARE(host.executablePath(), QCoreApplication::applicationFilePath());
        host.endProgram();
        QVERIFY(ended);
    }

    // Every action within reach of the keyboard: the standard shortcuts,
    // Enter on a focused button, F10 and Alt for the menu, Escape for the
    // chart window.
    void theKeyboardReachesEveryAction() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        TfrmTemplateResults& r = *p.results;
        r.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r));
        QTest::keyClick(r.memoResults, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(r.memoResults, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(p.files.saveInitialNames, (QStringList{"results.txt", "results.pdf"}));
        QTest::keyClick(r.memoResults, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(p.recordingPrinter.texts, QStringList{r.printAllText()});
        QApplication::clipboard()->clear();
        QTest::keyClick(r.memoResults, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(QApplication::clipboard()->mimeData()->hasHtml());

        r.mnuProfileChart->trigger();
        TfrmProfileChart* chart = r.profileChartWindow();
        QApplication::setActiveWindow(chart);
        QCOMPARE(QApplication::activeWindow(), chart);
        QTest::keyClick(chart->cmdClose, Qt::Key_Escape);
        QVERIFY(!chart->isVisible());

        QApplication::setActiveWindow(&r);
        // F10 and Alt alone give the bar the keyboard, its first menu
        // highlighted; Escape gives the focus back.
        r.cmdReturn->setFocus();
        QTest::keyClick(r.cmdReturn, Qt::Key_F10);
        QCOMPARE(r.MainMenu1->activeAction(), r.mnuPrinterOptions->menuAction());
        QTest::keyClick(r.MainMenu1, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), r.cmdReturn);
        QTest::keyPress(r.cmdReturn, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(r.cmdReturn, Qt::Key_Alt);
        QCOMPARE(r.MainMenu1->activeAction(), r.mnuPrinterOptions->menuAction());
        QTest::keyClick(r.MainMenu1, Qt::Key_Escape);

        r.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r));
        for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
            compute(p);
            r.cmdClearResults->setFocus();
            QTest::keyClick(r.cmdClearResults, enter);
            QVERIFY(r.memoResults->toPlainText().isEmpty());
        }
        r.cmdReturn->setFocus();
        QTest::keyClick(r.cmdReturn, Qt::Key_Return);
        QVERIFY(!r.isVisible());
    }

    void previewChoosingAPrinterAndAboutAreInTheMenus() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p);
        p.results->mnuPrintPreview->trigger();
        p.results->mnuChoosePrinter->trigger();
        QCOMPARE(p.recordingPrinter.dialogs, (QStringList{"preview:" + p.results->printAllText(), "choose"}));
        p.results->mnuAbout->trigger();
        p.form->cmdAbout->click();
        const QString folder = QDir::toNativeSeparators(dir.filePath("share/kalden"));
        QCOMPARE(p.boxes.events.size(), 2);
        QCOMPARE(p.boxes.events[0], p.boxes.events[1]);
        QVERIFY(p.boxes.events[0].startsWith("about:KALDEN " + programVersion() + "\r"));
        QVERIFY(p.boxes.events[0].endsWith("\r\rData folder: " + folder));
    }
};

QTEST_MAIN(ResultsWindowTest)
#include "ResultsWindowTest.moc"
