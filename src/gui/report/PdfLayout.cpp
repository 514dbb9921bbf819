#include "gui/report/PdfLayout.h"

#include <algorithm>
#include <limits>

#include <QStringList>

namespace kalden {

namespace {

QStringList linesOf(const QString& text) {
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // the final line end starts no line
    return lines;
}

bool isHyphenRule(const QString& line) { return line.size() >= 20 && line.count(u'-') == line.size(); }

// Leaves out the separator that stands before every report but the first.
void dropLeadingSeparator(QStringList& lines) {
    if (lines.size() >= 4 && lines[0].isEmpty() && isHyphenRule(lines[1]) && isHyphenRule(lines[2]) &&
        lines[3].isEmpty())
        lines.erase(lines.begin(), lines.begin() + 4);
}

// Runs of lines, each ending before two or more empty lines; the empty lines
// open the next block.
std::vector<QStringList> blocksOf(const QStringList& lines) {
    std::vector<QStringList> blocks(1);
    int empties = 0;
    for (const QString& line : lines) {
        if (line.isEmpty()) {
            ++empties;
        } else {
            if (empties >= 2 && !blocks.back().isEmpty()) blocks.emplace_back();
            empties = 0;
        }
        blocks.back() << line;
    }
    return blocks;
}

QStringList withoutLeadingEmpties(QStringList lines) {
    while (!lines.isEmpty() && lines.first().isEmpty()) lines.removeFirst();
    return lines;
}

QString textOf(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

PrintMetrics unpaged(const PrintMetrics& m) {
    PrintMetrics endless = m;
    endless.pageHeight = std::numeric_limits<int>::max() / 2;
    return endless;
}

// The height the lines take, their empty lines and the last line's advance
// included: where a line after them would start.
int heightOf(const QStringList& lines, const PrintMetrics& m) {
    if (lines.isEmpty()) return 0;
    const PrintLayout probe = layoutPrintedText(textOf(lines) + QStringLiteral("\r\nX"), unpaged(m));
    return probe.pieces.empty() ? 0 : probe.pieces.back().y;
}

} // namespace

SectionLayout layoutSection(const QString& text, const PrintMetrics& m) {
    QStringList lines = linesOf(text);
    dropLeadingSeparator(lines);
    SectionLayout out;
    int page = 1;
    int y = 0;
    const auto place = [&](const QStringList& block, int atPage, int atY) {
        for (PlacedText piece : layoutPrintedText(textOf(block), unpaged(m)).pieces) {
            piece.page = atPage;
            piece.y += atY;
            out.text.pieces.push_back(std::move(piece));
        }
    };
    for (const QStringList& whole : blocksOf(lines)) {
        QStringList block = y == 0 ? withoutLeadingEmpties(whole) : whole;
        if (block.isEmpty()) continue;
        int height = heightOf(block, m);
        if (y + height > m.pageHeight && y > 0) { // to the next page, without its empty lines
            ++page;
            y = 0;
            block = withoutLeadingEmpties(block);
            height = heightOf(block, m);
        }
        if (height <= m.pageHeight) {
            place(block, page, y);
            y += height;
            continue;
        }
        // Taller than a page: it runs over as Print All runs.
        PrintMetrics paged = m;
        paged.pageHeight = m.pageHeight + 2 * (m.textHeight + 2); // Print All's reserve is the page's own here
        const PrintLayout running = layoutPrintedText(textOf(block), paged);
        for (PlacedText piece : running.pieces) {
            piece.page += page - 1;
            out.text.pieces.push_back(std::move(piece));
        }
        page += running.pageCount - 1;
        y = running.pieces.empty() ? 0 : running.pieces.back().y + m.textHeight + 2;
    }
    out.text.pageCount = page;
    out.lastPage = page;
    out.endY = y;
    return out;
}

} // namespace kalden
