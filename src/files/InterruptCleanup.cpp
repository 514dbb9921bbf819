#include "files/InterruptCleanup.h"

#ifdef _WIN32

namespace kalden {

// Windows delivers Ctrl+C on a thread of its own while the temporary file is
// held open without delete sharing, so it cannot be removed from there; an
// interrupted write may leave its temporary file beside the target (the
// target itself is never touched before the new content is complete).
void armInterruptCleanup(const std::string&) {}
void disarmInterruptCleanup() {}

} // namespace kalden

#else

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>

namespace kalden {

namespace {

// The handler may only touch what is set before it is installed: a fixed
// buffer and a flag, no allocation.
char g_path[PATH_MAX];
volatile std::sig_atomic_t g_pathSet = 0;
constexpr int CleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
constexpr std::size_t SignalCount = std::size(CleanedSignals);
struct sigaction g_previous[SignalCount];
bool g_replaced[SignalCount] = {};
bool g_armed = false;

extern "C" void removeTemporaryAndDie(int signal) {
    if (g_pathSet) ::unlink(g_path);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal); // delivered once the handler returns, with the default action
}

} // namespace

void armInterruptCleanup(const std::string& temporaryPath) {
    disarmInterruptCleanup();
    if (temporaryPath.empty() || temporaryPath.size() >= sizeof g_path) return;
    std::memcpy(g_path, temporaryPath.c_str(), temporaryPath.size() + 1);
    g_pathSet = 1;
    struct sigaction action {};
    action.sa_handler = removeTemporaryAndDie;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : CleanedSignals) ::sigaddset(&action.sa_mask, signal);
    for (std::size_t k = 0; k < SignalCount; ++k) {
        // A signal the process was told to ignore (nohup) stays ignored.
        g_replaced[k] = ::sigaction(CleanedSignals[k], nullptr, &g_previous[k]) == 0 &&
                        g_previous[k].sa_handler != SIG_IGN && ::sigaction(CleanedSignals[k], &action, nullptr) == 0;
    }
    g_armed = true;
}

void disarmInterruptCleanup() {
    if (!g_armed) return;
    for (std::size_t k = 0; k < SignalCount; ++k)
        if (g_replaced[k]) ::sigaction(CleanedSignals[k], &g_previous[k], nullptr);
    g_pathSet = 0;
    g_armed = false;
}

} // namespace kalden

#endif // _WIN32
