#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace kalden::testing {

// The user that permission tests act as when the suite runs as root, whom
// file permissions do not stop.
struct UnprivilegedUser {
    uid_t uid = 65534;
    gid_t gid = 65534;
};

inline UnprivilegedUser unprivilegedUser() {
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? UnprivilegedUser{nobody->pw_uid, nobody->pw_gid} : UnprivilegedUser{};
}

inline bool runningAsRoot() { return ::geteuid() == 0; }

// Runs `work` as the unprivileged user: in a child process that drops to it
// when the test runs as root, in this process otherwise. Gives what `work`
// returned, or a text starting with "child:" when the child failed.
inline std::string runUnprivileged(const std::function<std::string()>& work) {
    if (!runningAsRoot()) return work();
    int channel[2];
    if (::pipe(channel) != 0) return "child: no pipe";
    const pid_t child = ::fork();
    if (child < 0) return "child: no fork";
    if (child == 0) {
        ::close(channel[0]);
        const UnprivilegedUser user = unprivilegedUser();
        if (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0) ::_exit(3);
        const std::string result = work();
        const bool sent = ::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child: ended with status " + std::to_string(status);
    return result;
}

} // namespace kalden::testing
