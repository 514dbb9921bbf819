#include "stats/NormalDistribution.h"

#include <cmath>

#include "stats/Extended.h"

namespace kalden {

namespace {
// Program-wide so the benchmark can count every density evaluation without a counter passed
// through the scoring; one per thread, so batch scoring on several threads counts without a race.
thread_local unsigned long long g_densityEvaluations = 0;
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
    warnings.push_back("Too many steps");
    return simpson;
}

double normalCdf(double x, Warnings& warnings) { return simpsonIntegral(0.0, x, warnings) + 0.5; }

unsigned long long normalDensityEvaluations() { return g_densityEvaluations; }

} // namespace kalden
