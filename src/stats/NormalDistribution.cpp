#include "stats/NormalDistribution.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "stats/Extended.h"

namespace kalden {

namespace {
constexpr const char* TooManyStepsWarning = "Too many steps";

// Program-wide so the benchmark can count every density evaluation without a counter passed
// through the scoring; one per thread, so batch scoring on several threads counts without a race.
thread_local unsigned long long g_densityEvaluations = 0;

// The Index scores, their confidence limits and the differences between
// them come from whole-number sums, so a batch asks for the distribution
// function at the same arguments again and again (about 50,000 different
// ones in 100,000 random rows). Each thread remembers what it computed, by
// the argument's bits: no lock, and the same bytes whichever thread scores
// a row. An open-addressed table that doubles at half full; at its largest
// it starts afresh rather than grow without bound.
class RememberedCdfs {
public:
    struct Entry {
        std::uint64_t argument = 0;
        double value = 0;
        bool tooManySteps = false;
        bool known = false;
    };

    // The entry for the argument: a known one, or a new one to fill in.
    Entry& at(std::uint64_t argument) {
        Entry* entry = probe(argument);
        if (entry->known) return *entry;
        if (2 * (count_ + 1) > slots_.size()) {
            if (slots_.size() < MaxSlots)
                resize(slots_.size() * 2);
            else
                resize(slots_.size());
            entry = probe(argument);
        }
        ++count_;
        entry->argument = argument;
        return *entry;
    }

private:
    static constexpr std::size_t FirstSlots = std::size_t{1} << 12;
    static constexpr std::size_t MaxSlots = std::size_t{1} << 20;

    Entry* probe(std::uint64_t argument) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = static_cast<std::size_t>((argument * 0x9E3779B97F4A7C15u) >> 32) & mask;
        while (slots_[i].known && slots_[i].argument != argument) i = (i + 1) & mask;
        return &slots_[i];
    }

    // Doubles the table, keeping its entries; at the largest size, empties it.
    void resize(std::size_t size) {
        std::vector<Entry> old(size);
        old.swap(slots_);
        count_ = 0;
        if (old.size() == size) return;
        for (const Entry& e : old)
            if (e.known) {
                *probe(e.argument) = e;
                ++count_;
            }
    }

    std::vector<Entry> slots_ = std::vector<Entry>(FirstSlots);
    std::size_t count_ = 0;
};

thread_local RememberedCdfs g_remembered;
} // namespace

double normalDensity(double x) {
    ++g_densityEvaluations;
    const double exponent = (-0.5 * x) * x;
    return xmath::exp(exponent) * NormalDensityFactor;
}

double trapezoidRefine(double a, double b, int n, TrapezoidState& state) {
    if (n == 1) {
        state.value = ((b - a) * 0.5) * (normalDensity(b) + normalDensity(a));
        state.newPoints = 1;
    } else {
        const double m = state.newPoints;
        const double w = (b - a) / m;
        double x = a + 0.5 * w;
        double sum = 0.0;
        // The midpoints are produced by repeated addition, as the digits require.
        for (double k = 0; k < m; k += 1) {
            sum += normalDensity(x);
            x += w;
        }
        state.value = 0.5 * (state.value + (b - a) * (sum / m));
        state.newPoints = 2 * m;
    }
    state.step = n;
    return state.value;
}

double simpsonIntegral(double a, double b, Warnings& warnings) {
    TrapezoidState state;
    double previousTrapezoid = 0.0;
    double previousSimpson = 0.0;
    double simpson = 0.0;
    for (int n = 1; n <= MaxIntegrationSteps; ++n) {
        const double trapezoid = trapezoidRefine(a, b, n, state);
        if (n >= 2) simpson = (4.0 * trapezoid - previousTrapezoid) / 3.0;
        if (n >= 3 && n <= MaxIntegrationSteps - 1 &&
            std::fabs(simpson - previousSimpson) < IntegrationTolerance * std::fabs(previousSimpson))
            return simpson;
        previousTrapezoid = trapezoid;
        previousSimpson = simpson;
    }
    warnings.push_back(TooManyStepsWarning);
    return simpson;
}

double normalCdf(double x, Warnings& warnings) {
    std::uint64_t argument;
    std::memcpy(&argument, &x, sizeof argument);
    RememberedCdfs::Entry& slot = g_remembered.at(argument);
    if (!slot.known) {
        Warnings own;
        slot.value = simpsonIntegral(0.0, x, own) + 0.5;
        slot.tooManySteps = !own.empty();
        slot.known = true;
    }
    if (slot.tooManySteps) warnings.push_back(TooManyStepsWarning);
    return slot.value;
}

unsigned long long normalDensityEvaluations() { return g_densityEvaluations; }

} // namespace kalden
