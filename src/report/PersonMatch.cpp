#include "report/PersonMatch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kalden {

namespace {

// A byte that starts no valid UTF-8 sequence, kept apart from the
// characters as a lone low surrogate (which UTF-8 never encodes).
constexpr char32_t StrayByte = 0xDC00;

// The code points of a UTF-8 text; a stray byte stands for itself.
std::vector<char32_t> codePoints(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        char32_t c = length == 1 ? byte : length == 2 ? byte & 0x1F : length == 3 ? byte & 0x0F : byte & 0x07;
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        out.push_back(valid ? c : StrayByte + byte);
        i += valid ? static_cast<std::size_t>(length) : 1;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c >= StrayByte && c < StrayByte + 0x100) {
        out += static_cast<char>(c - StrayByte);
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Blanks, controls and punctuation, which a name may carry or not.
bool ignored(char32_t c) {
    if (c < 0x80) return !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    return (c >= 0x80 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x206F) || c == 0x3000 ||
           c == 0xFEFF;
}

char32_t lowerCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE) || (c >= 0x391 && c <= 0x3AB) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    // Latin Extended-A: capital and small letters alternate.
    const bool evenCapital = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapital && c % 2 == 0) || (oddCapital && c % 2 == 1)) return c + 1;
    if (c == 0x178) return 0xFF;
    return c;
}

} // namespace

std::string personKey(std::string_view person) {
    std::string key;
    for (const char32_t c : codePoints(person))
        if (!ignored(c)) appendUtf8(key, lowerCase(c));
    return key;
}

// Levenshtein's distance over code points, one row at a time.
int keyDistance(std::string_view a, std::string_view b) {
    const std::vector<char32_t> x = codePoints(a);
    const std::vector<char32_t> y = codePoints(b);
    std::vector<int> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= x.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

bool nearPerson(std::string_view keyA, std::string_view keyB) {
    if (keyA.empty() || keyB.empty() || keyA == keyB) return false;
    const int shorter = static_cast<int>(std::min(codePoints(keyA).size(), codePoints(keyB).size()));
    const int d = keyDistance(keyA, keyB);
    return d <= 2 && 2 * d < shorter;
}

std::string distanceText(int distance) { return distance == 1 ? "one character" : "two characters"; }

} // namespace kalden
