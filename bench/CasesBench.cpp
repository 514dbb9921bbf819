// The case store at scale: a store of KALDEN_BENCH_CASES cases (100,000
// unless set) is made once; the benchmarks time what the Cases window does
// with it (read every row, load the table sorted newest first, filter it as
// a key is typed) and print the database's size against its goal.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>

#include "files/CaseStore.h"
#include "gui/cases/CasesWindow.h"
#include "report/ReportComposer.h"
#include "scoring/ScoringEngine.h"

namespace {

using namespace kalden;
namespace fs = std::filesystem;

std::size_t caseCount() {
    const char* n = std::getenv("KALDEN_BENCH_CASES");
    return n ? std::strtoul(n, nullptr, 10) : 100000;
}

const std::string& storePath() {
    static const std::string path = (fs::temp_directory_path() / "kalden-cases-bench.sqlite").string();
    return path;
}

// 250 different cases, each recorded many times with its own notes and time.
void makeStore() {
    fs::remove(storePath());
    fs::remove(storePath() + "-wal");
    fs::remove(storePath() + "-shm");
    std::vector<CaseRecord> kinds;
    for (int i = 0; i < 250; ++i) {
        CaseRecord c;
        for (int k = 1; k <= 7; ++k) {
            const int score = 1 + (i * 7 + k * 5) % 19;
            c.input.setScore(k, score);
            c.fieldTexts[static_cast<std::size_t>(k - 1)] = std::to_string(score);
        }
        c.input.confidenceMethod = static_cast<ConfidenceMethod>(i % 4);
        c.input.sequentialBonferroni = i % 3 == 0;
        c.results = computeAll(c.input);
        kinds.push_back(std::move(c));
    }
    CaseStore store;
    std::string error;
    if (!store.open(storePath(), CaseStore::Access::ReadWrite, error)) std::abort();
    std::vector<CaseRecord> batch;
    for (std::size_t n = 0; n < caseCount(); ++n) {
        CaseRecord c = kinds[n % kinds.size()];
        c.context.notes = {"Client " + std::to_string(n) + ", referral " + std::to_string(n % 97), "second line"};
        c.computedUtc = 1735689600 + static_cast<std::int64_t>(n) * 600; // ten minutes apart from 2025
        Warnings none;
        c.report = composeReport(c.input, c.results, c.context, none);
        batch.push_back(std::move(c));
        if (batch.size() == 5000 || n + 1 == caseCount()) {
            if (!store.addAll(batch, "bench", error)) std::abort();
            batch.clear();
        }
    }
}

std::vector<CaseListRow> everyCase(const CaseStore& store) {
    std::vector<CaseListRow> rows;
    std::string error;
    store.list({}, rows, error);
    return rows;
}

CaseStore openStore() {
    CaseStore store;
    std::string error;
    store.open(storePath(), CaseStore::Access::ReadOnly, error);
    return store;
}

// The Cases window's table: every case, sorted newest first.
void fillTable(const CaseStore& store, CaseTableModel& model, CaseFilterModel& filter) {
    model.setRows(everyCase(store));
    filter.setSourceModel(&model);
    filter.setSortRole(CaseTableModel::SortRole);
    filter.sort(CaseTableModel::Computed, Qt::DescendingOrder);
}

void BM_ListEveryCase(benchmark::State& state) {
    const CaseStore store = openStore();
    for (auto _ : state) benchmark::DoNotOptimize(everyCase(store).data());
}
BENCHMARK(BM_ListEveryCase)->Unit(benchmark::kMillisecond);

// What opening the window costs: read, fill the table, sort newest first.
void BM_OpenCasesTable(benchmark::State& state) {
    const CaseStore store = openStore();
    for (auto _ : state) {
        CaseTableModel model;
        CaseFilterModel filter;
        fillTable(store, model, filter);
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(BM_OpenCasesTable)->Unit(benchmark::kMillisecond);

// One keystroke in the filter field: every row tested again.
void BM_FilterKeystroke(benchmark::State& state) {
    const CaseStore store = openStore();
    CaseTableModel model;
    CaseFilterModel filter;
    fillTable(store, model, filter);
    const QString keys[] = {QStringLiteral("referral 4"), QStringLiteral("referral 42"), QString()};
    std::size_t i = 0;
    for (auto _ : state) {
        filter.setText(keys[i++ % 3]);
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    makeStore();
    benchmark::RunSpecifiedBenchmarks();
    const double megabytes = static_cast<double>(fs::file_size(storePath())) / 1e6;
    std::printf("\n%zu cases: database %.1f MB (goal for 100,000: under 100 MB)\n", caseCount(), megabytes);
    fs::remove(storePath());
    fs::remove(storePath() + "-wal");
    fs::remove(storePath() + "-shm");
    benchmark::Shutdown();
    return 0;
}
