#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "scoring/InputRecord.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

// The input rules of the worksheet, as values: each rule says what it found
// (the text to keep, the value scanned, the message for the warning box) and
// the window decides how to show it. Messages use a carriage return as line
// break, as the warning box shows them.
inline constexpr char CR = '\r';

inline constexpr int MaxInputLength = 6;

// A keystroke that the fields take, or one that they discard (`key` NUL) with
// the warning that follows the beep.
struct FilteredKey {
    char key = '\0';
    std::string warning; // empty when the key passes
};
// Passes backspace, tab, carriage return, '-', '.' and the digits; any other
// character is discarded.
FilteredKey filterInputKey(char key);

// A field's text held to six characters (code points, not bytes): the first
// six, with the warning that follows the beep; a shorter text unchanged and
// without a warning.
struct LimitedText {
    std::string text;
    std::string warning; // empty when nothing was cut
};
LimitedText limitInputLength(const std::string& text);

// The number scan shared by fields, matrix cells and grid cells: blanks are
// skipped anywhere, a minus only at the very first position, at most one
// point, digits accumulated step by step in double precision.
struct NumberScan {
    double value = 0.0;
    bool ok = true;
};
NumberScan scanNumber(std::string_view text);

// What a parse or check found: the value, whether the text was accepted, and
// the warning to show when it was not (empty when accepted). The value of a
// rejected text is meaningless.
struct ParseResult {
    double value = 0.0;
    bool ok = true;
    std::string message;
};

// A field's text: an empty text is reported as not entered, a text that
// does not scan is quoted with the field's caption.
ParseResult parseFieldValue(const std::string& text, const std::string& caption);
// A matrix or grid cell's text: the same scan, an empty text reading as 0,
// and a message of its own. Highlighting the cell is the caller's business.
ParseResult parseNumericText(const std::string& text);
// A scaled score in 1 to 19 (both ends included), or the range message.
ParseResult checkScaledScoreRange(const std::string& caption, double value);

// The texts of fields 1 to 8 (index 0 is field 1), and the captions that
// name them in the messages.
using FieldTexts = std::array<std::string, 8>;
using FieldCaptionTexts = std::array<std::string, 8>;

// The first field that failed, from 1, with its message.
struct FieldRejection {
    int field = 0;
    std::string message;
};

// The validation pass's verdict: the record, or the first bad field.
struct InputCheck {
    std::optional<InputRecord> record;
    FieldRejection rejection; // meaningful when there is no record
};

// Compute's validation pass over fields 1 to `inputCount` (at most 7, in
// field order), then the age field when `inputCount` is 8 (scanned, not range
// checked, and not part of the record). Stops at the first bad field, so
// there is at most one message; the options go into the record as given.
InputCheck readInputRecord(const FieldTexts& texts, const Options& options, int inputCount,
                           const FieldCaptionTexts& captions = FieldCaptions);

} // namespace kalden
