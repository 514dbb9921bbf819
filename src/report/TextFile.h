#pragma once

#include <string>

#include "report/ReportLines.h"

namespace kalden {

// The report text as a saved file holds it: every line, the last included,
// ends in a carriage return and a line feed.
std::string joinCrLf(const ReportLines& lines);

// Replaces the file at `path` with `content` so that the old file survives
// any failure: the new content is written completely to a temporary file in
// the same folder and flushed to the device, then renamed over the old one.
// An existing file keeps its permissions. On failure returns false with the
// system's description of what went wrong in `error`.
bool writeFileReplacing(const std::string& path, const std::string& content, std::string& error);

} // namespace kalden
