#include "gui/report/ProfileChart.h"

#include <algorithm>
#include <array>

#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>

#include "format/NumberFormat.h"
#include "report/ReportComposer.h"
#include "scoring/IndexScores.h"
#include "stats/NormalDistribution.h"

namespace kalden {

namespace {

constexpr std::array<IndexId, IndexCount> IndexOrder = {IndexId::VC, IndexId::PO, IndexId::WM, IndexId::PS,
                                                        IndexId::FSIQ};
constexpr std::array<double, 5> PercentileMarks = {70, 85, 100, 115, 130};

// The scale's percentile ranks; no warning can arise at these points, and
// 100 is the mean itself.
class QuietMessages : public MessageService {
public:
    void warn(const std::string&) override {}
    void beep() override {}
};

double percentileOf(double score) {
    if (score == IndexMean) return 50;
    QuietMessages quiet;
    return normalCdf((score - IndexMean) / IndexSd, quiet) * 100;
}

QString number(double value, int decimals) { return QString::fromStdString(formatFixed(value, 0, decimals)); }

QString confidenceLevel(ConfidenceMethod method) {
    return confidenceDeviate(method) == Z95 ? QStringLiteral("95%") : QStringLiteral("90%");
}

} // namespace

QString profileCaption(ConfidenceMethod method) { return QString::fromLatin1(confidenceNote(method)).trimmed(); }

ProfileChart::ProfileChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProfileChart"));
    setAccessibleName(QStringLiteral("Index profile chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ProfileChart::setCase(const IndexResults& results) {
    case_ = results;
    setAccessibleDescription(descriptionLines().join(u'\n'));
    update();
}

QStringList ProfileChart::descriptionLines() const {
    QStringList lines;
    if (!case_) return lines;
    const QString level = confidenceLevel(case_->confidenceMethod);
    for (IndexId id : IndexOrder) {
        const IndexResult& r = (*case_)[id];
        lines << QStringLiteral("%1 %2, %3 confidence limits %4 to %5, percentile %6")
                     .arg(QString::fromLatin1(indexDefinition(id).label), number(r.score, 0), level,
                          number(r.lowerLimit, 0), number(r.upperLimit, 0), number(r.percentile, 1));
    }
    lines << profileCaption(case_->confidenceMethod);
    return lines;
}

// Font sizes in pixels of the chart's own units, so that a picture scaled
// onto a printer or a PDF page keeps its proportions.
QFont ProfileChart::chartFont() const {
    QFont f = font();
    f.setPixelSize(std::max(10, QFontInfo(font()).pixelSize()));
    return f;
}

QRectF ProfileChart::plotArea(const QSizeF& size) const {
    const QFontMetricsF fm(chartFont());
    const double left = fm.horizontalAdvance(QStringLiteral("160")) + 16;
    const double right = fm.horizontalAdvance(QStringLiteral("Percentile")) + 8;
    const double top = 2 * fm.height();
    const double bottom = 3.5 * fm.height() + 12; // two lines of Index names, the caption
    return QRectF(left, top, std::max(1.0, size.width() - left - right), std::max(1.0, size.height() - top - bottom));
}

double ProfileChart::scoreY(double score, const QRectF& plot) {
    return plot.top() + (ScaleHigh - score) / (ScaleHigh - ScaleLow) * plot.height();
}

double ProfileChart::indexX(IndexId id, const QRectF& plot) {
    return plot.left() + (static_cast<double>(id) + 0.5) * plot.width() / IndexCount;
}

void ProfileChart::paintScales(QPainter& painter, const QRectF& plot, const QSizeF& size) const {
    const QFontMetricsF fm(painter.font());
    painter.fillRect(QRectF(QPointF(plot.left(), scoreY(115, plot)), QPointF(plot.right(), scoreY(85, plot))),
                     BandColor);
    for (int v = static_cast<int>(ScaleLow); v <= ScaleHigh; v += 10) {
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
    painter.drawText(QRectF(0, 0, plot.left() + 40, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Score"));
    painter.drawText(QRectF(plot.right() - 80, 0, size.width() - plot.right() + 80, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Percentile"));
    for (double v : PercentileMarks) {
        const double y = scoreY(v, plot);
        painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 5, y));
        painter.drawText(QRectF(plot.right() + 8, y - fm.height() / 2, size.width() - plot.right() - 8, fm.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, number(percentileOf(v), 1));
    }
    const double slot = plot.width() / IndexCount;
    for (IndexId id : IndexOrder) {
        const QRectF nameBox(indexX(id, plot) - slot / 2 + 2, plot.bottom() + 6, slot - 4, 2 * fm.height() + 2);
        painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromLatin1(indexDefinition(id).label));
    }
}

void ProfileChart::paintIndexes(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF fm(painter.font());
    const double cap = 6;
    for (IndexId id : IndexOrder) {
        const IndexResult& r = (*case_)[id];
        const double x = indexX(id, plot);
        const double y = scoreY(r.score, plot);
        painter.save();
        painter.setClipRect(plot.adjusted(-cap, 0, cap, 0));
        painter.setPen(QPen(BarColor, BarWidth, Qt::SolidLine, Qt::FlatCap));
        const double top = scoreY(r.upperLimit, plot);
        const double bottom = scoreY(r.lowerLimit, plot);
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        painter.drawLine(QPointF(x - cap, top), QPointF(x + cap, top));
        painter.drawLine(QPointF(x - cap, bottom), QPointF(x + cap, bottom));
        painter.setPen(Qt::NoPen);
        painter.setBrush(MarkerColor);
        painter.drawEllipse(QPointF(x, y), MarkerRadius, MarkerRadius);
        painter.restore();
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + cap + 4, y + (fm.ascent() - fm.descent()) / 2), number(r.score, 0));
    }
}

void ProfileChart::paintChart(QPainter& painter, const QSizeF& size) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(chartFont());
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    const QRectF plot = plotArea(size);
    paintScales(painter, plot, size);
    if (case_) {
        paintIndexes(painter, plot);
        const QFontMetricsF fm(painter.font());
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, size.height() - fm.height() - 4, size.width(), fm.height()), Qt::AlignCenter,
                         profileCaption(case_->confidenceMethod));
    }
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
