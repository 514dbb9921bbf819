// Fuzz target: the number scan and everything a field's text passes through
// on its way to a score (the keystroke filter, the six-character cut, the two
// parsers and the range check), fed with arbitrary bytes as the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "worksheet/InputValidation.h"

using kalden::fuzz::quoted;

namespace {

const std::string FieldCaption = "VOCABULARY subtest scaled score:";

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::size_t codePoints(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// A range message must show the value as a number with three decimals (or
// as INF), and that number must be the value rounded to three places.
void checkRangeMessage(const std::string& message, double value, const std::string& text) {
    const std::string head = "INPUT ERROR\r(  " + FieldCaption + "  ";
    const std::string tail = "  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ";
    FUZZ_CHECK(message.size() > head.size() + tail.size() && message.compare(0, head.size(), head) == 0 &&
                   message.compare(message.size() - tail.size(), tail.size(), tail) == 0,
               quoted(text) + " gave " + quoted(message));
    const std::string shown = message.substr(head.size(), message.size() - head.size() - tail.size());
    if (std::isinf(value)) {
        FUZZ_CHECK(shown == (value > 0 ? "INF" : "-INF"), quoted(text) + " shown as " + quoted(shown));
        return;
    }
    const std::size_t point = shown.find('.');
    const std::size_t digitsFrom = shown[0] == '-' ? 1 : 0;
    bool wellFormed = point != std::string::npos && point > digitsFrom && shown.size() == point + 4;
    for (std::size_t i = digitsFrom; wellFormed && i < shown.size(); ++i)
        wellFormed = i == point || (shown[i] >= '0' && shown[i] <= '9');
    FUZZ_CHECK(wellFormed, quoted(text) + " shown as " + quoted(shown));
    const double back = std::strtod(shown.c_str(), nullptr);
    FUZZ_CHECK(std::fabs(back - value) <= 0.0005 + std::fabs(value) * 1e-15,
               quoted(text) + " shown as " + quoted(shown));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalden;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const NumberScan scan = scanNumber(text);
    FUZZ_CHECK(!std::isnan(scan.value), quoted(text));
    const NumberScan again = scanNumber(text);
    FUZZ_CHECK(again.ok == scan.ok && sameBits(again.value, scan.value), quoted(text) + " scanned twice differs");

    // parseFieldValue: the empty-field message, or the scan's verdict with
    // the text quoted.
    const ParseResult field = parseFieldValue(text, FieldCaption);
    if (text.empty()) {
        FUZZ_CHECK(!field.ok, "empty text");
        FUZZ_CHECK(field.message ==
                       "INPUT ERROR\r\r(  " + FieldCaption + "  )\r\rData have not been entered in this field.",
                   "empty text");
    } else {
        FUZZ_CHECK(field.ok == scan.ok, quoted(text));
        FUZZ_CHECK(sameBits(field.value, scan.value), quoted(text));
        const std::string expected =
            scan.ok ? std::string()
                    : "INPUT ERROR\r(  " + FieldCaption + "  " + text + "  )\r\rEnter numeric data only.";
        FUZZ_CHECK(field.message == expected, quoted(text));
    }

    // parseNumericText: the same verdict, its own message, empty reads as 0.
    const ParseResult cell = parseNumericText(text);
    FUZZ_CHECK(cell.ok == scan.ok, quoted(text));
    FUZZ_CHECK(cell.message.empty() == cell.ok, quoted(text));
    FUZZ_CHECK(sameBits(cell.value, scan.value), quoted(text));
    FUZZ_CHECK(!text.empty() || (scan.ok && cell.value == 0.0), "empty text");

    // The range check of an accepted value: 1 to 19 pass silently, anything
    // else, however large, is shown as a plain number.
    if (scan.ok) {
        const ParseResult range = checkScaledScoreRange(FieldCaption, scan.value);
        FUZZ_CHECK(range.ok == (scan.value >= 1 && scan.value <= 19), quoted(text));
        FUZZ_CHECK(range.message.empty() == range.ok, quoted(text));
        if (!range.ok) checkRangeMessage(range.message, scan.value, text);
    }

    // The six-character cut keeps a prefix of six characters, silently when
    // there is nothing to cut.
    const LimitedText cut = limitInputLength(text);
    FUZZ_CHECK(text.compare(0, cut.text.size(), cut.text) == 0, quoted(text) + " cut to " + quoted(cut.text));
    if (codePoints(text) <= MaxInputLength) {
        FUZZ_CHECK(cut.text == text && cut.warning.empty(), quoted(text));
    } else {
        FUZZ_CHECK(codePoints(cut.text) == MaxInputLength, quoted(text) + " cut to " + quoted(cut.text));
        FUZZ_CHECK(cut.warning == "Maximum length of input is 6 characters.", quoted(text));
    }

    // The keystroke filter passes a character unchanged or discards it with
    // the warning.
    for (char key : text.substr(0, 16)) {
        const FilteredKey filtered = filterInputKey(key);
        const bool accepted =
            key == 8 || key == 9 || key == 13 || key == '-' || key == '.' || (key >= '0' && key <= '9');
        FUZZ_CHECK(filtered.key == (accepted ? key : '\0'), quoted(std::string(1, key)));
        FUZZ_CHECK(filtered.warning.empty() == accepted, quoted(std::string(1, key)));
    }
    return 0;
}
