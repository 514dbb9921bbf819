#pragma once

#include <string>

#include "report/Session.h"

namespace kalden {

// The name a save dialog offers for what was made of one person's case:
// "Ann B. 2026-03-01 summary.odt" from the person, the date of testing, what
// the file holds and its extension; "summary.odt" where no person is named.
// The person's part keeps letters of every script but loses what some file
// system refuses or a reader could be misled by (< > : " / \ | ? *, control
// and direction characters, bytes that are no UTF-8), its blanks run
// together, no dot or blank at its start, at most 60 bytes of it.
std::string personFileName(const Session& s, const std::string& what, const std::string& extension);

} // namespace kalden
