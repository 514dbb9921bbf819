#pragma once

#include <memory>
#include <optional>

#include <QColor>
#include <QRectF>
#include <QStringList>
#include <QWidget>

#include "report/ChartScale.h"
#include "scoring/IndexResults.h"
#include "scoring/ReliableChange.h"

class QPainter;
class QTextLayout;

namespace kalden {

// The profile of one case as a picture: a title (the person and session, the
// notes' first line, when and by which version it was computed, wrapped over
// as many lines as it needs, never cut), the five Index scores as
// markers with their confidence limits as vertical bars on a standard-score
// scale (grid line every 10, the average band 85 to 115 shaded), the
// percentile ranks of 70, 85, 100, 115 and 130 on a second scale at the
// right, a table of the scores, limits and percentiles under the plot, a
// legend, and the confidence method's note as a caption. The scale runs from
// 40 to 160, widened in steps of 10 until every score and limit lies inside
// with room for its label. Every number is printed with the report's digits.
//
// Two assessments of one person go on one chart: the first as an open
// square, the second as a filled circle, each with its limits beside the
// other's, their labels in the legend, and a table of both scores and the
// change.
//
// The widget paints itself, and the same painting goes to images, SVG, PDF
// and the printer (paintPicture), so screen, file and paper agree.
class ProfileChart : public QWidget {
    Q_OBJECT

public:
    explicit ProfileChart(QWidget* parent = nullptr);

    // `title` is the line above the plot.
    void setCase(const IndexResults& results, const QString& title = {});
    // Two assessments: `first` and `second` with their legend labels, and
    // the change between them (its table rows and each Index's verdict).
    void setComparison(const IndexResults& first, const IndexResults& second, const ReliableChange& change,
                       const QString& title, const QString& firstLabel, const QString& secondLabel);
    // No case: the plot says so ("No case has been computed yet.").
    void clearCase();
    const std::optional<IndexResults>& profileCase() const { return case_; }
    // The second assessment's profile when two are shown (profileCase is the first).
    const std::optional<IndexResults>& secondCase() const { return second_; }
    const QString& title() const { return title_; }

    using Scale = ChartScale;
    static Scale scaleFor(const IndexResults& results);
    Scale scale() const { return scale_; }

    // One line per Index, e.g. "Verbal Comprehension 108, 95% confidence
    // limits 101 to 115, percentile 70.3", then the caption; also the
    // widget's accessible description.
    QStringList descriptionLines() const;

    // Paints the chart into `size` (logical units, from the origin).
    void paintChart(QPainter& painter, const QSizeF& size) const;
    // Paints the chart at PictureSize, scaled to fit `target` and centred
    // on it: the picture of the files and the paper.
    void paintPicture(QPainter& painter, const QRectF& target) const;

    // Where the chart's parts lie within a chart of `size`; the tests check
    // the painted picture against them.
    QRectF plotArea(const QSizeF& size) const;
    // The title's lines across a chart `width` wide, from the top.
    QRectF titleRect(double width) const;
    double scoreY(double score, const QRectF& plot) const;
    static double indexX(IndexId id, const QRectF& plot);
    // Where the profile `which` (0 the first, 1 the second) stands for `id`:
    // at the Index's middle for one profile, either side of it for two.
    double profileX(IndexId id, const QRectF& plot, int which) const;

    QSize sizeHint() const override { return PictureSize; }
    QSize minimumSizeHint() const override { return QSize(480, 320); }

    static constexpr QSize PictureSize{760, 620};
    static inline const QColor MarkerColor{0x1f, 0x4e, 0x9a};
    static inline const QColor FirstMarkerColor{0xc0, 0x4a, 0x00}; // the earlier assessment
    static constexpr double PairOffset = 11;                       // each profile's side of the Index's middle
    static inline const QColor BarColor{0x30, 0x30, 0x30};
    static inline const QColor BandColor{0xdc, 0xe6, 0xf2};
    static constexpr double MarkerRadius = 5;
    static constexpr double BarWidth = 3;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont chartFont() const;
    QFont titleFont() const;
    std::unique_ptr<QTextLayout> titleLayout(double width) const;
    void paintScales(QPainter& painter, const QRectF& plot, const QSizeF& size) const;
    void paintIndexes(QPainter& painter, const QRectF& plot) const;
    void paintTable(QPainter& painter, const QRectF& plot) const;
    void paintProfile(QPainter& painter, const QRectF& plot, const IndexResults& results, int which) const;
    void paintComparisonTable(QPainter& painter, const QRectF& plot) const;
    void paintLegend(QPainter& painter, const QRectF& plot, const QSizeF& size) const;
    QString caption() const;

    std::optional<IndexResults> case_;
    std::optional<IndexResults> second_;
    std::optional<ReliableChange> change_; // with second_
    QString firstLabel_;
    QString secondLabel_;
    QString title_;
    Scale scale_;
};

inline const QString NoCaseYet = QStringLiteral("No case has been computed yet.");

// The caption: the confidence method's note as the report words it.
QString profileCaption(ConfidenceMethod method);

} // namespace kalden
