#pragma once

#include <QString>

#include "gui/platform/PrintLayout.h"

namespace kalden {

// How one section of the results PDF (a case's report, or the text before
// the first case) falls on its pages, in the font and line layout of Print
// All, so that paper is not wasted and nothing belongs apart:
// - the separator at the section's start (an empty line, two rules of
//   hyphens, an empty line) is left out: every section starts a page anyway;
// - the text is taken in blocks, a block ending where two or more empty
//   lines follow (the report's sections: the header with the inputs, the
//   Index table with the low scores, the reliability table, the abnormality
//   table with the profile distance). A block that does not fit in what is
//   left of a page starts the next one, so no table is split from its
//   heading or its last row and the last lines never stand alone; a block
//   taller than a page runs over as Print All runs;
// - empty lines at the top of a page are dropped.
// `pageHeight` in the metrics is the whole height the text may use.
struct SectionLayout {
    PrintLayout text;
    int lastPage = 1; // where the text ends: its last page
    int endY = 0;     // and the first free pixel on it
};

SectionLayout layoutSection(const QString& text, const PrintMetrics& metrics);

// Whether a chart fits under a section's text: at least this share of the
// page must be left below it.
inline constexpr double ChartShareOfPage = 0.45;

} // namespace kalden
