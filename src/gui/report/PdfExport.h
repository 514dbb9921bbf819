#pragma once

#include <vector>

#include <QByteArray>
#include <QFont>
#include <QString>

#include "gui/platform/PrintLayout.h"
#include "report/CaseRecord.h"

namespace kalden {

// PDF documents of the results window's text and of the profile chart, and
// the safe replacement of a file by such content.

// The page of the PDF documents: A4 at 1200 dots per inch with a printable
// area 10 mm in from each edge, as on a printer's sheet.
inline constexpr int PdfResolution = 1200;
inline constexpr double PdfMarginMillimetres = 10;

// The text laid out exactly as Print All prints it (font, line advance, page
// breaks: printTextOnDevice), followed, when `lastPage` is given, by one page
// painted by it. False with a description when the document cannot be made.
bool reportPdf(const QString& text, const QFont& font, const PagePainter& lastPage, QByteArray& pdf, QString& error);

// One part of the results window's text as Save as PDF lays it out: its text
// pages, then, when `chart` is set, the case's chart.
struct PdfSection {
    QString text;     // as Print All sends it: lines ending in CR LF
    QString headline; // who was tested, when and by whom, else the first note line; empty before the first case
    QString dates;    // "tested 2026-03-01, computed 2026-12-09 10:40"; empty before the first case
    PagePainter chart;
};

// The section of a case: its headline and dates, with `text` and `chart`.
PdfSection caseSection(const CaseRecord& c, const QString& text, const PagePainter& chart);

// The results as a document to file: every section starts a page, the text
// in Print All's font and line layout, kept together by blocks (layoutSection),
// each case's chart under its text where at least ChartShareOfPage of the
// page is left, else on the next page. Every page has a header ("KALDEN" and
// the section's headline) and a footer (the section's dates and the day it
// is `printedOn`, "Page N of M", "KALDEN" and the version).
bool resultsPdf(const std::vector<PdfSection>& sections, const QFont& font, const QString& printedOn, QByteArray& pdf,
                QString& error);

// A single landscape page painted by `paint`.
bool picturePdf(const PagePainter& paint, QByteArray& pdf, QString& error);

// Replaces the file at `path` with `bytes` only once they are completely
// written (the old file survives any failure); a case store of the user's
// (caseStoreClash) is never written. On failure `error` names the file and
// gives the reason.
class ProgramHost;
bool replaceFileWith(const ProgramHost& host, const QString& path, const QByteArray& bytes, QString& error);

} // namespace kalden
