// Fuzz target: Compute's validation pass over arbitrary field texts.
// Input layout: the first byte picks the options, the second the number of
// fields in use (0 to 9); the rest is split at NUL bytes into the texts of fields 1 to 8
// (missing fields are empty, extra pieces are ignored).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
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
    FieldTexts texts;
    Options chosen;
    chosen.confidenceMethod = confidenceMethodFromItem(head & 3);
    chosen.differenceBasis = differenceBasisFromItem((head >> 2) & 1);
    chosen.sequentialBonferroni = sequentialBonferroniFromItem((head >> 3) & 1);
    chosen.abnormalityCriterion = static_cast<AbnormalityCriterion>((head >> 4) % 3);
    const int inputCount = data[1] % 10;

    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t from = 0;
    for (int k = 0; k < 8 && from <= rest.size(); ++k) {
        const std::size_t nul = rest.find('\0', from);
        const std::size_t to = nul == std::string::npos ? rest.size() : nul;
        texts[static_cast<std::size_t>(k)] = rest.substr(from, to - from);
        from = to + 1;
    }
    const auto text = [&texts](int k) -> const std::string& { return texts[static_cast<std::size_t>(k - 1)]; };

    // The first field, in field order, that breaks its rule (0 for none).
    int firstBad = 0;
    for (int k = 1; k <= 7 && k <= inputCount && firstBad == 0; ++k)
        if (!fieldPasses(text(k), true)) firstBad = k;
    if (firstBad == 0 && inputCount >= 8 && !fieldPasses(text(8), false)) firstBad = 8;

    const InputCheck check = readInputRecord(texts, chosen, inputCount);
    const std::optional<InputRecord>& record = check.record;

    if (firstBad == 0) {
        FUZZ_CHECK(record.has_value(), "good fields rejected");
        FUZZ_CHECK(check.rejection.field == 0 && check.rejection.message.empty(), "a rejection on success");
        for (int k = 1; k <= 7; ++k) {
            const double expected = k <= inputCount ? scanNumber(text(k)).value : 0.0;
            FUZZ_CHECK(record->score(k) == expected, "score " + std::to_string(k) + " of " + quoted(text(k)));
        }
        const Options o = record->options();
        FUZZ_CHECK(o.confidenceMethod == chosen.confidenceMethod && o.differenceBasis == chosen.differenceBasis &&
                       o.sequentialBonferroni == chosen.sequentialBonferroni &&
                       o.abnormalityCriterion == chosen.abnormalityCriterion,
                   "options not carried into the record");
    } else {
        const std::string& bad = text(firstBad);
        FUZZ_CHECK(!record.has_value(), "field " + std::to_string(firstBad) + " " + quoted(bad) + " accepted");
        FUZZ_CHECK(check.rejection.field == firstBad,
                   "field " + std::to_string(check.rejection.field) + " rejected, not " + std::to_string(firstBad));
        const std::string& caption = FieldCaptions[static_cast<std::size_t>(firstBad - 1)];
        const std::string& message = check.rejection.message;
        if (bad.empty()) {
            FUZZ_CHECK(message == "INPUT ERROR\r\r(  " + caption + "  )\r\rData have not been entered in this field.",
                       quoted(message));
        } else if (!scanNumber(bad).ok) {
            FUZZ_CHECK(message == "INPUT ERROR\r(  " + caption + "  " + bad + "  )\r\rEnter numeric data only.",
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
