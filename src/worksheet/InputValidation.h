#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "worksheet/InputRecord.h"
#include "worksheet/MessageService.h"

namespace kalden {

// The input-error flag: cleared at the start of a scan, set when a scan or
// the empty-field check rejects a text. Compute reads it after each
// parseFieldValue, the matrix window after each parseNumericText.
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

double parseFieldValue(const std::string& text, const std::string& caption, MessageService& messages);
double parseNumericText(const std::string& text, MessageService& messages);
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
