#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scoring/InputRecord.h"
#include "scoring/MessageService.h"

namespace kalden {

// The verdict of the last parseFieldValue or parseNumericText on the calling
// thread (batch rows are validated on several at once): set when it rejected
// its text, cleared when it accepted one. The program's own callers read the
// ParseResult instead; the flag stays as a view of the same verdict for code
// that asks after the fact.
extern thread_local bool InputError;

inline constexpr int MaxInputLength = 6;

// Passes backspace, tab, carriage return, '-', '.' and the digits; any other
// character is discarded (NUL returned) after a beep and a warning.
char filterInputKey(char key, MessageService& messages);

// A field's text cut to its first six characters (code points, not bytes),
// after a beep and a warning. Texts of six characters or fewer come back
// unchanged and silently.
std::string limitInputLength(const std::string& text, MessageService& messages);

// The number scan shared by fields, matrix cells and grid cells: blanks are
// skipped anywhere, a minus only at the very first position, at most one
// point, digits accumulated step by step in double precision.
struct NumberScan {
    double value = 0.0;
    bool ok = true;
};
NumberScan scanNumber(std::string_view text);

// What a parse found: the scanned value, whether the text was accepted, and
// the warning it showed when it was not (empty when accepted). The value of
// a rejected text is meaningless.
struct ParseResult {
    double value = 0.0;
    bool ok = true;
    std::string message;
};

// A field's text: an empty text is reported as not entered, a text that
// does not scan is quoted with the field's caption. At most one warning.
ParseResult parseFieldValue(const std::string& text, const std::string& caption, MessageService& messages);
// A matrix or grid cell's text: the same scan, an empty text reading as 0,
// and a warning of its own. Highlighting the cell is the caller's business.
ParseResult parseNumericText(const std::string& text, MessageService& messages);
bool checkScaledScoreRange(const std::string& caption, double value, MessageService& messages);

// What the validation pass needs of the worksheet: the field texts and
// label captions (fields 1 to 8), a way to put the focus in a field (which
// selects its whole text), and the option controls.
class InputFields {
public:
    virtual ~InputFields() = default;
    virtual std::string fieldText(int k) const = 0;
    virtual std::string fieldCaption(int k) const = 0;
    virtual void focusField(int k) = 0;
    virtual Options options() const = 0;
};

// Compute's validation pass over fields 1 to `inputCount` (at most 7, in field
// order), then the age field when `inputCount` is 8. Stops at the first bad
// field: one message, the focus moved there, nothing returned.
std::optional<InputRecord> readInputRecord(InputFields& fields, int inputCount, MessageService& messages);

// Plain field texts with the program's captions: the worksheet's fields
// without a window (command line, batch scoring, tests).
class TextInputFields : public InputFields {
public:
    TextInputFields() = default;
    TextInputFields(const std::string (&texts)[7], const Options& options);
    std::string texts[8];
    Options chosen;
    int focusedField = 0; // last field given the focus, 0 for none

    std::string fieldText(int k) const override;
    std::string fieldCaption(int k) const override;
    void focusField(int k) override;
    Options options() const override;
};

} // namespace kalden
