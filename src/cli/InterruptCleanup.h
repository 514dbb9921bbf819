#pragma once

#include <string>

namespace kalden::cli {

// While one lives, SIGINT and SIGTERM first remove the given temporary file
// and then end the process as the signal would have ended it, so that an
// interrupted batch leaves no half-written file behind. The handlers before
// it are restored when it goes. Only one at a time.
class InterruptCleanup {
public:
    explicit InterruptCleanup(const std::string& temporaryPath);
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

private:
    bool armed_ = false;
};

} // namespace kalden::cli
