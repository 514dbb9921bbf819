#pragma once

#include <cstdint>
#include <string>

namespace kalden {

// "1 case", "2 cases", "0 cases": a count with its noun in the number it
// takes.
inline std::string countOf(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

} // namespace kalden
