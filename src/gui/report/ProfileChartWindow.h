#pragma once

#include <optional>
#include <vector>

#include <QWidget>

#include "gui/book/CaseBook.h"
#include "gui/platform/Services.h"
#include "gui/report/ProfileChart.h"
#include "report/CaseRecord.h"
#include "report/ChangeReport.h"

class QLabel;
class QPushButton;

namespace kalden {

// One case as the chart shows it, or two assessments of one person (the
// first in `results`).
struct ChartCase {
    IndexResults results;
    QString title;
    std::optional<IndexResults> second;
    std::optional<ReliableChange> change; // with `second`
    QString firstLabel;                   // in the legend, for two assessments
    QString secondLabel;
    Session session; // of the case, or of the later assessment

    void showOn(ProfileChart& chart) const;
};

// The chart's title for a case: the person and session and the first note
// line, where there are any, when it was computed, and the program with its
// version.
ChartCase chartCaseOf(const CaseRecord& c);
// Two assessments: the person and session, the two dates, the program.
ChartCase chartCaseOf(const CaseComparison& c);
// A case of the case book, either of the above.
ChartCase chartCaseOf(const CaseBook::Entry& entry);

// The "Profile chart" window: the chart of one of the cases computed since
// the last Clear Results (the latest when they change), stepped through with
// Previous and Next, saved as PNG, SVG or PDF or printed on the printer.
// Escape closes it.
class TfrmProfileChart : public QWidget {
    Q_OBJECT

public:
    explicit TfrmProfileChart(const Services& services, QWidget* parent = nullptr);

    // Shows the last of `cases`, or says that there is none.
    void setCases(std::vector<ChartCase> cases);
    int shownCase() const { return shown_; } // from 0; -1 with no case

    ProfileChart* chtProfile = nullptr;
    QPushButton* cmdPreviousCase = nullptr;
    QLabel* lblCase = nullptr;
    QPushButton* cmdNextCase = nullptr;
    QPushButton* cmdSaveChart = nullptr;
    QPushButton* cmdPrintChart = nullptr;
    QPushButton* cmdClose = nullptr;

    // The save dialog's initial name; it keeps the last name chosen.
    QString saveChartFileName = QStringLiteral("profile.png");

public slots:
    void cmdSaveChartClick();
    void cmdPrintChartClick();
    void cmdCloseClick() { close(); }
    void cmdPreviousCaseClick() { showCase(shown_ - 1); }
    void cmdNextCaseClick() { showCase(shown_ + 1); }

private:
    void showCase(int index);

    Services services_;
    std::vector<ChartCase> cases_;
    int shown_ = -1;
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
