// Prints, for every integer profile of Index sums (VC, PO and WM sums of two
// subtests, 2 to 38 each; PS one subtest, 1 to 19: 962,407 profiles), a
// digest of its whole text report and its JSON batch row, one line per VC
// sum, and the number of profiles. The build links it once with the
// compiler's extended type and once with the software one, and the two
// outputs must be equal byte for byte. Given a VC sum, it also prints that
// segment's reports and rows in full, to find the line where two builds part.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/BatchOutput.h"
#include "report/ScoreCase.h"

using namespace kalden;

namespace {

// FNV-1a, 64 bits.
void digest(std::uint64_t& hash, const std::string& text) {
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
}

// Two subtest scores that sum to `sum`, each 1 to 19.
void split(int sum, double& first, double& second) {
    first = sum > 19 ? 19 : sum - 1;
    second = sum - first;
}

// The 48 combinations of the options, taken in turn so that every
// combination meets profiles all over the range.
void setOptions(InputRecord& input, int k) {
    input.confidenceMethod = static_cast<ConfidenceMethod>(k % 4);
    input.differenceBasis = static_cast<DifferenceBasis>(k / 4 % 2);
    input.sequentialBonferroni = k / 8 % 2 == 1;
    input.abnormalityCriterion = static_cast<AbnormalityCriterion>(k / 16 % 3);
}

} // namespace

int main(int argc, char** argv) {
    const int verbose = argc > 1 ? std::atoi(argv[1]) : 0;
    const std::unique_ptr<RowFormatter> json = makeRowFormatter(BatchFormat::Json, "\n");
    long profiles = 0;
    for (int vc = 2; vc <= 38; ++vc) {
        std::uint64_t hash = 14695981039346656037ULL;
        for (int po = 2; po <= 38; ++po)
            for (int wm = 2; wm <= 38; ++wm)
                for (int ps = 1; ps <= 19; ++ps) {
                    InputRecord input;
                    split(vc, input.vocabulary, input.similarities);
                    split(po, input.blockDesign, input.matrixReasoning);
                    split(wm, input.arithmetic, input.digitSpan);
                    input.digitSymbol = ps;
                    setOptions(input, static_cast<int>(profiles % 48));
                    const ScoredCase scored = scoreCase(input, ReportContext{});
                    for (const std::string& line : scored.report) digest(hash, line + '\n');
                    for (const std::string& warning : scored.warnings()) digest(hash, warning + '\n');
                    BatchCase row{std::to_string(profiles), input, {}, {}};
                    RowOutput out;
                    json->formatRow(row, &scored.results, out);
                    digest(hash, out.text);
                    if (vc == verbose) {
                        for (const std::string& line : scored.report) std::printf("%s\n", line.c_str());
                        std::printf("%s", out.text.c_str());
                    }
                    ++profiles;
                }
        std::printf("VC sum %2d: %016llx\n", vc, static_cast<unsigned long long>(hash));
    }
    std::printf("%ld profiles\n", profiles);
    return 0;
}
