#include "files/DataHome.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
// windows.h first: the shell's header needs its types.
#include <knownfolders.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace kalden {

std::string dataHomeFromEnvironment(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && xdgDataHome[0] == '/') return xdgDataHome;
    if (!home || home[0] == '\0') return {};
    return std::string(home) + "/.local/share";
}

#ifdef _WIN32

namespace {

std::string utf8Of(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string text(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    return text;
}

} // namespace

// The known folder, as the system's own programs find it, even where the
// variable was changed or removed; the variable only when the folder is not
// known.
std::string userDataHome() {
    PWSTR folder = nullptr;
    std::string home;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder) == S_OK)
        home = utf8Of(folder);
    CoTaskMemFree(folder);
    if (home.empty()) {
        const wchar_t* variable = _wgetenv(L"LOCALAPPDATA");
        if (variable) home = utf8Of(variable);
    }
    return home;
}

#else

std::string userDataHome() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return dataHomeFromEnvironment(std::getenv("XDG_DATA_HOME"), home);
}

#endif

} // namespace kalden
