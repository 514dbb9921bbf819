// Fuzz target: Compute's validation pass over arbitrary field texts.
// Input layout: the first byte picks the options, the second the number of
// fields in use (0 to 9); the rest is split at NUL bytes into the texts of fields 1 to 8
// (missing fields are empty, extra pieces are ignored).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "support/RecordingMessages.h"
#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

using kalden::fuzz::quoted;

namespace {

// Whether field text `text` passes the rules of a score field (or of the age
// field, which has no range), stated through the scan alone.
bool fieldPasses(const std::string& text, bool rangeChecked) {
    if (text.empty()) return false;
    const kalden::NumberScan scan = kalden::scanNumber(text);
    if (!scan.ok) return false;
    return !rangeChecked || (scan.value >= 1 && scan.value <= 19);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalden;
    if (size < 2) return 0;
    const std::uint8_t head = data[0];
    TextInputFields fields;
    fields.chosen.confidenceMethod = confidenceMethodFromItem(head & 3);
    fields.chosen.differenceBasis = differenceBasisFromItem((head >> 2) & 1);
    fields.chosen.sequentialBonferroni = sequentialBonferroniFromItem((head >> 3) & 1);
    fields.chosen.abnormalityCriterion = static_cast<AbnormalityCriterion>((head >> 4) % 3);
    const int inputCount = data[1] % 10;

    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t from = 0;
    for (int k = 0; k < 8 && from <= rest.size(); ++k) {
        const std::size_t nul = rest.find('\0', from);
        const std::size_t to = nul == std::string::npos ? rest.size() : nul;
        fields.texts[k] = rest.substr(from, to - from);
        from = to + 1;
    }
    const std::string before[8] = {fields.texts[0], fields.texts[1], fields.texts[2], fields.texts[3],
                                   fields.texts[4], fields.texts[5], fields.texts[6], fields.texts[7]};

    // The first field, in field order, that breaks its rule (0 for none).
    int firstBad = 0;
    for (int k = 1; k <= 7 && k <= inputCount && firstBad == 0; ++k)
        if (!fieldPasses(fields.texts[k - 1], true)) firstBad = k;
    if (firstBad == 0 && inputCount >= 8 && !fieldPasses(fields.texts[7], false)) firstBad = 8;

    testing::RecordingMessages messages;
    const std::optional<InputRecord> record = readInputRecord(fields, inputCount, messages);

    for (int k = 0; k < 8; ++k) FUZZ_CHECK(fields.texts[k] == before[k], "field texts changed");
    FUZZ_CHECK(messages.beeps == 0, "a beep during validation");
    if (firstBad == 0) {
        FUZZ_CHECK(record.has_value(), "good fields rejected");
        FUZZ_CHECK(messages.warnings.empty() && fields.focusedField == 0, "message or focus on success");
        for (int k = 1; k <= 7; ++k) {
            const double expected = k <= inputCount ? scanNumber(fields.texts[k - 1]).value : 0.0;
            FUZZ_CHECK(record->score(k) == expected,
                       "score " + std::to_string(k) + " of " + quoted(fields.texts[k - 1]));
        }
        const Options o = record->options();
        FUZZ_CHECK(o.confidenceMethod == fields.chosen.confidenceMethod &&
                       o.differenceBasis == fields.chosen.differenceBasis &&
                       o.sequentialBonferroni == fields.chosen.sequentialBonferroni &&
                       o.abnormalityCriterion == fields.chosen.abnormalityCriterion,
                   "options not carried into the record");
    } else {
        const std::string& text = fields.texts[firstBad - 1];
        FUZZ_CHECK(!record.has_value(), "field " + std::to_string(firstBad) + " " + quoted(text) + " accepted");
        FUZZ_CHECK(fields.focusedField == firstBad,
                   "focus in field " + std::to_string(fields.focusedField) + ", not " + std::to_string(firstBad));
        FUZZ_CHECK(messages.warnings.size() == 1u, std::to_string(messages.warnings.size()) + " messages");
        const std::string& caption = FieldCaptions[static_cast<std::size_t>(firstBad - 1)];
        const std::string& message = messages.warnings[0];
        if (text.empty()) {
            FUZZ_CHECK(message == "INPUT ERROR\r\r(  " + caption + "  )\r\rData have not been entered in this field.",
                       quoted(message));
        } else if (!scanNumber(text).ok) {
            FUZZ_CHECK(message == "INPUT ERROR\r(  " + caption + "  " + text + "  )\r\rEnter numeric data only.",
                       quoted(message));
        } else {
            const std::string head = "INPUT ERROR\r(  " + caption + "  ";
            FUZZ_CHECK(message.compare(0, head.size(), head) == 0 &&
                           message.find("  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ") !=
                               std::string::npos,
                       quoted(message));
        }
    }
    return 0;
}
