#include "files/PersonFileName.h"

#include <cstddef>

namespace kalden {

namespace {

constexpr std::size_t LongestPersonPart = 60;

// The length of the UTF-8 sequence that starts at `at`, or 0 where the bytes
// are no UTF-8.
std::size_t sequenceLength(const std::string& s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    const std::size_t n = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (n == 0 || at + n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return n;
}

// The code point of a valid sequence.
char32_t codePoint(const std::string& s, std::size_t at, std::size_t n) {
    static constexpr unsigned char LeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(s[at]) & LeadMask[n];
    for (std::size_t i = 1; i < n; ++i) c = (c << 6) | (static_cast<unsigned char>(s[at + i]) & 0x3F);
    return c;
}

bool refused(char32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return true; // controls
    for (const char r : std::string("<>:\"/\\|?*"))
        if (c == static_cast<char32_t>(r)) return true;
    // Marks that turn text round or hide in it: a name must read as it is.
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

bool blank(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A);
}

std::string personPart(const std::string& person) {
    std::string out;
    bool pendingBlank = false;
    for (std::size_t at = 0; at < person.size();) {
        const std::size_t n = sequenceLength(person, at);
        if (n == 0) {
            ++at;
            continue;
        }
        const char32_t c = codePoint(person, at, n);
        if (blank(c)) {
            pendingBlank = !out.empty();
        } else if (!refused(c)) {
            const std::size_t added = n + (pendingBlank ? 1 : 0);
            if (out.size() + added > LongestPersonPart) break;
            if (pendingBlank) out += ' ';
            out.append(person, at, n);
            pendingBlank = false;
        }
        at += n;
    }
    // No hidden file and no blank at the end; a dot at its end is followed
    // by the rest of the name.
    const std::size_t first = out.find_first_not_of(". ");
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string personFileName(const Session& s, const std::string& what, const std::string& extension) {
    std::string name = personPart(s.person);
    if (!name.empty() && isCalendarDay(s.testingDate)) name += ' ' + s.testingDate;
    return name + (name.empty() ? "" : " ") + what + '.' + extension;
}

} // namespace kalden
