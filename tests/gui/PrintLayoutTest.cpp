// The printed layout, with made-up metrics that make
// every rule visible in round numbers, and on a real PDF device.

#include <QPdfWriter>
#include <QtTest>

#include "gui/platform/PrintLayout.h"
#include "gui/platform/QtServices.h"

using namespace kalden;

namespace {

// Every character 10 pixels wide and 10 high; a page 100 x 100 pixels.
// Non-empty lines advance 12, empty ones 10; a new page begins once the
// next line would start below 100 - 2 x 12 = 76.
PrintMetrics tenPixelMetrics(int pageWidth = 100, int pageHeight = 100) {
    PrintMetrics m;
    m.textHeight = 10;
    m.averageCharWidth = 10;
    m.pageWidth = pageWidth;
    m.pageHeight = pageHeight;
    m.width = [](const QString& s) { return 10 * static_cast<int>(s.size()); };
    return m;
}

struct Expected {
    int page, x, y;
    const char* text;
};

void check(const QString& text, const std::vector<Expected>& expected, int pages) {
    const PrintLayout layout = layoutPrintedText(text, tenPixelMetrics());
    QCOMPARE(layout.pieces.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const PlacedText& got = layout.pieces[i];
        const QString where = QStringLiteral("piece %1").arg(i);
        QVERIFY2(got.page == expected[i].page, qPrintable(where + " page " + QString::number(got.page)));
        QVERIFY2(got.x == expected[i].x, qPrintable(where + " x " + QString::number(got.x)));
        QVERIFY2(got.y == expected[i].y, qPrintable(where + " y " + QString::number(got.y)));
        QCOMPARE(got.text, QString::fromLatin1(expected[i].text));
    }
    QCOMPARE(layout.pageCount, pages);
}

} // namespace

class PrintLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void startsAtTheTopLeftCornerWithNoMargins() { check("ab", {{1, 0, 0, "ab"}}, 1); }

    void aTextLineAdvancesItsHeightPlusTwo() { check("ab\r\ncd\r\n", {{1, 0, 0, "ab"}, {1, 0, 12, "cd"}}, 1); }

    void anEmptyLineAdvancesTheCharacterHeight() {
        check("\r\n\r\nab\r\n\r\ncd", {{1, 0, 20, "ab"}, {1, 0, 42, "cd"}}, 1);
    }

    void lineFeedsAndLoneCarriageReturnsAreLineBreaksToo() {
        check("a\nb\rc", {{1, 0, 0, "a"}, {1, 0, 12, "b"}, {1, 0, 24, "c"}}, 1);
    }

    void aLongLineIsCutAndContinued() {
        check("0123456789ABCDEFGHIJxyz", {{1, 0, 0, "0123456789"}, {1, 0, 12, "ABCDEFGHIJ"}, {1, 0, 24, "xyz"}}, 1);
    }

    void aTabGoesToTheNextMultipleOfEightAverageWidths() {
        check("a\tb\r\n\tc", {{1, 0, 0, "a"}, {1, 80, 0, "b"}, {1, 80, 12, "c"}}, 1);
        // Past the right edge the text goes on at the left of the next line.
        check("123456789\tX", {{1, 0, 0, "123456789"}, {1, 0, 12, "X"}}, 1);
    }

    void aNewPageWhenTheNextLineWouldStartTooLow() {
        // Lines at 0, 12, ..., 72; the eighth would start at 84 > 76.
        check("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n",
              {{1, 0, 0, "1"},
               {1, 0, 12, "2"},
               {1, 0, 24, "3"},
               {1, 0, 36, "4"},
               {1, 0, 48, "5"},
               {1, 0, 60, "6"},
               {1, 0, 72, "7"},
               {2, 0, 0, "8"}},
              2);
    }

    void theBreakNeedsTwoLineAdvancesLeftNotTwoCharacterHeights() {
        // The seventh line starts at 72. With a page of 96 exactly two line
        // advances (2 x 12) remain below it; one pixel less and it moves to
        // the next page (two character heights, 20, would still fit).
        const QString seven = QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7");
        const PrintLayout fits = layoutPrintedText(seven, tenPixelMetrics(100, 96));
        QCOMPARE(fits.pageCount, 1);
        QCOMPARE(fits.pieces.back().y, 72);
        const PrintLayout breaks = layoutPrintedText(seven, tenPixelMetrics(100, 95));
        QCOMPARE(breaks.pageCount, 2);
        QCOMPARE(breaks.pieces.back().page, 2);
        QCOMPARE(breaks.pieces.back().y, 0);
        QCOMPARE(breaks.pieces[5].page, 1);
    }

    void aTextEndingAtAPageBreakFeedsNoEmptyPage() {
        check("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n",
              {{1, 0, 0, "1"},
               {1, 0, 12, "2"},
               {1, 0, 24, "3"},
               {1, 0, 36, "4"},
               {1, 0, 48, "5"},
               {1, 0, 60, "6"},
               {1, 0, 72, "7"}},
              1);
    }

    void aFormFeedStartsANewPage() {
        check("a\fb", {{1, 0, 0, "a"}, {2, 0, 0, "b"}}, 2);
        check("a\f\fb", {{1, 0, 0, "a"}, {3, 0, 0, "b"}}, 3);
    }

    // Seven lines fill a page: an eighth would stand alone on the second.
    void aLastLineNeverStandsAloneOnItsPage() {
        PrintLayout widow = layoutPrintedText("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n", tenPixelMetrics());
        keepTwoLinesOnLastPage(widow, 12);
        const std::vector<Expected> moved = {{1, 0, 0, "a"},  {1, 0, 12, "b"}, {1, 0, 24, "c"}, {1, 0, 36, "d"},
                                             {1, 0, 48, "e"}, {1, 0, 60, "f"}, {2, 0, 0, "g"},  {2, 0, 12, "h"}};
        QCOMPARE(widow.pieces.size(), moved.size());
        for (std::size_t i = 0; i < moved.size(); ++i) {
            QCOMPARE(widow.pieces[i].page, moved[i].page);
            QCOMPARE(widow.pieces[i].y, moved[i].y);
            QCOMPARE(widow.pieces[i].text, QString::fromLatin1(moved[i].text));
        }
        PrintLayout twoLines = layoutPrintedText("a\nb\nc\nd\ne\nf\ng\nh\ni", tenPixelMetrics());
        keepTwoLinesOnLastPage(twoLines, 12);
        QCOMPARE(twoLines.pieces[6].page, 1);
        QCOMPARE(twoLines.pieces[7].y, 0);
    }

    void aCharacterWiderThanThePageStillPrints() {
        const PrintLayout layout = layoutPrintedText(QStringLiteral("ab"), tenPixelMetrics(5, 100));
        QCOMPARE(layout.pieces.size(), std::size_t(2));
        QCOMPARE(layout.pieces[1].y, 12);
    }

    void printingOnAPdfDeviceBeginsPagesAsTheLayoutSays() {
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.pdf");
        QString text;
        for (int i = 1; i <= 250; ++i) text += QStringLiteral("line %1\r\n").arg(i);
        PrintLayout layout;
        {
            QPdfWriter writer(path);
            writer.setResolution(300);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QString error;
            QVERIFY(printTextOnDevice(writer, text, fixedPitchFont(8), error, &layout));
            // Real metrics: every line advances the same, at least the text height plus 2.
            QVERIFY(layout.pieces.size() == 250);
            const int advance = layout.pieces[1].y - layout.pieces[0].y;
            QFont font = fixedPitchFont(8);
            QVERIFY(advance >= QFontMetrics(font, &writer).height() + 2 - 1);
            QVERIFY(layout.pageCount >= 2);
            for (const PlacedText& p : layout.pieces) {
                QCOMPARE(p.x, 0);
                QVERIFY(p.y + advance <= writer.height());
            }
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        QCOMPARE(static_cast<int>(QString::fromLatin1(pdf).count(page)), layout.pageCount);
    }
};

QTEST_MAIN(PrintLayoutTest)
#include "PrintLayoutTest.moc"
