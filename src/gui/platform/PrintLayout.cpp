#include "gui/platform/PrintLayout.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRectF>

namespace kalden {

namespace {

class Layouter {
public:
    explicit Layouter(const PrintMetrics& m) : m_(m), tab_(std::max(1, 8 * m.averageCharWidth)) {}

    void newPage() {
        ++page_;
        x_ = 0;
        y_ = 0;
        lineHeight_ = 0;
    }

    void newLine() {
        x_ = 0;
        y_ += lineHeight_ == 0 ? m_.textHeight : lineHeight_;
        lineHeight_ = 0;
        if (y_ > m_.pageHeight - 2 * (m_.textHeight + 2)) newPage(); // two line advances
    }

    void tab() { x_ = (x_ / tab_ + 1) * tab_; }

    // Prints a run of ordinary characters, cutting it at the right edge.
    void text(QString s) {
        while (!s.isEmpty()) {
            int length = static_cast<int>(s.size());
            if (x_ + m_.width(s) > m_.pageWidth) length = fittingLength(s);
            if (length == 0) {
                if (x_ > 0) {
                    newLine(); // nothing fits after a tab: go on at the left edge
                    continue;
                }
                length = s.size() > 1 && s[0].isHighSurrogate() ? 2 : 1; // always make progress
            }
            const QString piece = s.left(length);
            lineHeight_ = std::max(lineHeight_, m_.textHeight + 2);
            layout_.pieces.push_back(PlacedText{page_, x_, y_, piece});
            layout_.pageCount = std::max(layout_.pageCount, page_);
            s = s.mid(length);
            if (!s.isEmpty())
                newLine();
            else
                x_ += m_.width(piece);
        }
    }

    PrintLayout take() { return std::move(layout_); }

private:
    // The longest prefix of `s` that still fits on the line, never splitting
    // a surrogate pair.
    int fittingLength(const QString& s) const {
        int lo = 0;
        int hi = static_cast<int>(s.size());
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (x_ + m_.width(s.left(mid)) <= m_.pageWidth)
                lo = mid;
            else
                hi = mid - 1;
        }
        if (lo > 0 && lo < s.size() && s[lo - 1].isHighSurrogate()) --lo;
        return lo;
    }

    const PrintMetrics& m_;
    const int tab_;
    int page_ = 1;
    int x_ = 0;
    int y_ = 0;
    int lineHeight_ = 0; // 0 while nothing is printed on the current line
    PrintLayout layout_;
};

} // namespace

PrintLayout layoutPrintedText(const QString& text, const PrintMetrics& metrics) {
    Layouter l(metrics);
    QString run;
    auto flush = [&] {
        if (!run.isEmpty()) l.text(run);
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            flush();
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            l.newLine();
        } else if (c == u'\n') {
            flush();
            l.newLine();
        } else if (c == u'\f') {
            flush();
            l.newPage();
        } else if (c == u'\t') {
            flush();
            l.tab();
        } else {
            run.append(c);
        }
    }
    flush();
    return l.take();
}

namespace {

std::vector<int> rowsOnPage(const PrintLayout& layout, int page) {
    std::vector<int> rows;
    for (const PlacedText& piece : layout.pieces)
        if (piece.page == page && std::find(rows.begin(), rows.end(), piece.y) == rows.end()) rows.push_back(piece.y);
    return rows;
}

} // namespace

void keepTwoLinesOnLastPage(PrintLayout& layout, int lineAdvance) {
    const int last = layout.pageCount;
    if (last < 2 || rowsOnPage(layout, last).size() != 1) return;
    const std::vector<int> before = rowsOnPage(layout, last - 1);
    if (before.size() < 3) return;
    const int moving = *std::max_element(before.begin(), before.end());
    // Pieces are in reading order, so the moving row's pieces stay right
    // before the last page's.
    for (PlacedText& piece : layout.pieces) {
        if (piece.page == last) {
            piece.y += lineAdvance;
        } else if (piece.page == last - 1 && piece.y == moving) {
            piece.page = last;
            piece.y = 0;
        }
    }
}

namespace {

bool beginJob(QPainter& painter, QPagedPaintDevice& device, QString& error) {
    if (painter.begin(&device)) return true;
    error = QStringLiteral("The printer could not start the print job");
    return false;
}

bool endJob(QPainter& painter, QString& error) {
    if (painter.end()) return true;
    error = QStringLiteral("The print job could not be completed");
    return false;
}

QRectF printableArea(const QPagedPaintDevice& device) { return QRectF(0, 0, device.width(), device.height()); }

} // namespace

bool printTextOnDevice(QPagedPaintDevice& device, const QString& text, const QFont& font, QString& error,
                       PrintLayout* layoutOut, const PagePainter& lastPage) {
    QPainter painter;
    if (!beginJob(painter, device, error)) return false;
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics fm = painter.fontMetrics();

    PrintMetrics m;
    m.textHeight = fm.height();
    m.averageCharWidth = fm.averageCharWidth();
    m.pageWidth = device.width();
    m.pageHeight = device.height();
    m.width = [&fm](const QString& s) { return fm.horizontalAdvance(s); };
    PrintLayout layout = layoutPrintedText(text, m);

    int page = 1;
    for (const PlacedText& piece : layout.pieces) {
        while (page < piece.page) {
            device.newPage();
            ++page;
        }
        painter.drawText(piece.x, piece.y + fm.ascent(), piece.text);
    }
    if (lastPage) {
        if (!layout.pieces.empty()) device.newPage();
        lastPage(painter, printableArea(device));
    }
    if (!endJob(painter, error)) return false;
    if (layoutOut) *layoutOut = std::move(layout);
    return true;
}

bool printPictureOnDevice(QPagedPaintDevice& device, const PagePainter& paint, QString& error) {
    QPainter painter;
    if (!beginJob(painter, device, error)) return false;
    paint(painter, printableArea(device));
    return endJob(painter, error);
}

} // namespace kalden
