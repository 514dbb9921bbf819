// The profile chart, Save as PDF, and the results window's view and the
// notes limit, driven through the real windows with recording fakes.

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QXmlStreamReader>
#include <QtTest>

#include "GuiHarness.h"
#include "files/TextFile.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/ProfileChart.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "scoring/ScoringEngine.h"
#include "support/Cases.h"

using namespace kalden;
using kalden::testing::Program;
using kalden::testing::readBytes;

namespace {

const QStringList Mixed = {"12", "7", "11", "9", "8", "10", "13"};
const QStringList Tens = {"10", "10", "10", "10", "10", "10", "10"};

QString exeIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("kalden")); }

void compute(Program& p, const QStringList& scores) {
    p.setScores(scores);
    p.form->cmdComputeClick();
}

QImage rendered(const ProfileChart& chart) {
    QImage image(ProfileChart::PictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    chart.paintChart(painter, QSizeF(ProfileChart::PictureSize));
    return image;
}

QColor at(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(x), static_cast<int>(y));
}

QString runTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<%1 failed>").arg(tool);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class ProfileChartTest : public QObject {
    Q_OBJECT

private slots:
    void withNoComputeTheChartItemOnlyInforms() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.results->mnuProfileChart->trigger();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("information:No case has been computed yet.")});
        QVERIFY(!p.results->profileChartWindow());
    }

    // Scaled scores of 10 put every score at 100; the bars run from the
    // limits' places on the scale (PS: 88 to 112 printed).
    void markersAndBarsSitWhereTheScaleSays() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p, Tens);
        p.results->mnuProfileChart->trigger();
        TfrmProfileChart* w = p.results->profileChartWindow();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Profile chart: ") + QString::fromStdString(ProgramTitle));
        const ProfileChart& chart = *w->chtProfile;
        const QImage image = rendered(chart);
        const QRectF plot = chart.plotArea(QSizeF(ProfileChart::PictureSize));
        const double y100 = plot.top() + plot.height() / 2;
        for (std::size_t i = 0; i < IndexCount; ++i) {
            const IndexResult& r = (*chart.profileCase())[indexAt(i)];
            const double x = plot.left() + (i + 0.5) * plot.width() / 5;
            QCOMPARE(r.score, 100.0);
            QCOMPARE(at(image, x, y100), ProfileChart::MarkerColor);
            QVERIFY(at(image, x, y100 - ProfileChart::MarkerRadius - 3) != ProfileChart::MarkerColor);
            const double top = plot.top() + (160 - r.upperLimit) / 120 * plot.height();
            const double bottom = plot.top() + (160 - r.lowerLimit) / 120 * plot.height();
            QCOMPARE(at(image, x, top + 3), ProfileChart::BarColor);
            QCOMPARE(at(image, x, bottom - 3), ProfileChart::BarColor);
            QVERIFY(at(image, x, top - 4) != ProfileChart::BarColor);
            QVERIFY(at(image, x, bottom + 4) != ProfileChart::BarColor);
        }
        QCOMPARE((*chart.profileCase())[IndexId::PS].lowerLimit < 89, true);

        // A new Compute updates the open window.
        p.results->cmdReturnClick();
        compute(p, Mixed);
        QCOMPARE(chart.descriptionLines().first(),
                 QStringLiteral("Verbal Comprehension 108, 95% confidence limits 101 to 115, percentile 70"));
    }

    void theDescriptionGivesEveryValueInWords() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->RadioGroup2->setItemIndex(3); // 90% Glutting
        compute(p, Mixed);
        p.results->mnuProfileChart->trigger();
        const ProfileChart& chart = *p.results->profileChartWindow()->chtProfile;
        QCOMPARE(chart.accessibleName(), QStringLiteral("Index profile chart"));
        const QStringList expected = {
            "Verbal Comprehension 108, 90% confidence limits 102 to 113, percentile 70",
            "Perceptual Organization 106, 90% confidence limits 99 to 111, percentile 65",
            "Working Memory 94, 90% confidence limits 89 to 101, percentile 35",
            "Processing Speed 85, 90% confidence limits 79 to 96, percentile 16",
            "Full Scale IQ 100, 90% confidence limits 96 to 104, percentile 50",
            "Note: 90% Confidence limits using the Glutting method were selected",
        };
        QCOMPARE(chart.accessibleDescription().split(u'\n'), expected);
    }

    void saveChartWritesPngSvgAndPdfByExtension() {
#if !KALDEN_HAVE_SVG
        QSKIP("this build has no Qt SVG");
#else
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p, Mixed);
        p.results->mnuProfileChart->trigger();
        TfrmProfileChart* w = p.results->profileChartWindow();
        const QString png = dir.filePath("c.png"), svg = dir.filePath("c.SVG"), pdf = dir.filePath("c.pdf");
        p.files.saveAnswers = {png, svg, pdf, dir.filePath("c.jpg")};
        for (int i = 0; i < 4; ++i) w->cmdSaveChartClick();
        QCOMPARE(p.files.saveInitialNames, (QStringList{"profile.png", png, svg, pdf}));
        QCOMPARE(p.files.saveFilters.first(), ChartFileTypes);
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("warning:") + ChartExtensionMessage});
        QImage image;
        QVERIFY(image.load(png));
        QCOMPARE(image.size(), ProfileChart::PictureSize * 2);
        QVERIFY(QString::fromStdString(readBytes(svg)).contains("<desc>Verbal Comprehension 108, 95%"));
        QVERIFY(runTool("pdftotext", {"-layout", pdf, "-"}).contains("Perceptual"));
        QVERIFY(!QFile::exists(dir.filePath("c.jpg")));

        // Word's line break and an escape in the person and the notes: the
        // title stays one line and the SVG stays XML.
        {
            Program q;
            q.start(exeIn(dir));
            q.form->setSession({"Ann\vB.\x1b[2J", "", "2026-03-01", "", ""});
            q.form->memoComments->setPlainText(QStringLiteral("GP\vletter"));
            compute(q, Mixed);
            q.results->mnuProfileChart->trigger();
            const QString hostile = dir.filePath("h.svg");
            q.files.saveAnswers = {hostile};
            q.results->profileChartWindow()->cmdSaveChartClick();
            QCOMPARE(q.files.saveInitialNames, QStringList{"Ann B.[2J 2026-03-01 chart.png"});
            QXmlStreamReader xml(QByteArray::fromStdString(readBytes(hostile)));
            while (!xml.atEnd()) xml.readNext();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        }

        w->cmdPrintChartClick();
        QCOMPARE(p.recordingPrinter.pictures.size(), 1);
        p.recordingPrinter.failWith = NoDefaultPrinter;
        w->cmdPrintChartClick();
        QCOMPARE(p.boxes.events.last(), QStringLiteral("error:") + NoDefaultPrinter);
#endif
    }

    // The scale widens by tens until every score and limit has room for
    // its label: 19 x 7 reaches FSIQ 160 (155 to 165), 1 x 7 FSIQ 40.
    void extremeProfilesStayInsideThePlot() {
        const struct {
            QStringList scores;
            double low, high;
        } cases[] = {{QStringList(7, "19"), 40, 170}, {QStringList(7, "1"), 30, 160}};
        for (const auto& c : cases) {
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir));
            compute(p, c.scores);
            p.results->mnuProfileChart->trigger();
            const ProfileChart& chart = *p.results->profileChartWindow()->chtProfile;
            QCOMPARE(chart.scale().low, c.low);
            QCOMPARE(chart.scale().high, c.high);
            const QRectF plot = chart.plotArea(QSizeF(ProfileChart::PictureSize));
            const double labelHalf = QFontMetricsF(chart.font()).height() / 2;
            const QImage image = rendered(chart);
            for (std::size_t i = 0; i < IndexCount; ++i) {
                const IndexResult& r = (*chart.profileCase())[indexAt(i)];
                const double x = ProfileChart::indexX(indexAt(i), plot);
                const double y = chart.scoreY(r.score, plot);
                QVERIFY(y - labelHalf > plot.top() && y + labelHalf < plot.bottom());
                QVERIFY(chart.scoreY(r.upperLimit, plot) > plot.top() + 3);
                QVERIFY(chart.scoreY(r.lowerLimit, plot) < plot.bottom() - 3);
                QCOMPARE(at(image, x, y), ProfileChart::MarkerColor);
            }
        }
    }

    // All ones, then all nineteens, on one chart: the scale holds both with
    // room for the labels (30 to 170), every marker is painted where its score
    // lies (the first an open square over its bar, the second a filled
    // circle), the bars reach their limits on either side of the Index's
    // middle, and the table gives the change.
    void twoProfilesAtTheExtremesShareOneScaleAndNothingIsClipped() {
        const IndexResults ones = computeAll(testing::allOnes()).index;
        const IndexResults nineteens = computeAll(testing::allNineteens()).index;
        ProfileChart chart;
        const ReliableChange change = computeReliableChange(ones, nineteens, ChangeLevel::Percent95, {});
        chart.setComparison(ones, nineteens, change, QStringLiteral("Ann"),
                            QStringLiteral("First, tested 2025-11-03 (case 1)"),
                            QStringLiteral("Second, tested 2026-12-09 (case 2)"));
        QCOMPARE(chart.scale().low, 30.0);
        QCOMPARE(chart.scale().high, 170.0);
        const QRectF plot = chart.plotArea(QSizeF(ProfileChart::PictureSize));
        const double labelHalf = QFontMetricsF(chart.font()).height() / 2;
        const QImage image = rendered(chart);
        for (std::size_t i = 0; i < IndexCount; ++i) {
            const IndexId id = indexAt(i);
            for (int which = 0; which < 2; ++which) {
                const IndexResult& r = (which == 0 ? ones : nineteens)[id];
                const double x = chart.profileX(id, plot, which);
                QCOMPARE(x, ProfileChart::indexX(id, plot) + (which == 0 ? -1 : 1) * ProfileChart::PairOffset);
                const double y = chart.scoreY(r.score, plot);
                const double top = chart.scoreY(r.upperLimit, plot);
                const double bottom = chart.scoreY(r.lowerLimit, plot);
                QVERIFY(y - labelHalf > plot.top() && y + labelHalf < plot.bottom());
                QVERIFY(top > plot.top() + 3 && bottom < plot.bottom() - 3);
                const QColor bar = which == 0 ? ProfileChart::FirstMarkerColor : ProfileChart::BarColor;
                QCOMPARE(at(image, x, top + 3), bar);
                QCOMPARE(at(image, x, bottom - 3), bar);
                QCOMPARE(at(image, x, y), which == 0 ? QColor(Qt::white) : ProfileChart::MarkerColor);
            }
        }
        QCOMPARE(chart.descriptionLines()[3],
                 QStringLiteral("Processing Speed: First, tested 2025-11-03 (case 1) 55 (limits 43 to 67), Second, "
                                "tested 2026-12-09 (case 2) 145 (limits 133 to 157); change 90, RCI 10.61, reliable "
                                "improvement"));
        chart.setCase(ones);
        QVERIFY(!chart.secondCase());
        QCOMPARE(chart.scale().low, 30.0);
        QCOMPARE(chart.scale().high, 160.0);
    }

    // Three cases as a PDF: each starts a page and is followed by its own
    // chart, under its text when there is room; every page has the case's
    // person and date of testing in its header and its dates and "Page N of
    // M" in its footer; no table is split from its heading or its last row;
    // the text comes back line for line; three cases take at most six pages.
    void saveAsPdfGivesEachCaseItsPagesAndItsChart() {
#ifdef _WIN32
        QSKIP("pdftotext reads the PDF on Linux only");
#else
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        const QStringList names = {"First case", "Second case", "Third case"};
        const QStringList tested = {"2026-03-01", "2026-04-15", "2026-05-30"};
        const QList<QStringList> scores = {Mixed, Tens, QStringList(7, "19")};
        for (int i = 0; i < 3; ++i) {
            p.form->setSession({names[i].toStdString(), "", tested[i].toStdString(), "Dr E. Fox", ""});
            p.form->memoComments->setPlainText(names[i] + " notes\nreferral");
            compute(p, scores[i]);
            p.results->cmdReturnClick();
        }
        const QString pdf = dir.filePath("results.pdf");
        p.files.saveAnswers = {pdf};
        p.results->mnuSaveAsPdf->trigger();
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(p.files.saveInitialNames.last(), QStringLiteral("Third case 2026-05-30 results.pdf"));
        QStringList pages = runTool("pdftotext", {"-layout", pdf, "-"}).split(u'\f');
        pages.removeLast(); // after the last form feed
        QVERIFY2(pages.size() <= 6, qPrintable(QString::number(pages.size())));
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QStringList bodyLines;
        int chartsSeen = 0;
        for (int i = 0; i < pages.size(); ++i) {
            QStringList lines;
            for (const QString& l : pages[i].split(u'\n'))
                if (!l.trimmed().isEmpty()) lines << l.simplified();
            QVERIFY(lines.size() >= 3);
            const int c = chartsSeen;
            const QString person = names[c] + ", tested " + tested[c] + " by Dr E. Fox";
            QCOMPARE(lines.first(), "KALDEN " + person);
            const QString computed =
                QString::fromStdString(computedAtText(p.book->cases()[static_cast<std::size_t>(c)]));
            QCOMPARE(lines.last(), QStringLiteral("Tested %1, computed %2, printed on %3 Page %4 of %5 KALDEN %6")
                                       .arg(tested[c], computed, today)
                                       .arg(i + 1)
                                       .arg(pages.size())
                                       .arg(programVersion()));
            lines = lines.mid(1, lines.size() - 2);
            // The chart's title ends a case's text, on its last page or on a page of its own.
            const auto title = std::find_if(lines.begin(), lines.end(),
                                            [&](const QString& l) { return l.startsWith(person + " \u2014 "); });
            const QStringList text(lines.begin(), title);
            // A table and its last lines stay on one page with their heading.
            QCOMPARE(text.contains("ABNORMALITY of differences between Short-Form Indices, i.e., percentage of "
                                   "population estimated to"),
                     text.filter(QRegularExpression("^Chi-square = ")).size() == 1);
            bodyLines << text;
            if (title != lines.end()) ++chartsSeen;
        }
        QCOMPARE(chartsSeen, 3);
        QStringList want;
        for (const std::string& l : p.results->reportLines()) {
            const QString line = QString::fromStdString(l).simplified();
            if (!line.isEmpty() && !line.startsWith(QString(20, u'-'))) want << line; // no separator on a new page
        }
        QCOMPARE(bodyLines, want);
#endif
    }

    // A title as long as the notes and the session make it is wrapped within
    // the picture, every character of it on a line of its own width, and the
    // plot makes room for it.
    void aLongTitleIsWrappedWithinThePictureNeverCut() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QString note;
        while (note.size() < 230) note += QStringLiteral("referred for memory complaints after surgery; ");
        note = note.left(230) + QString(20, u'W'); // and a word longer than a line
        p.form->memoComments->setPlainText(note);
        p.form->setSession({"Annabel Bartholomew-Fitzgerald", "1961-04-12", "2026-03-01", "Dr C. Diaz", ""});
        compute(p, Mixed);
        p.results->mnuProfileChart->trigger();
        const ProfileChart& chart = *p.results->profileChartWindow()->chtProfile;
        const QString title = chartCaseOf(p.book->cases()[0]).title;
        QVERIFY(title.contains(note));
        const double width = ProfileChart::PictureSize.width();
        QTextLayout layout(title, chart.font());
        QFont bold = chart.font();
        bold.setBold(true);
        bold.setPixelSize(std::max(10, QFontInfo(chart.font()).pixelSize()));
        layout.setFont(bold);
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QVERIFY(line.naturalTextWidth() <= width);
            ++lines;
        }
        layout.endLayout();
        QVERIFY(lines >= 3);
        const QRectF titleBox = chart.titleRect(width);
        QVERIFY(titleBox.height() >= lines * QFontMetricsF(bold).height() - 1);
        QVERIFY(chart.plotArea(QSizeF(ProfileChart::PictureSize)).top() > titleBox.bottom());
    }

    // Clear Results forgets the cases: the open chart says so, and a PDF of
    // the empty window has no chart page.
    void clearResultsLeavesNoChartBehind() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p, Mixed);
        p.results->mnuProfileChart->trigger();
        TfrmProfileChart* w = p.results->profileChartWindow();
        p.results->cmdReturnClick();
        compute(p, Tens);
        QCOMPARE(w->lblCase->text(), QStringLiteral("Case 2 of 2"));
        w->cmdPreviousCase->click();
        QCOMPARE(w->chtProfile->descriptionLines().first(),
                 QStringLiteral("Verbal Comprehension 108, 95% confidence limits 101 to 115, percentile 70"));
        QVERIFY(!w->cmdPreviousCase->isEnabled() && w->cmdNextCase->isEnabled());
        p.results->cmdClearResultsClick();
        QVERIFY(!w->chtProfile->profileCase());
        QCOMPARE(w->chtProfile->accessibleDescription(), NoCaseYet);
        QVERIFY(!w->cmdSaveChart->isEnabled());
#ifndef _WIN32
        const QString pdf = dir.filePath("empty.pdf");
        p.files.saveAnswers = {pdf};
        p.results->mnuSaveAsPdfClick();
        const QString text = runTool("pdftotext", {"-layout", pdf, "-"});
        QCOMPARE(text.count(u'\f'), 1);
        QVERIFY(text.contains("Page 1 of 1"));
        QVERIFY(!text.contains("Computed"));
#endif
    }

    // The summary of the latest case on the clipboard and in files, with
    // the report's numbers.
    void theSummaryGoesToTheClipboardAndToOdtAndHtml() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.results->mnuCopySummary->trigger();
        QCOMPARE(p.boxes.events, QStringList{"information:" + NoCaseYet});
        compute(p, Tens);
        p.results->cmdReturnClick();
        compute(p, Mixed);
        p.results->mnuCopySummary->trigger();
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QVERIFY(clip->hasHtml() && clip->hasText());
        QVERIFY(clip->text().contains(QStringLiteral("Verbal Comprehension\t108\t101\u2013115\t70\tAverage\n")));
        QVERIFY(clip->html().contains(QStringLiteral("<td>Processing Speed</td><td align=\"right\">85</td>")));

        // A case with a reliable VC-PO difference and two abnormally low Index
        // scores: the paragraphs a letter takes, with the report's numbers.
        p.results->cmdReturnClick();
        compute(p, {"19", "10", "19", "5", "4", "4", "5"});
        p.results->mnuCopySummary->trigger();
        const QString letter = QApplication::clipboard()->mimeData()->text();
        QVERIFY(letter.contains(
            "Verbal Comprehension (148) is 76 points higher than Perceptual Organization (72). The "
            "difference is reliable (two-tailed p < .001, comparing the scores as obtained); fewer than "
            "1 in 1,000 people show a difference this large in this direction."));
        QVERIFY(
            letter.contains("Two of the four Index scores are abnormally low: Perceptual Organization (72) and "
                            "Working Memory (66). An Index score is abnormally low when fewer than 5 in 100 "
                            "people score lower; about 4 in 100 people have this many abnormally low scores or "
                            "more."));
        QVERIFY(QApplication::clipboard()->mimeData()->html().contains("<p>Two of the four Index scores"));
        p.results->cmdReturnClick();
        compute(p, Mixed);

        const QString odt = dir.filePath("s.odt"), html = dir.filePath("s.HTML");
        p.files.saveAnswers = {odt, html, dir.filePath("s.doc")};
        for (int i = 0; i < 3; ++i) p.results->mnuSaveSummaryClick();
        QCOMPARE(p.files.saveInitialNames.first(), QStringLiteral("summary.odt"));
        QCOMPARE(p.boxes.events.last(), "warning:" + SummaryExtensionMessage);
        QCOMPARE(readBytes(html).substr(0, 15), std::string("<!DOCTYPE html>"));
        QVERIFY(QString::fromStdString(readBytes(html)).contains("<td>Working Memory</td><td align=\"right\">94</td>"));
#ifndef _WIN32
        const QString content = runTool("unzip", {"-p", odt, "content.xml"});
        for (const char* number : {"Verbal Comprehension", "108", "70", "Low Average", "far from the average profile"})
            QVERIFY2(content.contains(QString::fromLatin1(number)), number);
#endif
    }

    void aNewReportStartsAtTheTopOfTheView() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        compute(p, Mixed);
        QApplication::processEvents();
        const int firstBlockCount = p.results->memoResults->document()->blockCount();
        p.results->cmdReturnClick();
        compute(p, Tens);
        QApplication::processEvents();
        QPlainTextEdit* memo = p.results->memoResults;
        QCOMPARE(memo->cursorForPosition(QPoint(2, 2)).block().blockNumber(), firstBlockCount - 1);
        QVERIFY(memo->verticalScrollBar()->value() > 0);
    }

    void notesKeepAtMost250CharactersHoweverTheyArrive() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QPlainTextEdit* notes = p.form->memoComments;
        // Pasting into an empty field.
        QApplication::clipboard()->setText(QString(300, u'p'));
        notes->paste();
        QCOMPARE(notes->toPlainText(), QString(250, u'p'));
        // Pasting into a full field, in the middle.
        QTextCursor c = notes->textCursor();
        c.setPosition(10);
        notes->setTextCursor(c);
        notes->paste();
        QCOMPARE(notes->toPlainText(), QString(250, u'p'));
        // Typing into a nearly full field.
        notes->setPlainText(QString(248, u'a'));
        notes->moveCursor(QTextCursor::End);
        QTest::keyClicks(notes, QStringLiteral("xyz"));
        QCOMPARE(notes->toPlainText(), QString(248, u'a') + QStringLiteral("xy"));
        // Dropping text at the start.
        notes->setPlainText(QString(240, u'a'));
        QMimeData mime;
        mime.setText(QStringLiteral("0123456789ABCDEF"));
        const QPoint where(2, 2);
        QDragEnterEvent enter(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(notes->viewport(), &enter);
        QDragMoveEvent move(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(notes->viewport(), &move);
        QDropEvent drop(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(notes->viewport(), &drop);
        QCOMPARE(notes->toPlainText(), QStringLiteral("0123456789") + QString(240, u'a'));
    }
};

QTEST_MAIN(ProfileChartTest)
#include "ProfileChartTest.moc"
