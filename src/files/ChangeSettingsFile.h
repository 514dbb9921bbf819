#pragma once

#include <string>

#include "report/ChangeReport.h"

namespace kalden {

// The level and the practice gains last used to compare two assessments,
// remembered for the user in a settings file of its own (SettingsFile) in
// the private data folder. One "key=value" line each: level (95 or 90), the gains
// practice_vc to practice_fsiq in Index points, and practice_source.

inline constexpr const char* ChangeSettingsFileName = "compare.txt";

std::string changeSettingsContent(const ChangeSettings& s);
// Unknown keys, malformed lines and gains that are not gains are passed
// over: what is missing is the default (95%, no gains).
ChangeSettings changeSettingsFromContent(const std::string& content);

// The defaults when there is no file or it cannot be read.
ChangeSettings loadChangeSettings(const std::string& path);
bool saveChangeSettings(const std::string& path, const ChangeSettings& s, std::string& error);

} // namespace kalden
