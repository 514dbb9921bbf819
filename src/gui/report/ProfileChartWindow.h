#pragma once

#include <QWidget>

#include "gui/platform/Services.h"
#include "gui/report/ProfileChart.h"

class QPushButton;

namespace kalden {

// The "Profile chart" window: the chart of the latest computed case, saved
// as PNG, SVG or PDF or printed on the default printer.
class TfrmProfileChart : public QWidget {
    Q_OBJECT

public:
    explicit TfrmProfileChart(const Services& services, QWidget* parent = nullptr);

    void setCase(const IndexResults& results) { chtProfile->setCase(results); }

    ProfileChart* chtProfile = nullptr;
    QPushButton* cmdSaveChart = nullptr;
    QPushButton* cmdPrintChart = nullptr;
    QPushButton* cmdClose = nullptr;

    // The save dialog's initial name; it keeps the last name chosen.
    QString saveChartFileName = QStringLiteral("profile.png");

public slots:
    void cmdSaveChartClick();
    void cmdPrintChartClick();
    void cmdCloseClick() { close(); }

private:
    Services services_;
};

// The chart as the bytes of a PNG, SVG or PDF file, by the extension of
// `fileName` (any case). False with a message for any other extension or a
// failure to encode.
bool chartFileBytes(const ProfileChart& chart, const QString& fileName, QByteArray& bytes, QString& error);

// A build without Qt SVG (the Windows one: Debian offers no source of it to
// build from) saves PNG and PDF only.
#if KALDEN_HAVE_SVG
inline const QString ChartFileTypes = QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
inline const QString ChartExtensionMessage = QStringLiteral(
    "The chart is saved as a PNG, SVG or PDF file: please give a file name ending in .png, .svg or .pdf.");
#else
inline const QString ChartFileTypes = QStringLiteral("PNG image (*.png);;PDF document (*.pdf)");
inline const QString ChartExtensionMessage =
    QStringLiteral("The chart is saved as a PNG or PDF file: please give a file name ending in .png or .pdf.");
#endif

} // namespace kalden
