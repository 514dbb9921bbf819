#include "stats/NormalDistribution.h"

#include <array>
#include <atomic>
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
// function at the same arguments again and again (about 22,000 different
// ones in 100,000 random rows). The values computed are remembered by the
// argument's bits in one table for every thread, without a lock: a slot is
// claimed with a compare-and-swap, filled, and published by storing its
// argument with release order. A thread that meets a slot being filled, or
// a table half full, computes the value itself, so no thread ever waits and
// a row's bytes do not depend on which thread scores it.
class RememberedCdfs {
public:
    struct Value {
        double value;
        bool tooManySteps;
    };

    template <typename Compute>
    Value find(std::uint64_t argument, Compute compute) {
        // Slots hold the argument's complement, so that a table of zeros is
        // empty and takes no memory until it is written.
        const std::uint64_t key = ~argument;
        if (key == Empty || key == Claimed) return compute();
        std::size_t i = static_cast<std::size_t>((argument * 0x9E3779B97F4A7C15u) >> (64 - SlotBits));
        for (;;) {
            Slot& slot = slots_[i];
            std::uint64_t held = slot.key.load(std::memory_order_acquire);
            if (held == key) return slot.value;
            if (held == Claimed) return compute();
            if (held == Empty) {
                if (filled_.load(std::memory_order_relaxed) >= MostFilled) return compute();
                if (!slot.key.compare_exchange_strong(held, Claimed, std::memory_order_relaxed)) continue;
                slot.value = compute();
                slot.key.store(key, std::memory_order_release);
                filled_.fetch_add(1, std::memory_order_relaxed);
                return slot.value;
            }
            i = (i + 1) & (SlotCount - 1);
        }
    }

private:
    // Keys of two NaNs that arithmetic does not produce mark a free slot
    // and one being filled; an argument with either is not remembered.
    static constexpr std::uint64_t Empty = 0;
    static constexpr std::uint64_t Claimed = 1;
    static constexpr int SlotBits = 17;
    static constexpr std::size_t SlotCount = std::size_t{1} << SlotBits;
    static constexpr std::size_t MostFilled = SlotCount / 2;

    struct Slot {
        std::atomic<std::uint64_t> key{Empty};
        Value value{};
    };

    Slot slots_[SlotCount];
    std::atomic<std::size_t> filled_{0};
};

constinit RememberedCdfs g_remembered;
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
    const RememberedCdfs::Value found = g_remembered.find(argument, [x] {
        Warnings own;
        const double value = simpsonIntegral(0.0, x, own) + 0.5;
        return RememberedCdfs::Value{value, !own.empty()};
    });
    if (found.tooManySteps) warnings.push_back(TooManyStepsWarning);
    return found.value;
}

unsigned long long normalDensityEvaluations() { return g_densityEvaluations; }

} // namespace kalden
