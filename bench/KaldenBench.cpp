// Benchmarks of the scoring road. Besides Google Benchmark's own table it
// prints how many times the cost of their normal density evaluations one
// case's computation and one case's computation with its report take, how
// many times the in-process cost of the same rows the batch command takes
// on one thread, and how much faster it is on every processor.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "batch/BatchInput.h"
#include "cli/BatchCommand.h"
#include "cli/BatchPipeline.h"
#include "cli/CommandLine.h"
#include "report/ScoreCase.h"
#include "scoring/ScoringEngine.h"
#include "stats/NormalDistribution.h"

namespace {

using namespace kalden;

InputRecord caseOf(std::array<double, 7> scores, Options options) {
    InputRecord r;
    for (int k = 1; k <= 7; ++k) r.setScore(k, scores[static_cast<std::size_t>(k - 1)]);
    r.setOptions(options);
    return r;
}

// Worked cases across the range of scores and all four confidence methods.
const std::vector<InputRecord>& benchCases() {
    static const std::vector<InputRecord> cases = {
        caseOf({12, 7, 11, 9, 8, 10, 13}, {}),
        caseOf({10, 10, 10, 10, 10, 10, 10}, {ConfidenceMethod::Glutting95, DifferenceBasis::Observed, true}),
        caseOf({1, 1, 1, 1, 1, 1, 1},
               {ConfidenceMethod::Traditional90, DifferenceBasis::Observed, false, AbnormalityCriterion::Percent10}),
        caseOf({19, 19, 19, 19, 19, 19, 19}, {ConfidenceMethod::Glutting90}),
        caseOf({15, 4, 15, 5, 10, 10, 5}, {ConfidenceMethod::Traditional95, DifferenceBasis::EstimatedTrue, false,
                                           AbnormalityCriterion::Percent15}),
        caseOf({19, 1, 19, 13, 7, 7, 13}, {ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true}),
        caseOf({10, 10.5, 10, 10, 10, 10, 10}, {}),
        caseOf({14, 9, 12, 11, 6, 8, 10}, {ConfidenceMethod::Glutting95, DifferenceBasis::EstimatedTrue, true}),
    };
    return cases;
}

// Density evaluations that one pass over the cases makes when nothing is
// remembered yet.
unsigned long long densityEvaluationsPerPass() {
    static const unsigned long long count = [] {
        // On a thread of its own, which has no distribution values remembered
        // yet: every case integrates.
        unsigned long long evaluations = 0;
        std::thread([&evaluations] {
            const unsigned long long before = normalDensityEvaluations();
            for (const InputRecord& c : benchCases()) benchmark::DoNotOptimize(computeAll(c));
            evaluations = normalDensityEvaluations() - before;
        }).join();
        return evaluations;
    }();
    return count;
}

void BM_DensityEvaluations(benchmark::State& state) {
    const unsigned long long count = densityEvaluationsPerPass();
    for (auto _ : state) {
        double x = 0.0;
        for (unsigned long long i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(normalDensity(x));
            x = x < 3.0 ? x + 0.0625 : 0.0; // arguments across the integrated range
        }
    }
    state.counters["cases"] = static_cast<double>(benchCases().size());
    state.counters["evaluations"] = static_cast<double>(count);
}
BENCHMARK(BM_DensityEvaluations);

void BM_ComputeAll(benchmark::State& state) {
    for (auto _ : state)
        for (const InputRecord& c : benchCases()) benchmark::DoNotOptimize(computeAll(c));
    state.counters["cases"] = static_cast<double>(benchCases().size());
}
BENCHMARK(BM_ComputeAll);

void BM_ComputeAndCompose(benchmark::State& state) {
    ReportLines report;
    for (auto _ : state) {
        for (const InputRecord& c : benchCases()) {
            report = scoreCase(c, {}).report;
            benchmark::DoNotOptimize(report.data());
        }
    }
    state.counters["cases"] = static_cast<double>(benchCases().size());
}
BENCHMARK(BM_ComputeAndCompose);

// A batch file of `rows` cases with scores and options spread by a small
// fixed generator, so every run scores the same file.
std::string batchFile(int rows) {
    std::string text =
        "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,ci,basis,"
        "bonferroni,criterion\n";
    const char* const ci[] = {"traditional95", "traditional90", "glutting95", "glutting90"};
    const char* const criterion[] = {"5", "10", "15"};
    unsigned state = 12345;
    auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int r = 0; r < rows; ++r) {
        text += "case" + std::to_string(r);
        for (int k = 0; k < 7; ++k) text += "," + std::to_string(1 + next(19));
        text += std::string(",") + ci[next(4)] + (next(2) ? ",observed" : ",true") + (next(2) ? ",yes" : ",no") + "," +
                criterion[next(3)] + "\n";
    }
    return text;
}

// Discards what it is given, as a fast output device would.
class NullBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int overflow(int c) override { return c; }
};

constexpr int BatchRows = 20000;

const std::string& benchBatchFile() {
    static const std::string file = batchFile(BatchRows);
    return file;
}

void BM_Batch(benchmark::State& state, kalden::BatchFormat format, unsigned jobs) {
    const std::string& file = benchBatchFile();
    NullBuffer null;
    std::ostream out(&null);
    std::ostream err(&null);
    cli::BatchSettings settings;
    settings.input = "-";
    settings.format = format;
    settings.jobs = jobs == 0 ? cli::availableProcessors() : jobs;
    for (auto _ : state) {
        std::istringstream in(file);
        if (cli::runBatch(settings, in, out, err) != cli::ExitOk) state.SkipWithError("batch failed");
    }
    state.counters["jobs"] = settings.jobs;
    state.SetItemsProcessed(state.iterations() * BatchRows);
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(file.size()));
}
// Elapsed time, not processor time, since the rows are spread over threads.
BENCHMARK_CAPTURE(BM_Batch, csv, kalden::BatchFormat::Csv, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Batch, json, kalden::BatchFormat::Json, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Batch, text, kalden::BatchFormat::Text, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Batch, text_all_processors, kalden::BatchFormat::Text, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The rows of the batch file computed and composed in process, as the
// desktop program would one Compute after another: what the batch command
// costs beyond that is its own overhead.
void BM_BatchRowsInProcess(benchmark::State& state) {
    std::istringstream in(benchBatchFile());
    kalden::CsvReader reader(in);
    kalden::CsvRecord record;
    reader.next(record);
    std::string problem;
    const kalden::BatchLayout layout = *kalden::readBatchLayout(record.cells, problem);
    std::vector<InputRecord> rows;
    kalden::BatchCase batchCase;
    while (reader.next(record)) {
        kalden::readBatchCase(record, layout, {}, batchCase);
        rows.push_back(*batchCase.record);
    }
    ReportLines report;
    for (auto _ : state) {
        for (const InputRecord& row : rows) {
            report = scoreCase(row, {}).report;
            benchmark::DoNotOptimize(report.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * BatchRows);
}
BENCHMARK(BM_BatchRowsInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the processor time and the elapsed time per iteration of each
// benchmark for the ratios: the least over repetitions, the figure least
// disturbed by other work on the machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;        // processor time
    std::map<std::string, double> elapsedSeconds; // wall-clock time
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string name = run.run_name.str();
            keepLeast(seconds, name, run.cpu_accumulated_time / static_cast<double>(run.iterations));
            keepLeast(elapsedSeconds, name, run.real_accumulated_time / static_cast<double>(run.iterations));
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    static void keepLeast(std::map<std::string, double>& times, const std::string& name, double time) {
        const auto known = times.find(name);
        if (known == times.end() || time < known->second) times[name] = time;
    }
};

void printRatio(const RatioReporter& r, const char* what, const char* name, double goal) {
    const auto time = r.seconds.find(name);
    const auto density = r.seconds.find("BM_DensityEvaluations");
    if (time == r.seconds.end() || density == r.seconds.end()) return;
    const double ratio = time->second / density->second;
    std::printf("%-34s %6.2f x its density evaluations (goal at most %.1f): %s\n", what, ratio, goal,
                ratio <= goal ? "met" : "MISSED");
}

// How many times one benchmark's time the other's is.
void printBatchRatio(const std::map<std::string, double>& times, const char* what, const char* name, const char* base,
                     bool atMost, double goal) {
    const auto time = times.find(name);
    const auto baseTime = times.find(base);
    if (time == times.end() || baseTime == times.end()) return;
    const double ratio = time->second / baseTime->second;
    const bool met = atMost ? ratio <= goal : ratio >= goal;
    std::printf("%-34s %6.2f (goal %s %.1f): %s\n", what, ratio, atMost ? "at most" : "at least", goal,
                met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%llu density evaluations for %zu cases (%.0f per case)\n", densityEvaluationsPerPass(),
                benchCases().size(), static_cast<double>(densityEvaluationsPerPass()) / benchCases().size());
    printRatio(reporter, "computation", "BM_ComputeAll", 1.5);
    printRatio(reporter, "computation and text report", "BM_ComputeAndCompose", 3.0);
    const unsigned processors = cli::availableProcessors();
    std::printf("\nbatch of %d text reports on 1 thread and on %u (one per processor):\n", BatchRows, processors);
    // Processor time: what the batch command adds per row on one core.
    printBatchRatio(reporter.seconds, "batch to in-process, 1 thread", "BM_Batch/text/real_time",
                    "BM_BatchRowsInProcess/real_time", true, 1.2);
    // Elapsed time: rows per second on every processor against one.
    if (processors > 1)
        printBatchRatio(reporter.elapsedSeconds, "speed-up on every processor", "BM_Batch/text/real_time",
                        "BM_Batch/text_all_processors/real_time", false, 1.8);
    benchmark::Shutdown();
    return 0;
}
