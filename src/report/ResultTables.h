#pragma once

#include "report/ReportLines.h"
#include "scoring/Abnormality.h"
#include "scoring/IndexResults.h"
#include "scoring/ProfileDistance.h"

namespace kalden {

// The report's five result tables, each appended from its heading to its
// closing line. The numbers come from the scoring units; only their layout
// is decided here.

// The Index table, in one of four layouts chosen by the confidence method.
void writeIndexSection(const IndexResults& results, LineSink report);
// The three low-score lines that follow the Index table.
void writeLowScoreLines(const AbnormalityResults& abnormality, LineSink report);
// One of the four variants of the reliability table, chosen by the basis and
// the correction.
void writeReliabilitySection(const IndexResults& results, LineSink report);
// The abnormality table with the count of abnormal differences.
void writeAbnormalitySection(const AbnormalityResults& abnormality, LineSink report);
// The two Mahalanobis lines.
void writeProfileDistanceLines(const ProfileDistanceResult& distance, LineSink report);

} // namespace kalden
