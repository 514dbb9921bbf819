#include "format/VisibleText.h"

#include <algorithm>

namespace kalden {

namespace {

constexpr char Hex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out.push_back(Hex[byte >> 4]);
    out.push_back(Hex[byte & 0xF]);
}

void appendCodePointEscape(std::string& out, char32_t c) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(Hex[(c >> shift) & 0xF]);
}

bool isHiddenCodePoint(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFFFE || c == 0xFFFF;
}

bool isLineBreak(char32_t c) { return c == 0x85 || c == 0x2028 || c == 0x2029; }

// The length of the well-formed UTF-8 sequence at `text[i]` and its code
// point, or 0 when the bytes there are not one.
std::size_t decode(std::string_view text, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    return length;
}

} // namespace

std::string visibleText(std::string_view text, bool keepLineFeeds) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if ((byte >= 0x20 && byte != 0x7F) || (keepLineFeeds && byte == '\n'))
                shown.push_back(static_cast<char>(byte));
            else
                appendByteEscape(shown, byte);
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = decode(text, i, c);
        if (length == 0) {
            appendByteEscape(shown, byte);
            ++i;
        } else {
            if (isHiddenCodePoint(c))
                appendCodePointEscape(shown, c);
            else
                shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}

std::string messageText(std::string_view message) {
    std::string shown(message);
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    return visibleText(shown, true);
}

std::string oneLineText(std::string_view text) {
    std::string spaced;
    spaced.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char byte = text[i];
        char32_t c = 0;
        const std::size_t length = static_cast<unsigned char>(byte) < 0x80 ? 0 : decode(text, i, c);
        if ((byte >= '\t' && byte <= '\r') || (length > 0 && isLineBreak(c))) {
            spaced += ' ';
            i += std::max<std::size_t>(length, 1);
        } else {
            spaced += byte;
            ++i;
        }
    }
    return visibleText(spaced);
}

} // namespace kalden
