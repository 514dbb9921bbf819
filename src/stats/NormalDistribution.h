#pragma once

#include "stats/Warnings.h"

namespace kalden {

// The standard normal distribution function of the scoring engine: the
// density integrated numerically from 0 by Simpson's rule, built on
// successive refinements of the extended trapezoidal rule. The constants and
// the stopping rule fix the printed digits; this is deliberately not an
// error-function evaluation.

inline constexpr double NormalDensityFactor = 0.39894228; // eight decimals, on purpose
inline constexpr int MaxIntegrationSteps = 20;
inline constexpr double IntegrationTolerance = 1e-6;

double normalDensity(double x);

// State of one integration: the step reached, the number of points the next
// step adds, and the last trapezoid value.
struct TrapezoidState {
    int step = 0;
    double newPoints = 1;
    double value = 0;
};

// Step n of the trapezoidal rule on [a, b]; step 1 starts afresh, each later
// step refines the value of the one before it in `state`.
double trapezoidRefine(double a, double b, int n, TrapezoidState& state);

// Integral of the density from a to b (negative when b < a). Warns "Too many
// steps" when twenty steps pass without meeting the relative tolerance.
double simpsonIntegral(double a, double b, Warnings& warnings);

double normalCdf(double x, Warnings& warnings);

// Number of density evaluations made on the calling thread since it started
// (for the benchmark).
unsigned long long normalDensityEvaluations();

} // namespace kalden
