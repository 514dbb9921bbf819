#include "cli/ErrorText.h"

#include <algorithm>
#include <ostream>

#include "cli/ExitStatus.h"
#include "files/TextFile.h"
#include "format/VisibleText.h"

namespace kalden::cli {

std::string escapeControls(std::string_view text, bool keepLineFeeds) { return visibleText(text, keepLineFeeds); }

int cannotWriteStandardOutput(int code, std::ostream& err) {
    err << "kalden-report: cannot write to standard output: " << systemErrorText(code) << '\n';
    err.flush();
    return ExitWriteFailed;
}

} // namespace kalden::cli
