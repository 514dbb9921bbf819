#pragma once

#include <string>

#include "report/CaseRecord.h"

namespace kalden {

// What the page needs to draw a case's profile chart as the desktop draws
// it, as a JSON object: the title; the scale and the percentile ranks of
// its marks; per Index its name, score and limits (to place the marker and
// bar) and the table's texts as the report prints them; the legend's
// limits heading and the caption.
void appendChartJson(std::string& out, const CaseRecord& c);

} // namespace kalden
