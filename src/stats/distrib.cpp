#include "stats/distrib.h"

#include <cmath>
#include <string>

namespace kalden {

namespace {

// Above this shape the gamma distribution function is the Wilson-Hilferty
// normal approximation.
constexpr long double WilsonHilfertyShape = 500.0L;

// Quantile search: fallback bracket half-width without a variance, and the
// factor by which a bracket that misses p is widened.
constexpr long double DefaultStep = 8.0L;
constexpr long double Widening = 8.0L;

// "Parameter i", as the bound messages name it.
std::string parameterName(int number) { return "Parameter " + std::to_string(number); }

} // namespace

// ---- tDistribution ------------------------------------------------------

bool tDistribution::setParameters(long double p1, long double p2, long double p3) {
    parameters[0].value = p1;
    parameters[1].value = p2;
    parameters[2].value = p3;
    for (int i = 1; i <= parameterCount; ++i) {
        const DistributionParameter& par = parameters[static_cast<std::size_t>(i - 1)];
        if (par.integerValued) {
            checkBound(BoundCheck::LessThan, par.value, par.upperBound, parameterName(i));
            checkCondition(!isWholeNumber(par.value), parameterName(i) + " must be a whole number");
        } else {
            checkBound(BoundCheck::GreaterThan, par.value, par.lowerBound, parameterName(i));
            checkBound(BoundCheck::LessThan, par.value, par.upperBound, parameterName(i));
        }
    }
    supportLow = -UNBOUNDED;
    supportHigh = UNBOUNDED;
    return true;
}

bool tDistribution::inSupport(long double x) const { return supportLow <= x && x <= supportHigh; }

long double tDistribution::density(long double) const { return 0; }

long double tDistribution::pointProbability(long double) const { return 0; }

// Defined through intervalProbability; a concrete class overrides one of the
// two.
long double tDistribution::cdf(long double x) const {
    if (x < supportLow) return 0;
    if (x >= supportHigh) return 1;
    return intervalProbability(supportLow, x);
}

// Defined through cdf. The ends are first pulled into the support; an end at
// UNBOUNDED takes the complement of the distribution function.
long double tDistribution::intervalProbability(long double a, long double b) const {
    if (a < supportLow) a = supportLow;
    if (b > supportHigh) b = supportHigh;
    long double r;
    if (b >= UNBOUNDED) {
        r = (1 - cdf(a)) + pointProbability(a);
    } else if (a <= -UNBOUNDED) {
        r = cdf(b);
    } else {
        r = cdf(b) - cdf(a) + pointProbability(a);
    }
    if (r < 0) return 0;
    if (r > 1) return 1;
    return r;
}

bool tDistribution::hasMean() const { return true; }

bool tDistribution::hasVariance() const { return true; }

long double tDistribution::standardDeviation() const {
    checkCondition(!hasVariance(), "The distribution has no variance");
    return std::sqrt(variance());
}

// Inversion of a uniform value.
long double tDistribution::randomValue() const { return quantile(uniformRandom()); }

// ---- tContinuous_distribution -------------------------------------------

void tContinuous_distribution::create(long double p1, long double p2) {
    parameterCount = 2;
    for (std::size_t i = 0; i < 2; ++i) {
        parameters[i].integerValued = false;
        parameters[i].lowerBound = 0;
        parameters[i].upperBound = UNBOUNDED;
    }
    setParameters(p1, p2, 0);
}

// Bracket around the mean (two standard deviations either side, clipped to
// the support), widened by Widening until it holds p, then Newton steps kept
// inside the bracket, bisecting whenever a step would leave it. Stops when an
// iterate moves less than SAME_TOLERANCE.
long double tContinuous_distribution::quantile(long double p) const {
    checkBound(BoundCheck::AtLeast, p, 0, "Probability");
    if (sameValue(p, 0)) return supportLow;
    checkBound(BoundCheck::AtMost, p, 1, "Probability");
    if (sameValue(p, 1)) return supportHigh;

    long double lo = supportLow, hi = supportHigh;
    const long double c = hasMean() ? mean() : (lo + hi) / 2;
    const long double s = hasVariance() ? 2 * standardDeviation() : DefaultStep;
    if (hi > c + s) hi = c + s;
    if (lo < c - s) lo = c - s;
    while (cdf(hi) < p) {
        lo = hi;
        hi = c + (hi - c) * Widening;
        if (hi > supportHigh) hi = supportHigh;
    }
    if (sameValue(hi - lo, 2 * s)) {
        while (cdf(lo) > p) {
            hi = lo;
            lo = c + (lo - c) * Widening;
            if (lo < supportLow) lo = supportLow;
        }
    }

    long double x = (lo + hi) / 2;
    long double xOld;
    do {
        const long double d = cdf(x) - p;
        const long double f = density(x);
        xOld = x;
        if (d <= 0) lo = x;
        if (d >= 0) hi = x;
        if ((hi - lo) * f > std::fabs(2 * d)) {
            x = x - d / f;
        } else {
            x = (lo + hi) / 2;
        }
    } while (!(std::fabs(x - xOld) < SAME_TOLERANCE));
    return x;
}

// ---- tGamma_distribution ------------------------------------------------

tGamma_distribution::tGamma_distribution(long double shape, long double rate) { create(shape, rate); }

// Validates through the base (which stores the new values first), then sets
// the gamma fields; a failed check leaves them as they were. The generator
// constants: for alpha > 1 the bounds of v in the ratio-of-uniforms region,
// for alpha < 1 the constants b = (e + alpha) / e and 1 / alpha of the
// Ahrens-Dieter method; alpha = 1 needs none.
bool tGamma_distribution::setParameters(long double p1, long double p2, long double p3) {
    const bool valid = tContinuous_distribution::setParameters(p1, p2, p3);
    shape = p1;
    rate = p2;
    logNormalizer = std::log(rate) * shape - lnGamma(shape);
    supportLow = 0;
    supportHigh = UNBOUNDED;
    if (shape > 1) {
        const long double t = std::sqrt(2 * shape - 1);
        generatorLow = (1 - t) * std::sqrt(std::exp((std::log(shape - t) - std::log(shape - 1)) * (shape - 1) + t - 1));
        generatorHigh =
            (1 + t) * std::sqrt(std::exp((std::log(shape + t) - std::log(shape - 1)) * (shape - 1) - t - 1));
    } else if (shape < 1) {
        const long double e = std::exp(1.0L);
        generatorLow = (e + shape) / e;
        generatorHigh = 1 / shape;
    }
    return valid;
}

// Below shape 1 the density is unbounded at 0, so 0 itself is left out.
bool tGamma_distribution::inSupport(long double x) const {
    if (shape >= 1) return tContinuous_distribution::inSupport(x);
    return tContinuous_distribution::inSupport(x) && x > supportLow;
}

long double tGamma_distribution::density(long double x) const {
    if (inSupport(x) && x > 0) return std::exp(std::log(x) * (shape - 1) + logNormalizer - rate * x);
    if (sameValue(shape, 1) && x == 0) return rate;
    return 0;
}

// P(alpha, lambda x); above WilsonHilfertyShape the cube root of a gamma
// variable is taken as normal (Wilson-Hilferty), and the normal distribution
// function at z = c sqrt(9 alpha) is (1 +- P(1/2, z^2 / 2)) / 2.
// At x = 0 with alpha < 1 (outside inSupport, yet not below supportLow) the
// value is 0, the limit from the right.
long double tGamma_distribution::cdf(long double x) const {
    if (!inSupport(x)) return x == supportLow ? 0 : tContinuous_distribution::cdf(x);
    if (shape <= WilsonHilfertyShape) return regularizedGammaP(rate * x, shape);
    const long double c = power(rate * x / shape, 1.0L / 3.0L) - 1 + 1 / (9 * shape);
    const long double q = regularizedGammaP(4.5L * shape * (c * c), 0.5L);
    return c >= 0 ? (1 + q) / 2 : (1 - q) / 2;
}

long double tGamma_distribution::mean() const { return shape / rate; }

long double tGamma_distribution::variance() const { return shape / (rate * rate); }

// Exponential by inversion at shape 1, a ratio-of-uniforms method above 1,
// Ahrens and Dieter's rejection method below 1; all for rate 1, then scaled.
long double tGamma_distribution::randomValue() const {
    long double x;
    if (shape == 1) {
        x = -std::log(uniformRandom());
    } else if (shape > 1) {
        x = randomAboveOne();
    } else {
        x = randomBelowOne();
    }
    return x / rate;
}

// Ratio of uniforms on the shifted variable x = w - (alpha - 1), with quick
// acceptance and rejection bounds that spare most logarithms.
long double tGamma_distribution::randomAboveOne() const {
    const long double am1 = shape - 1;
    for (;;) {
        const long double u = uniformRandom();
        const long double v = generatorLow + uniformRandom() * (generatorHigh - generatorLow);
        const long double x = v / u;
        const long double w = x + shape - 1;
        const long double x2 = x * x;
        const long double accept = -2 * u * u + 8 * u - 6;
        const long double reject = 2 * u * u - 2;
        bool quickAccept, quickReject;
        if (x >= 0) {
            quickAccept = -x2 * (x + w) >= accept * (w * w);
            quickReject = -u * x2 <= reject * w;
        } else {
            quickAccept = -x2 >= accept * w;
            quickReject = -u * x2 <= reject * am1;
        }
        if (quickAccept) return w;
        if (quickReject || w <= 0) continue;
        if (2 * std::log(u) + x > am1 * std::log(x / am1 + 1)) continue;
        return w;
    }
}

// Ahrens-Dieter (GS): a power-law piece on [0, 1] and an exponential tail.
long double tGamma_distribution::randomBelowOne() const {
    for (;;) {
        const long double u = uniformRandom();
        const long double p = generatorLow * u;
        const long double v = uniformRandom();
        if (p <= 1) {
            const long double x = power(p, generatorHigh);
            if (-x >= std::log(v)) return x;
        } else {
            const long double x = -std::log((generatorLow - p) * generatorHigh);
            if (v <= power(x, shape - 1)) return x;
        }
    }
}

// ---- tChi_square_distribution -------------------------------------------

tChi_square_distribution::tChi_square_distribution(long double nu) : tGamma_distribution(DeferredCreate{}) {
    create(nu / 2, 0.5L);
}

bool tChi_square_distribution::setParameters(long double p1, long double p2, long double p3) {
    const bool valid = tGamma_distribution::setParameters(p1, p2, p3);
    degreesOfFreedom = 2 * p1;
    return valid;
}

long double chiSquareUpperTail(long double s, long double nu) {
    const tChi_square_distribution distribution(nu);
    return 1 - distribution.cdf(s);
}

} // namespace kalden
