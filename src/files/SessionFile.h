#pragma once

#include <string>

#include "report/Session.h"

namespace kalden {

// The person and session last entered, remembered for the next start in a
// settings file of its own (SettingsFile) in the private data folder, never in the
// last-case file, whose layout stays as it is. One "key=value" line each for
// the person, the date of birth, the examiner and the reason for referral.
// The date of testing is not kept: every start begins on the day it is, so
// that a letter never carries the date of an earlier session by accident.

std::string sessionFileContent(const Session& s);
// Unknown keys and malformed lines are passed over; missing values are empty.
Session sessionFromContent(const std::string& content);

// Nothing (an empty session) when there is no file or it cannot be read.
Session loadSession(const std::string& path);
// Writes the file through the private folder, replacing it whole.
bool saveSession(const std::string& path, const Session& s, std::string& error);

} // namespace kalden
