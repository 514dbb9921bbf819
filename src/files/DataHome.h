#pragma once

#include <string>

namespace kalden {

// Where every KALDEN program finds the user's data home, under whose
// "kalden" folder the last case and the case records are kept: decided here
// alone, so that kalden and kalden-report always reach the same files.
//
// On Windows the user's local application data folder (%LOCALAPPDATA%);
// elsewhere $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share, the home being $HOME or, when that is unset or empty, the
// user's home in the password database. Empty when no home is known.
std::string userDataHome();

// The rule for POSIX systems, from the two variables: XDG_DATA_HOME when it
// is an absolute path (a relative one is invalid and ignored, as the XDG
// rules say: it would put the files wherever the program happened to
// start), otherwise `home`/.local/share; empty when `home` is empty too.
std::string dataHomeFromEnvironment(const char* xdgDataHome, const char* home);

} // namespace kalden
