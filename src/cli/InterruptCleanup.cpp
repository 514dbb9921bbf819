#include "cli/InterruptCleanup.h"

#ifdef _WIN32

namespace kalden::cli {

// Windows delivers Ctrl+C on a thread of its own while the temporary file is
// held open without delete sharing, so it cannot be removed from there; an
// interrupted batch may leave its temporary file beside OUT (OUT itself is
// never touched before the output is complete).
InterruptCleanup::InterruptCleanup(const std::string&) {}
InterruptCleanup::~InterruptCleanup() = default;

} // namespace kalden::cli

#else

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>

namespace kalden::cli {

namespace {

// The handler may only touch what is set before it is installed: a fixed
// buffer and a flag, no allocation.
char g_path[PATH_MAX];
volatile std::sig_atomic_t g_pathSet = 0;
constexpr int CleanedSignals[] = {SIGINT, SIGTERM};
struct sigaction g_previous[2];
bool g_replaced[2] = {false, false};

extern "C" void removeTemporaryAndDie(int signal) {
    if (g_pathSet) ::unlink(g_path);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal); // delivered once the handler returns, with the default action
}

} // namespace

InterruptCleanup::InterruptCleanup(const std::string& temporaryPath) {
    if (temporaryPath.empty() || temporaryPath.size() >= sizeof g_path) return;
    std::memcpy(g_path, temporaryPath.c_str(), temporaryPath.size() + 1);
    g_pathSet = 1;
    struct sigaction action {};
    action.sa_handler = removeTemporaryAndDie;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : CleanedSignals) ::sigaddset(&action.sa_mask, signal);
    for (std::size_t k = 0; k < 2; ++k) {
        // A signal the process was told to ignore (nohup) stays ignored.
        g_replaced[k] = ::sigaction(CleanedSignals[k], nullptr, &g_previous[k]) == 0 &&
                        g_previous[k].sa_handler != SIG_IGN && ::sigaction(CleanedSignals[k], &action, nullptr) == 0;
    }
    armed_ = true;
}

InterruptCleanup::~InterruptCleanup() {
    if (!armed_) return;
    for (std::size_t k = 0; k < 2; ++k)
        if (g_replaced[k]) ::sigaction(CleanedSignals[k], &g_previous[k], nullptr);
    g_pathSet = 0;
}

} // namespace kalden::cli

#endif // _WIN32
