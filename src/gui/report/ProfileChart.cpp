#include "gui/report/ProfileChart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include "format/NumberFormat.h"
#include "report/CaseSummary.h"
#include "report/ChartData.h"
#include "report/ChartScale.h"
#include "report/ReportComposer.h"
#include "scoring/IndexScores.h"

namespace kalden {

namespace {

constexpr std::array<IndexId, IndexCount> IndexOrder = {IndexId::VC, IndexId::PO, IndexId::WM, IndexId::PS,
                                                        IndexId::FSIQ};

QString number(double value, int decimals) { return QString::fromStdString(formatFixed(value, 0, decimals)); }

} // namespace

QString profileCaption(ConfidenceMethod method) { return QString::fromStdString(chartCaption(method)); }

ProfileChart::ProfileChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProfileChart"));
    setAccessibleName(QStringLiteral("Index profile chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ProfileChart::setCase(const IndexResults& results, const QString& title) {
    case_ = results;
    second_.reset();
    title_ = title;
    scale_ = scaleFor(results);
    setAccessibleDescription(descriptionLines().join(u'\n'));
    update();
}

// The scale holds both profiles with room for their labels.
void ProfileChart::setComparison(const IndexResults& first, const IndexResults& second, const ReliableChange& change,
                                 const QString& title, const QString& firstLabel, const QString& secondLabel) {
    case_ = first;
    second_ = second;
    change_ = change;
    title_ = title;
    firstLabel_ = firstLabel;
    secondLabel_ = secondLabel;
    const Scale a = scaleFor(first);
    const Scale b = scaleFor(second);
    scale_ = Scale{std::min(a.low, b.low), std::max(a.high, b.high)};
    setAccessibleDescription(descriptionLines().join(u'\n'));
    update();
}

void ProfileChart::clearCase() {
    case_.reset();
    second_.reset();
    title_.clear();
    scale_ = Scale{};
    setAccessibleDescription(NoCaseYet);
    update();
}

ProfileChart::Scale ProfileChart::scaleFor(const IndexResults& results) { return chartScaleFor(results); }

QStringList ProfileChart::descriptionLines() const {
    QStringList lines;
    if (!case_) return lines;
    if (second_) {
        for (const std::string& line :
             comparisonDescription(*case_, *second_, *change_, firstLabel_.toStdString(), secondLabel_.toStdString()))
            lines << QString::fromStdString(line);
        return lines;
    }
    for (const std::string& line : chartDescription(*case_)) lines << QString::fromStdString(line);
    return lines;
}

// The confidence method's note; for two assessments that used different
// methods, both methods.
QString ProfileChart::caption() const {
    if (second_) return QString::fromStdString(comparisonCaption(*case_, *second_));
    return profileCaption(case_->confidenceMethod);
}

// Font sizes in pixels of the chart's own units, so that a picture scaled
// onto a printer or a PDF page keeps its proportions.
QFont ProfileChart::chartFont() const {
    QFont f = font();
    f.setPixelSize(std::max(10, QFontInfo(font()).pixelSize()));
    return f;
}

// From the top: the title, the scales' names, the plot; under it two lines
// of Index names, the three rows of the table, the legend and the caption.
QRectF ProfileChart::plotArea(const QSizeF& size) const {
    const QFontMetricsF fm(chartFont());
    const double left = fm.horizontalAdvance(QStringLiteral("Percentile")) + 12;
    const double right = fm.horizontalAdvance(QStringLiteral("Percentile")) + 8;
    const double top = titleRect(size.width()).height() + 2 * fm.height() + 8;
    // Two assessments' legend may take a second row.
    const double bottom = (second_ ? 10 : 7) * fm.height() + (second_ ? 40 : 36);
    return QRectF(left, top, std::max(1.0, size.width() - left - right), std::max(1.0, size.height() - top - bottom));
}

QFont ProfileChart::titleFont() const {
    QFont bold = chartFont();
    bold.setBold(true);
    return bold;
}

// The title wrapped at word breaks (and, for a word longer than the line,
// anywhere) within the picture's width, each line centred: never cut.
std::unique_ptr<QTextLayout> ProfileChart::titleLayout(double width) const {
    auto layout = std::make_unique<QTextLayout>(title_, titleFont());
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

// At least one line high, so that the plot stands where it always has for a
// title of one line.
QRectF ProfileChart::titleRect(double width) const {
    const QFontMetricsF fm(titleFont());
    return QRectF(0, 0, width, std::max(fm.height(), titleLayout(width)->boundingRect().height()));
}

double ProfileChart::scoreY(double score, const QRectF& plot) const {
    return plot.top() + (scale_.high - score) / (scale_.high - scale_.low) * plot.height();
}

double ProfileChart::indexX(IndexId id, const QRectF& plot) {
    return plot.left() + (static_cast<double>(id) + 0.5) * plot.width() / IndexCount;
}

void ProfileChart::paintScales(QPainter& painter, const QRectF& plot, const QSizeF& size) const {
    const QFontMetricsF fm(painter.font());
    painter.fillRect(QRectF(QPointF(plot.left(), scoreY(AverageBandHigh, plot)),
                            QPointF(plot.right(), scoreY(AverageBandLow, plot))),
                     BandColor);
    for (int v = static_cast<int>(scale_.low); v <= scale_.high; v += 10) {
        const double y = scoreY(v, plot);
        painter.setPen(QPen(v == 100 ? QColor(0x80, 0x80, 0x80) : QColor(0xc8, 0xc8, 0xc8), v == 100 ? 1.5 : 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y - fm.height() / 2, plot.left() - 8, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    const double namesTop = 1.5 * fm.height() + 4;
    painter.drawText(QRectF(0, namesTop, plot.left() + 40, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Score"));
    painter.drawText(QRectF(plot.right() - 80, namesTop, size.width() - plot.right() + 80, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Percentile"));
    for (double v : ChartPercentileMarks) {
        const double y = scoreY(v, plot);
        painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 5, y));
        painter.drawText(QRectF(plot.right() + 8, y - fm.height() / 2, size.width() - plot.right() - 8, fm.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, number(scalePercentile(v), 1));
    }
    const double slot = plot.width() / IndexCount;
    for (IndexId id : IndexOrder) {
        const QRectF nameBox(indexX(id, plot) - slot / 2 + 2, plot.bottom() + 6, slot - 4, 2 * fm.height() + 2);
        painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromLatin1(indexDefinition(id).label));
    }
}

double ProfileChart::profileX(IndexId id, const QRectF& plot, int which) const {
    if (!second_) return indexX(id, plot);
    return indexX(id, plot) + (which == 0 ? -PairOffset : PairOffset);
}

void ProfileChart::paintIndexes(QPainter& painter, const QRectF& plot) const {
    paintProfile(painter, plot, *case_, 0);
    if (second_) paintProfile(painter, plot, *second_, 1);
}

// One profile's bars, markers and score labels. With two profiles the first
// is an open square whose label stands to the left of its bar, the second a
// filled circle labelled to the right.
void ProfileChart::paintProfile(QPainter& painter, const QRectF& plot, const IndexResults& results, int which) const {
    const QFontMetricsF fm(painter.font());
    const double cap = 6;
    const bool openSquare = second_ && which == 0;
    const QColor marker = openSquare ? FirstMarkerColor : MarkerColor;
    for (IndexId id : IndexOrder) {
        const IndexResult& r = results[id];
        const double x = profileX(id, plot, which);
        const double y = scoreY(r.score, plot);
        painter.save();
        painter.setClipRect(plot.adjusted(-cap - PairOffset, 0, cap + PairOffset, 0));
        painter.setPen(QPen(openSquare ? FirstMarkerColor : BarColor, BarWidth, Qt::SolidLine, Qt::FlatCap));
        const double top = scoreY(r.upperLimit, plot);
        const double bottom = scoreY(r.lowerLimit, plot);
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        painter.drawLine(QPointF(x - cap, top), QPointF(x + cap, top));
        painter.drawLine(QPointF(x - cap, bottom), QPointF(x + cap, bottom));
        if (openSquare) {
            painter.setPen(QPen(marker, 2));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(x - MarkerRadius, y - MarkerRadius, 2 * MarkerRadius, 2 * MarkerRadius));
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(marker);
            painter.drawEllipse(QPointF(x, y), MarkerRadius, MarkerRadius);
        }
        painter.restore();
        painter.setPen(Qt::black);
        const QString label = number(r.score, 0);
        const double baseline = y + (fm.ascent() - fm.descent()) / 2;
        if (openSquare)
            painter.drawText(QPointF(x - cap - 4 - fm.horizontalAdvance(label), baseline), label);
        else
            painter.drawText(QPointF(x + cap + 4, baseline), label);
    }
}

// Score, limits and percentile under each Index's name, as the report
// prints them.
void ProfileChart::paintTable(QPainter& painter, const QRectF& plot) const {
    if (second_) {
        paintComparisonTable(painter, plot);
        return;
    }
    const QFontMetricsF fm(painter.font());
    const double slot = plot.width() / IndexCount;
    const double top = plot.bottom() + 2 * fm.height() + 14;
    const std::array<SummaryRow, IndexCount> rows = summaryRows(*case_);
    const QStringList heads = {QStringLiteral("Score"), QStringLiteral("Limits"), QStringLiteral("Percentile")};
    painter.setPen(QColor(0xc8, 0xc8, 0xc8));
    painter.drawLine(QPointF(0, top - 3), QPointF(plot.right(), top - 3));
    painter.setPen(Qt::black);
    for (int line = 0; line < heads.size(); ++line) {
        const double y = top + line * fm.height();
        painter.drawText(QRectF(0, y, plot.left() - 8, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, heads[line]);
        for (IndexId id : IndexOrder) {
            const SummaryRow& r = rows[static_cast<std::size_t>(id)];
            const QString cell = line == 0   ? QString::fromStdString(r.score)
                                 : line == 1 ? QString::fromStdString(r.lowerLimit + "\u2013" + r.upperLimit)
                                             : QString::fromStdString(r.percentile);
            painter.drawText(QRectF(indexX(id, plot) - slot / 2, y, slot, fm.height()), Qt::AlignCenter, cell);
        }
    }
}

// Each assessment's score with its limits, and the change, under each
// Index's name, as the report prints them.
void ProfileChart::paintComparisonTable(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF fm(painter.font());
    const double slot = plot.width() / IndexCount;
    const double top = plot.bottom() + 2 * fm.height() + 14;
    QStringList heads;
    for (const char* head : ComparisonTableHeads) heads << QString::fromLatin1(head);
    painter.setPen(QColor(0xc8, 0xc8, 0xc8));
    painter.drawLine(QPointF(0, top - 3), QPointF(plot.right(), top - 3));
    painter.setPen(Qt::black);
    for (int line = 0; line < heads.size(); ++line) {
        const double y = top + line * fm.height();
        painter.drawText(QRectF(0, y, plot.left() - 8, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, heads[line]);
        for (IndexId id : IndexOrder) {
            // The change and its verdict as the comparison's section gives
            // them, of the scores as the two reports print them.
            const ChangeRow& row = change_->rows[static_cast<std::size_t>(id)];
            const std::string cell = line == 0   ? profileCell((*case_)[id])
                                     : line == 1 ? profileCell((*second_)[id])
                                     : line == 2 ? signedCell(row.change, 0)
                                     : line == 3 ? signedCell(row.rci, 2)
                                                 : verdictCell(row.verdict);
            painter.drawText(QRectF(indexX(id, plot) - slot / 2, y, slot, fm.height()), Qt::AlignCenter,
                             QString::fromStdString(cell));
        }
    }
}

// The legend: the marker (for two assessments, each one's marker on its bar
// with its label), the limits' bar and the band, each with what it stands
// for, centred in as many rows as the picture's width needs.
void ProfileChart::paintLegend(QPainter& painter, const QRectF& plot, const QSizeF& size) const {
    const QFontMetricsF fm(painter.font());
    enum Glyph { Circle, Square, Bar, Band };
    struct Entry {
        Glyph glyph;
        QString text;
    };
    std::vector<Entry> entries = {
        {Circle, QStringLiteral("Index score")},
        {Bar, QString::fromStdString(limitsHeading(case_->confidenceMethod))},
        {Band, QString::fromStdString(averageBandLabel())},
    };
    if (second_)
        entries = {{Square, firstLabel_},
                   {Circle, secondLabel_},
                   {Bar, QStringLiteral("Confidence limits")},
                   {Band, entries[2].text}};
    const double glyph = 18;
    const double gap = 24;
    const auto widthOf = [&](const Entry& e) { return glyph + 6 + fm.horizontalAdvance(e.text); };
    std::vector<std::vector<const Entry*>> rows(1);
    double used = 0;
    for (const Entry& e : entries) {
        if (!rows.back().empty() && used + gap + widthOf(e) > size.width()) {
            rows.emplace_back();
            used = 0;
        }
        used += (rows.back().empty() ? 0 : gap) + widthOf(e);
        rows.back().push_back(&e);
    }
    double y = plot.bottom() + (second_ ? 7 : 5) * fm.height() + 24; // below the table
    for (const std::vector<const Entry*>& row : rows) {
        double width = -gap;
        for (const Entry* e : row) width += widthOf(*e) + gap;
        double x = std::max(0.0, (size.width() - width) / 2);
        const double mid = y + fm.height() / 2;
        for (const Entry* e : row) {
            const QPointF centre(x + glyph / 2, mid);
            painter.save();
            if (e->glyph == Bar || e->glyph == Square) {
                painter.setPen(
                    QPen(e->glyph == Square ? FirstMarkerColor : BarColor, BarWidth, Qt::SolidLine, Qt::FlatCap));
                painter.drawLine(centre + QPointF(0, -7), centre + QPointF(0, 7));
                painter.drawLine(centre + QPointF(-5, -7), centre + QPointF(5, -7));
                painter.drawLine(centre + QPointF(-5, 7), centre + QPointF(5, 7));
            }
            if (e->glyph == Circle) {
                if (second_) {
                    painter.setPen(QPen(BarColor, BarWidth, Qt::SolidLine, Qt::FlatCap));
                    painter.drawLine(centre + QPointF(0, -7), centre + QPointF(0, 7));
                }
                painter.setPen(Qt::NoPen);
                painter.setBrush(MarkerColor);
                painter.drawEllipse(centre, MarkerRadius, MarkerRadius);
            } else if (e->glyph == Square) {
                painter.setPen(QPen(FirstMarkerColor, 2));
                painter.setBrush(Qt::white);
                painter.drawRect(
                    QRectF(centre.x() - MarkerRadius, centre.y() - MarkerRadius, 2 * MarkerRadius, 2 * MarkerRadius));
            } else if (e->glyph == Band) {
                painter.fillRect(QRectF(x, mid - 6, glyph, 12), BandColor);
            }
            painter.restore();
            x += glyph + 6;
            painter.drawText(QRectF(x, y, fm.horizontalAdvance(e->text) + 2, fm.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, e->text);
            x += fm.horizontalAdvance(e->text) + gap;
        }
        y += fm.height() + 4;
    }
}

void ProfileChart::paintChart(QPainter& painter, const QSizeF& size) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(chartFont());
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    const QRectF plot = plotArea(size);
    const QFontMetricsF fm(painter.font());
    paintScales(painter, plot, size);
    painter.setPen(Qt::black);
    if (!case_) {
        painter.drawText(plot, Qt::AlignCenter, NoCaseYet);
        painter.restore();
        return;
    }
    titleLayout(size.width())->draw(&painter, QPointF(0, 0));
    paintIndexes(painter, plot);
    paintTable(painter, plot);
    paintLegend(painter, plot, size);
    painter.drawText(QRectF(0, size.height() - fm.height() - 4, size.width(), fm.height()), Qt::AlignCenter, caption());
    painter.restore();
}

void ProfileChart::paintPicture(QPainter& painter, const QRectF& target) const {
    const QSizeF picture(PictureSize);
    const double scale = std::min(target.width() / picture.width(), target.height() / picture.height());
    painter.save();
    painter.translate(target.left() + (target.width() - scale * picture.width()) / 2, target.top());
    painter.scale(scale, scale);
    paintChart(painter, picture);
    painter.restore();
}

void ProfileChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintChart(painter, size());
}

} // namespace kalden
