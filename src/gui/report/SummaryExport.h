#pragma once

#include <QByteArray>
#include <QString>

#include "report/CaseSummary.h"
#include "report/ChangeReport.h"

class QMimeData;
class QWidget;

namespace kalden {

// A case's summary on the clipboard and in files, for a clinical letter.

// HTML (the table) and plain text (cells separated by tabs); the caller
// owns the result.
QMimeData* summaryMimeData(const CaseSummary& summary);
// The change between two assessments as a paragraph: plain text, and HTML.
QMimeData* changeSummaryMimeData(const CaseComparison& comparison);

// The summary as an OpenDocument text (.odt) or an HTML page (.html, .htm),
// by the extension of `fileName` (any case). False with a message for any
// other extension or when the document cannot be written.
bool summaryFileBytes(const CaseSummary& summary, const QString& fileName, QByteArray& bytes, QString& error);

// Save Summary for `record`: the file dialog (starting at `fileName`, which
// takes the name chosen), then the document, with the warning or the error
// box on failure.
struct Services;
void saveSummaryOf(const CaseRecord& record, const Services& services, QWidget* parent, QString& fileName);
void saveSummary(const CaseSummary& summary, const Services& services, QWidget* parent, QString& fileName);

inline const QString SummaryFileTypes = QStringLiteral("OpenDocument text (*.odt);;HTML page (*.html *.htm)");
inline const QString SummaryExtensionMessage = QStringLiteral(
    "The summary is saved as an OpenDocument text or an HTML page: please give a file name ending in .odt or .html.");

} // namespace kalden
