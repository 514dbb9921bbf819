#include "format/JsonText.h"

namespace kalden {

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// How many continuation bytes the lead byte `b` takes, and the range its
// first continuation must lie in (which rules out overlong forms, surrogates
// and code points beyond U+10FFFF); 0 continuations for a byte that cannot
// lead a sequence at all, or stands alone.
struct Lead {
    int continuations = -1; // -1: not a lead byte
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead leadOf(unsigned char b) {
    if (b < 0x80) return {0};
    if (b >= 0xC2 && b <= 0xDF) return {1};
    if (b == 0xE0) return {2, 0xA0, 0xBF};
    if (b == 0xED) return {2, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {2};
    if (b == 0xF0) return {3, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {3};
    if (b == 0xF4) return {3, 0x80, 0x8F};
    return {};
}

void appendAscii(std::string& out, unsigned char c) {
    static constexpr char Hex[] = "0123456789abcdef";
    switch (c) {
    case '\b': out += "\\b"; return;
    case '\t': out += "\\t"; return;
    case '\n': out += "\\n"; return;
    case '\f': out += "\\f"; return;
    case '\r': out += "\\r"; return;
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    default: break;
    }
    if (c < 0x20) {
        out += "\\u00";
        out.push_back(Hex[c >> 4]);
        out.push_back(Hex[c & 0xF]);
    } else {
        out.push_back(static_cast<char>(c));
    }
}

} // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        const Lead lead = leadOf(b);
        if (lead.continuations == 0) {
            appendAscii(out, b);
            ++i;
            continue;
        }
        if (lead.continuations < 0) { // a byte that starts nothing
            out += Replacement;
            ++i;
            continue;
        }
        // A sequence that breaks off is replaced once; the byte that broke it
        // is read again as the start of what follows.
        std::size_t end = i + 1;
        for (int k = 0; k < lead.continuations; ++k, ++end) {
            if (end >= text.size()) break;
            const auto c = static_cast<unsigned char>(text[end]);
            const unsigned char low = k == 0 ? lead.low : 0x80;
            const unsigned char high = k == 0 ? lead.high : 0xBF;
            if (c < low || c > high) break;
        }
        if (end - i == static_cast<std::size_t>(lead.continuations) + 1)
            out.append(text.substr(i, end - i));
        else
            out += Replacement;
        i = end;
    }
    out.push_back('"');
}

std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

void appendJsonStrings(std::string& out, const std::vector<std::string>& texts) {
    out += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ',';
        appendJsonString(out, texts[i]);
    }
    out += ']';
}

} // namespace kalden
