#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>

#include "gui/platform/PrintLayout.h"

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

// A single landscape page painted by `paint`.
bool picturePdf(const PagePainter& paint, QByteArray& pdf, QString& error);

// Replaces the file at `path` with `bytes` only once they are completely
// written (the old file survives any failure). On failure `error` names the
// file and gives the system's description of what went wrong.
bool replaceFileWith(const QString& path, const QByteArray& bytes, QString& error);

} // namespace kalden
