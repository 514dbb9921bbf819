#pragma once

#include <functional>
#include <vector>

#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace kalden {

// The printed layout of the text mode, in the device
// pixels of the printer:
// - printing starts at the top-left corner of the printable area, no margins;
// - every line break (CR LF, LF or a lone CR) starts a new printed line; the
//   advance is the line's text height plus 2 device pixels, and an empty line
//   advances by the font's character height;
// - a line wider than the printable width is cut after the last character
//   that fits and continues on the next printed line;
// - a tab advances to the next multiple of eight average character widths;
// - a new page begins when the next line would start less than two line
//   advances above the bottom of the printable area (the test is
//   y > page height - 2 x (character height + 2)); a form feed starts a new
//   page.
// Pages are only begun when something is printed on them, so a text that
// ends exactly at a page break does not feed an empty sheet.

struct PrintMetrics {
    int textHeight = 0;       // height of a line of text (ascent + descent)
    int averageCharWidth = 0; // tabs go to multiples of eight of these
    int pageWidth = 0;        // printable area
    int pageHeight = 0;
    std::function<int(const QString&)> width; // advance width of a text
};

struct PlacedText {
    int page = 0; // from 1
    int x = 0;
    int y = 0; // top of the line
    QString text;
};

struct PrintLayout {
    std::vector<PlacedText> pieces;
    int pageCount = 1; // pages with something printed on them, at least 1
};

PrintLayout layoutPrintedText(const QString& text, const PrintMetrics& metrics);

// Widow control: when the last page holds a single printed line and the page
// before it at least three, that page's last line moves over (the last page's
// lines move down by `lineAdvance`), so no line stands alone at the top of
// the last page.
void keepTwoLinesOnLastPage(PrintLayout& layout, int lineAdvance);

// Paints one page of a picture into the printable area `page`.
using PagePainter = std::function<void(QPainter& painter, const QRectF& page)>;

// Lays out and paints `text` on a paged device (a printer or a PDF writer) in
// `font`; the device's pages are begun as the layout needs. A `lastPage`
// painter adds one page after the text. Returns false with a description
// when painting cannot start or finish.
bool printTextOnDevice(QPagedPaintDevice& device, const QString& text, const QFont& font, QString& error,
                       PrintLayout* layoutOut = nullptr, const PagePainter& lastPage = {});

// One page with a picture on a paged device, the whole printable area given
// to `paint`.
bool printPictureOnDevice(QPagedPaintDevice& device, const PagePainter& paint, QString& error);

} // namespace kalden
