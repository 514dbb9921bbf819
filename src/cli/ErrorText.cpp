#include "cli/ErrorText.h"

#include <algorithm>
#include <ostream>

#include "cli/ExitStatus.h"
#include "files/TextFile.h"

namespace kalden::cli {

std::string escapeControls(std::string_view text, bool keepLineFeeds) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7f) || (keepLineFeeds && c == '\n')) {
            shown.push_back(c);
        } else {
            shown += "\\x";
            shown.push_back(Hex[byte >> 4]);
            shown.push_back(Hex[byte & 0xf]);
        }
    }
    return shown;
}

std::string messageText(std::string_view message) {
    std::string shown(message);
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    return escapeControls(shown, true);
}

int cannotWriteStandardOutput(int code, std::ostream& err) {
    err << "kalden-report: cannot write to standard output: " << systemErrorText(code) << '\n';
    err.flush();
    return ExitWriteFailed;
}

} // namespace kalden::cli
