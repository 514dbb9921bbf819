#include "gui/report/PdfExport.h"

#include <string>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "files/TextFile.h"
#include "format/VisibleText.h"
#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfLayout.h"

namespace kalden {

namespace {

// The document is made in memory: a failure can then never leave a
// half-written file behind, and the file is replaced only once it is whole.
bool makePdf(QPageLayout::Orientation orientation, const std::function<bool(QPdfWriter&, QString&)>& paint,
             QByteArray& pdf, QString& error) {
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("The PDF document could not be started");
        return false;
    }
    QPdfWriter writer(&buffer);
    writer.setCreator(ProgramName);
    writer.setTitle(ProgramName);
    writer.setResolution(PdfResolution);
    const QMarginsF margins(PdfMarginMillimetres, PdfMarginMillimetres, PdfMarginMillimetres, PdfMarginMillimetres);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, margins, QPageLayout::Millimeter));
    return paint(writer, error);
}

} // namespace

bool reportPdf(const QString& text, const QFont& font, const PagePainter& lastPage, QByteArray& pdf, QString& error) {
    return makePdf(
        QPageLayout::Portrait,
        [&](QPdfWriter& writer, QString& e) { return printTextOnDevice(writer, text, font, e, nullptr, lastPage); },
        pdf, error);
}

namespace {

// Where a page's parts go, in the device pixels of the printable area.
struct PageFrame {
    QRect header;
    QRect body;
    QRect footer;
    QFont font; // of the header and footer
};

PageFrame pageFrame(const QPagedPaintDevice& device, const QFont& textFont) {
    QFont small(textFont);
    small.setFamily(QFont().family());
    small.setPointSize(8);
    const int band = QFontMetrics(small, &device).height();
    const int gap = band; // between the bands and the text
    PageFrame f;
    f.font = small;
    f.header = QRect(0, 0, device.width(), band);
    f.footer = QRect(0, device.height() - band, device.width(), band);
    f.body = QRect(0, band + gap, device.width(), device.height() - 2 * (band + gap));
    return f;
}

void paintFrame(QPainter& painter, const PageFrame& f, const PdfSection* section, const QString& printedOn, int page,
                int pages) {
    painter.save();
    painter.setFont(f.font);
    painter.setPen(Qt::black);
    const QFontMetrics fm(f.font, painter.device());
    const int name = fm.horizontalAdvance(ProgramName + QStringLiteral("    "));
    painter.drawText(f.header, Qt::AlignLeft | Qt::AlignVCenter, ProgramName);
    if (section)
        painter.drawText(f.header, Qt::AlignRight | Qt::AlignVCenter,
                         fm.elidedText(section->headline, Qt::ElideRight, f.header.width() - name));
    const QString dates =
        section && !section->dates.isEmpty()
            ? section->dates.left(1).toUpper() + section->dates.mid(1) + QStringLiteral(", printed on ") + printedOn
            : QStringLiteral("Printed on ") + printedOn;
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(f.header.bottomLeft(), f.header.bottomRight());
    painter.drawLine(f.footer.topLeft(), f.footer.topRight());
    painter.setPen(Qt::black);
    painter.drawText(f.footer, Qt::AlignLeft | Qt::AlignVCenter, dates);
    painter.drawText(f.footer, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2    ").arg(page).arg(pages) + ProgramName + u' ' + programVersion());
    painter.restore();
}

struct SectionPlan {
    const PdfSection* section = nullptr;
    SectionLayout layout;
    bool chartBelowText = false; // else on a page of its own
    int pages = 0;
};

SectionPlan planSection(const PdfSection& section, const PrintMetrics& m) {
    SectionPlan plan{&section, layoutSection(section.text, m), false, 0};
    const bool textless = plan.layout.text.pieces.empty();
    plan.pages = textless ? 0 : plan.layout.lastPage;
    if (section.chart) {
        plan.chartBelowText = !textless && m.pageHeight - plan.layout.endY >= ChartShareOfPage * m.pageHeight;
        if (!plan.chartBelowText) ++plan.pages;
    }
    return plan;
}

} // namespace

PdfSection caseSection(const CaseRecord& c, const QString& text, const PagePainter& chart) {
    const std::string headline = c.session.person.empty() ? oneLineText(c.notesHeadline()) : sessionLine(c.session);
    QString dates = QStringLiteral("computed ") + QString::fromStdString(computedAtText(c));
    if (!c.session.testingDate.empty())
        dates = QStringLiteral("tested ") + QString::fromStdString(oneLineText(c.session.testingDate)) +
                QStringLiteral(", ") + dates;
    return PdfSection{text, QString::fromStdString(headline), dates, chart};
}

bool resultsPdf(const std::vector<PdfSection>& sections, const QFont& font, const QString& printedOn, QByteArray& pdf,
                QString& error) {
    return makePdf(
        QPageLayout::Portrait,
        [&](QPdfWriter& writer, QString& e) {
            QPainter painter;
            if (!painter.begin(&writer)) {
                e = QStringLiteral("The PDF document could not be started");
                return false;
            }
            const PageFrame frame = pageFrame(writer, font);
            painter.setFont(font);
            const QFontMetrics fm = painter.fontMetrics();
            PrintMetrics m;
            m.textHeight = fm.height();
            m.averageCharWidth = fm.averageCharWidth();
            m.pageWidth = frame.body.width();
            m.pageHeight = frame.body.height();
            m.width = [&fm](const QString& text) { return fm.horizontalAdvance(text); };

            std::vector<SectionPlan> plans;
            int pages = 0;
            for (const PdfSection& section : sections) {
                plans.push_back(planSection(section, m));
                pages += plans.back().pages;
            }
            int page = 0;
            const auto startPage = [&](const PdfSection* section) {
                if (page > 0) writer.newPage();
                ++page;
                paintFrame(painter, frame, section, printedOn, page, std::max(pages, 1));
            };
            for (const SectionPlan& plan : plans) {
                int textPage = 0;
                for (const PlacedText& piece : plan.layout.text.pieces) {
                    while (textPage < piece.page) {
                        startPage(plan.section);
                        ++textPage;
                    }
                    painter.drawText(frame.body.left() + piece.x, frame.body.top() + piece.y + fm.ascent(), piece.text);
                }
                if (!plan.section->chart) continue;
                QRectF area(frame.body);
                if (plan.chartBelowText) {
                    const int gap = 2 * (m.textHeight + 2);
                    area.setTop(frame.body.top() + plan.layout.endY + gap);
                } else {
                    startPage(plan.section);
                }
                plan.section->chart(painter, area);
            }
            if (page == 0) startPage(nullptr); // an empty window still gives a page with its frame
            if (!painter.end()) {
                e = QStringLiteral("The PDF document could not be completed");
                return false;
            }
            return true;
        },
        pdf, error);
}

bool picturePdf(const PagePainter& paint, QByteArray& pdf, QString& error) {
    return makePdf(
        QPageLayout::Landscape, [&](QPdfWriter& writer, QString& e) { return printPictureOnDevice(writer, paint, e); },
        pdf, error);
}

bool replaceFileWith(const ProgramHost& host, const QString& path, const QByteArray& bytes, QString& error) {
    if (const QString clash = caseStoreClash(host, path); !clash.isEmpty()) {
        error = QDir::toNativeSeparators(path) + u'\r' + clash;
        return false;
    }
    std::string reason;
    if (writeFileReplacing(corePath(path), bytes.toStdString(), reason)) return true;
    error = QDir::toNativeSeparators(path) + u'\r' + QString::fromLocal8Bit(reason.c_str());
    return false;
}

} // namespace kalden
