#pragma once

#include <string>

namespace kalden {

// While armed, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ first remove the
// given temporary file and then end the process as the signal would have
// ended it, so that an interrupted write leaves no half-written file behind.
// A signal the process ignores stays ignored. Disarming restores the handlers
// that were there before. One file at a time: arming again replaces it.
void armInterruptCleanup(const std::string& temporaryPath);
void disarmInterruptCleanup();

} // namespace kalden
