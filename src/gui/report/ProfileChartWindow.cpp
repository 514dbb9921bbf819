#include "gui/report/ProfileChartWindow.h"

#include <algorithm>

#include <QBuffer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#if KALDEN_HAVE_SVG
#include <QSvgGenerator>
#endif
#include <QVBoxLayout>

#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "report/ChartData.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

namespace {

// PNG at twice the picture's size, so that the file stays sharp when shown
// or printed larger.
bool chartPng(const ProfileChart& chart, QByteArray& bytes) {
    QImage image(ProfileChart::PictureSize * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    {
        QPainter painter(&image);
        chart.paintChart(painter, QSizeF(ProfileChart::PictureSize));
    }
    QBuffer buffer(&bytes);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
}

#if KALDEN_HAVE_SVG
bool chartSvg(const ProfileChart& chart, QByteArray& bytes) {
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return false;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(ProfileChart::PictureSize);
    svg.setViewBox(QRect(QPoint(0, 0), ProfileChart::PictureSize));
    svg.setTitle(chart.accessibleName());
    svg.setDescription(chart.descriptionLines().join(u'\n'));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    chart.paintChart(painter, QSizeF(ProfileChart::PictureSize));
    return painter.end();
}
#endif

} // namespace

bool chartFileBytes(const ProfileChart& chart, const QString& fileName, QByteArray& bytes, QString& error) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    bool done = false;
    if (extension == u"png") {
        done = chartPng(chart, bytes);
#if KALDEN_HAVE_SVG
    } else if (extension == u"svg") {
        done = chartSvg(chart, bytes);
#endif
    } else if (extension == u"pdf") {
        return picturePdf([&chart](QPainter& p, const QRectF& page) { chart.paintPicture(p, page); }, bytes, error);
    } else {
        error = ChartExtensionMessage;
        return false;
    }
    if (!done) error = QStringLiteral("The chart could not be drawn as a %1 file").arg(extension.toUpper());
    return done;
}

ChartCase chartCaseOf(const CaseRecord& c) {
    const std::string program = (ProgramName + u' ' + programVersion()).toStdString();
    ChartCase chart;
    chart.results = c.results.index;
    chart.title = QString::fromStdString(chartTitle(c, program));
    chart.session = c.session;
    return chart;
}

ChartCase chartCaseOf(const CaseComparison& c) {
    const QString program = ProgramName + u' ' + programVersion();
    return ChartCase{c.first.record.results.index,
                     QString::fromStdString(comparisonChartTitle(c, program.toStdString())),
                     c.second.record.results.index,
                     c.change,
                     QString::fromStdString(assessmentLabel("First", c.first)),
                     QString::fromStdString(assessmentLabel("Second", c.second)),
                     c.second.record.session};
}

void ChartCase::showOn(ProfileChart& chart) const {
    if (second && change)
        chart.setComparison(results, *second, *change, title, firstLabel, secondLabel);
    else
        chart.setCase(results, title);
}

TfrmProfileChart::TfrmProfileChart(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName(QStringLiteral("frmProfileChart"));
    setWindowTitle(QStringLiteral("Profile chart: ") + QString::fromStdString(ProgramTitle));

    auto* layout = new QVBoxLayout(this);
    chtProfile = new ProfileChart(this);
    layout->addWidget(chtProfile, 1);

    auto* buttons = new QHBoxLayout;
    cmdPreviousCase = new QPushButton(QStringLiteral("< Previous Case"), this);
    cmdPreviousCase->setObjectName(QStringLiteral("cmdPreviousCase"));
    lblCase = new QLabel(this);
    lblCase->setObjectName(QStringLiteral("lblCase"));
    lblCase->setMinimumWidth(QFontMetrics(lblCase->font()).horizontalAdvance(QStringLiteral("Case 999 of 999")));
    lblCase->setAlignment(Qt::AlignCenter);
    cmdNextCase = new QPushButton(QStringLiteral("Next Case >"), this);
    cmdNextCase->setObjectName(QStringLiteral("cmdNextCase"));
    buttons->addWidget(cmdPreviousCase);
    buttons->addWidget(lblCase);
    buttons->addWidget(cmdNextCase);
    buttons->addSpacing(24);
    cmdSaveChart = new QPushButton(QStringLiteral("Save Chart..."), this);
    cmdPrintChart = new QPushButton(QStringLiteral("Print Chart"), this);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdSaveChart->setObjectName(QStringLiteral("cmdSaveChart"));
    cmdPrintChart->setObjectName(QStringLiteral("cmdPrintChart"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdSaveChart);
    buttons->addWidget(cmdPrintChart);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);

    connect(cmdPreviousCase, &QPushButton::clicked, this, &TfrmProfileChart::cmdPreviousCaseClick);
    connect(cmdNextCase, &QPushButton::clicked, this, &TfrmProfileChart::cmdNextCaseClick);
    connect(cmdSaveChart, &QPushButton::clicked, this, &TfrmProfileChart::cmdSaveChartClick);
    connect(cmdPrintChart, &QPushButton::clicked, this, &TfrmProfileChart::cmdPrintChartClick);
    connect(cmdClose, &QPushButton::clicked, this, &TfrmProfileChart::cmdCloseClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TfrmProfileChart::cmdCloseClick);
    pressButtonsOnEnter(*this);
    showCase(-1);
}

void TfrmProfileChart::setCases(std::vector<ChartCase> cases) {
    cases_ = std::move(cases);
    showCase(static_cast<int>(cases_.size()) - 1);
}

void TfrmProfileChart::showCase(int index) {
    const int count = static_cast<int>(cases_.size());
    shown_ = count == 0 ? -1 : std::clamp(index, 0, count - 1);
    if (shown_ < 0) {
        chtProfile->clearCase();
        lblCase->setText(QStringLiteral("No case"));
    } else {
        const ChartCase& c = cases_[static_cast<std::size_t>(shown_)];
        c.showOn(*chtProfile);
        lblCase->setText(QStringLiteral("Case %1 of %2").arg(shown_ + 1).arg(count));
    }
    cmdPreviousCase->setEnabled(shown_ > 0);
    cmdNextCase->setEnabled(shown_ >= 0 && shown_ < count - 1);
    cmdSaveChart->setEnabled(shown_ >= 0);
    cmdPrintChart->setEnabled(shown_ >= 0);
}

void TfrmProfileChart::cmdSaveChartClick() {
    const QString offered =
        personFileNameAfter(saveChartFileName, cases_[static_cast<std::size_t>(shown_)].session, "chart", "png");
    const std::optional<QString> name = services_.files.saveFileNameFiltered(this, offered, ChartFileTypes);
    if (!name) return;
    saveChartFileName = *name;
    QByteArray bytes;
    QString error;
    if (!chartFileBytes(*chtProfile, *name, bytes, error)) {
        if (error == ChartExtensionMessage)
            services_.boxes.warning(error);
        else
            services_.boxes.error(error);
        return;
    }
    if (!replaceFileWith(services_.host, *name, bytes, error)) services_.boxes.error(error);
}

void TfrmProfileChart::cmdPrintChartClick() {
    QString error;
    const auto paint = [this](QPainter& p, const QRectF& page) { chtProfile->paintPicture(p, page); };
    if (!services_.printer.printPicture(paint, error)) services_.boxes.error(error);
}

} // namespace kalden
