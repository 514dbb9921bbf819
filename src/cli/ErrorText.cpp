#include "cli/ErrorText.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/ExitStatus.h"
#include "files/TextFile.h"
#include "format/VisibleText.h"

namespace kalden::cli {

std::string escapeControls(std::string_view text, bool keepLineFeeds) { return visibleText(text, keepLineFeeds); }

bool standardOutputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
}

int cannotWriteStandardOutput(int code, std::ostream& err) {
    err << "kalden-report: cannot write to standard output: " << systemErrorText(code) << '\n';
    err.flush();
    return ExitWriteFailed;
}

} // namespace kalden::cli
