#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken rule inside a fuzz target: print what and where, then abort, which
// libFuzzer records as a crash with the input that caused it.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken rule: %s\n  %s\n", __FILE__, __LINE__, #condition, \
                         std::string(what).c_str());                                               \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace kalden::fuzz {

// A text shown in a failure message with its bytes visible.
inline std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

} // namespace kalden::fuzz
