#include "worksheet/TextAreaLines.h"

namespace kalden {

namespace {

// The length of the line break at text[i], or 0.
std::size_t breakAt(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (c == '\n') return 1;
    if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    // U+2028 and U+2029 are E2 80 A8 and E2 80 A9.
    if (c == '\xE2' && text.substr(i, 2) == "\xE2\x80" && i + 2 < text.size() &&
        (text[i + 2] == '\xA8' || text[i + 2] == '\xA9'))
        return 3;
    return 0;
}

} // namespace

std::vector<std::string> textAreaLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = breakAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += length;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace kalden
