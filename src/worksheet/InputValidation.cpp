#include "worksheet/InputValidation.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "format/NumberFormat.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

namespace {

const std::string NumericOnlyText = "Enter numeric data only.";

// 10^n as a double, for n from 0 to 308. Exact up to 10^22; beyond that the
// nearest double, so any number of decimal places can be scanned without an
// integer overflow. The powers are read from their decimal texts, which is
// correctly rounded on every system; std::pow is not (mingw-w64's misses by
// an ulp for many large n, which moved scanned values on Windows). Where the
// C++ library cannot read floating-point text (libc++ of WebAssembly builds),
// the C library's strtod reads it, which there rounds correctly too; the
// texts have no decimal point, so the locale does not enter.
double powerOfTen(int n) {
    static const std::array<double, 309> powers = [] {
        std::array<double, 309> table{};
        for (int i = 0; i < 309; ++i) {
            const std::string text = "1e" + std::to_string(i);
#if defined(__cpp_lib_to_chars)
            std::from_chars(text.data(), text.data() + text.size(), table[static_cast<std::size_t>(i)]);
#else
            table[static_cast<std::size_t>(i)] = std::strtod(text.c_str(), nullptr);
#endif
        }
        return table;
    }();
    return powers[static_cast<std::size_t>(n)];
}

// The value of digit d in decimal place `place` (1 for tenths): d / 10^place.
// Past place 308 the power itself would overflow to infinity and the digit
// would count as nothing, although it still matters in a number that small;
// there the division is made in two steps. From place 325 on a digit is
// below half the smallest double and adds nothing.
double decimalDigitValue(int d, int place) {
    if (place <= 308) return d / powerOfTen(place);
    if (place >= 325) return 0.0;
    return d / 1e300 / powerOfTen(place - 300);
}

bool isUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

FilteredKey filterInputKey(char key) {
    const bool accepted = key == 8 || key == 9 || key == 13 || key == '-' || key == '.' || (key >= '0' && key <= '9');
    if (accepted) return {key, ""};
    return {'\0', std::string("INPUT ERROR") + CR + CR + NumericOnlyText};
}

LimitedText limitInputLength(const std::string& text) {
    // Find the byte where the seventh character starts.
    std::size_t characters = 0;
    std::size_t cut = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isUtf8Continuation(static_cast<unsigned char>(text[i]))) continue;
        if (characters == MaxInputLength) {
            cut = i;
            break;
        }
        ++characters;
    }
    if (cut == text.size()) return {text, ""};
    return {text.substr(0, cut), "Maximum length of input is 6 characters."};
}

NumberScan scanNumber(std::string_view text) {
    NumberScan scan;
    double v = 0.0;
    bool negative = false;
    bool inIntegerPart = true;
    int decimalPlace = 0;
    for (std::size_t i = 0; i < text.size() && scan.ok; ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        if (c == '-') {
            if (i == 0) {
                negative = true;
            } else {
                v = 0.0;
                scan.ok = false;
            }
        } else if (c == '.') {
            if (!inIntegerPart) scan.ok = false;
            inIntegerPart = false;
            decimalPlace = 1;
        } else if (c >= '0' && c <= '9') {
            const int d = c - '0';
            if (inIntegerPart) {
                v = v * 10.0 + d;
            } else {
                v = v + decimalDigitValue(d, decimalPlace);
                if (decimalPlace < 325) ++decimalPlace; // beyond, every digit adds nothing
            }
        } else {
            v = 0.0;
            scan.ok = false;
        }
    }
    scan.value = negative ? -v : v;
    return scan;
}

ParseResult parseFieldValue(const std::string& text, const std::string& caption) {
    if (text.empty())
        return {0.0, false,
                std::string("INPUT ERROR") + CR + CR + "(  " + caption + "  " + text + ")" + CR + CR +
                    "Data have not been entered in this field."};
    const NumberScan scan = scanNumber(text);
    ParseResult result{scan.value, scan.ok, ""};
    if (!scan.ok)
        result.message =
            std::string("INPUT ERROR") + CR + "(  " + caption + "  " + text + "  )" + CR + CR + NumericOnlyText;
    return result;
}

ParseResult parseNumericText(const std::string& text) {
    const NumberScan scan = scanNumber(text);
    ParseResult result{scan.value, scan.ok, ""};
    if (!scan.ok)
        result.message =
            "There is an invalid data entry, which will be highlighted once you click 'OK', please re-enter.";
    return result;
}

ParseResult checkScaledScoreRange(const std::string& caption, double value) {
    if (value >= 1 && value <= 19) return {value, true, ""};
    return {value, false,
            std::string("INPUT ERROR") + CR + "(  " + caption + "  " + formatFixed(value, 3, 3) + "  )" + CR +
                "The valid range for Wechsler subtest scaled scores is 1 to 19 "};
}

InputCheck readInputRecord(const FieldTexts& texts, const Options& options, int inputCount,
                           const FieldCaptionTexts& captions) {
    InputCheck check;
    InputRecord record;
    for (int k = 1; k <= 7 && k <= inputCount; ++k) {
        const std::size_t i = static_cast<std::size_t>(k - 1);
        ParseResult parsed = parseFieldValue(texts[i], captions[i]);
        if (parsed.ok) parsed = checkScaledScoreRange(captions[i], parsed.value); // only a scanned value
        if (!parsed.ok) {
            check.rejection = {k, parsed.message};
            return check;
        }
        record.setScore(k, parsed.value);
    }
    if (inputCount >= 8) {
        const ParseResult age = parseFieldValue(texts[7], captions[7]);
        if (!age.ok) {
            check.rejection = {8, age.message};
            return check;
        }
    }
    record.setOptions(options);
    check.record = record;
    return check;
}

} // namespace kalden
