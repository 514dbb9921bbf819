// Differential fuzz target: the number scan against a plain decimal reading.
//
// A text the scan accepts must hold only blanks, digits, at most one point
// and at most a leading minus, and its value must be what the C library's
// strtod reads from the same text with the blanks and the minus removed
// ("", "." read as 0), with the minus applied. A text the scan rejects must
// hold a character outside that set, a minus after the first position, or a
// second point.
//
// How close the values must be: the scan adds digit after digit, rounding to
// double at each step, so its value may lie a few units in the last place
// from the correctly rounded one (two at most for texts of up to six
// characters), and the distance can grow with every digit. The bound allowed
// here follows from that rule: relative error (digits + 3) * 2^-52, plus as
// many steps of the smallest subnormal below the normal range; a value beyond
// the largest double may show as infinity. Integers below 2^53 must be exact.
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "worksheet/InputValidation.h"

using kalden::fuzz::quoted;

namespace {

struct Reading {
    bool wellFormed = true; // only accepted characters, a leading minus at most, one point at most
    bool negative = false;
    bool hasPoint = false;
    int digits = 0;
    std::string plain; // the digits and the point, blanks and minus removed
};

Reading readPlainly(const std::string& text) {
    Reading r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        if (c == '-' && i == 0) {
            r.negative = true;
        } else if (c == '.' && !r.hasPoint) {
            r.hasPoint = true;
            r.plain.push_back(c);
        } else if (c >= '0' && c <= '9') {
            ++r.digits;
            r.plain.push_back(c);
        } else {
            r.wellFormed = false;
        }
    }
    return r;
}

double decimalValue(const Reading& r, const std::string& text) {
    if (r.plain.empty() || r.plain == ".") return 0.0;
    char* end = nullptr;
    const double v = std::strtod(r.plain.c_str(), &end);
    FUZZ_CHECK(end == r.plain.c_str() + r.plain.size(), "strtod stopped early in " + quoted(text));
    return v;
}

bool closeEnough(double scanned, double exact, int digits) {
    if (scanned == exact) return true;
    const double relative = (digits + 3) * DBL_EPSILON;
    if (std::isinf(scanned) || std::isinf(exact)) {
        const double finite = std::isinf(scanned) ? exact : scanned;
        return std::isinf(finite) || finite >= DBL_MAX / (1 + relative);
    }
    const double allowed = relative * exact + (digits + 3) * DBL_TRUE_MIN;
    return std::fabs(scanned - exact) <= allowed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool cLocale = std::setlocale(LC_NUMERIC, "C") != nullptr;
    (void)cLocale;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const kalden::NumberScan scan = kalden::scanNumber(text);
    const Reading plain = readPlainly(text);

    FUZZ_CHECK(scan.ok == plain.wellFormed, quoted(text) + (scan.ok ? " accepted" : " rejected"));
    if (!scan.ok) return 0;

    const double exact = decimalValue(plain, text);
    const double scanned = plain.negative ? -scan.value : scan.value;
    char shown[128];
    std::snprintf(shown, sizeof shown, " scans as %.17g, reads as %.17g", scanned, exact);
    FUZZ_CHECK(!std::signbit(scanned) || scanned == 0.0, quoted(text) + shown);
    FUZZ_CHECK(closeEnough(scanned, exact, plain.digits), quoted(text) + shown);
    if (!plain.hasPoint && exact < 0x1p53) FUZZ_CHECK(scanned == exact, quoted(text) + shown);
    return 0;
}
