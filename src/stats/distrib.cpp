#include "stats/distrib.h"

#include <cmath>
#include <optional>
#include <string>

namespace kalden {

namespace {

// Above this shape the gamma distribution function is the Wilson-Hilferty
// normal approximation.
const Extended WilsonHilfertyShape = KALDEN_EXTENDED(500.0);

// Quantile search: fallback bracket half-width without a variance, and the
// factor by which a bracket that misses p is widened.
const Extended DefaultStep = KALDEN_EXTENDED(8.0);
const Extended Widening = KALDEN_EXTENDED(8.0);

// "Parameter i", as the bound messages name it.
std::string parameterName(int number) { return "Parameter " + std::to_string(number); }

} // namespace

// ---- tDistribution ------------------------------------------------------

bool tDistribution::setParameters(Extended p1, Extended p2, Extended p3) {
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

bool tDistribution::inSupport(Extended x) const { return supportLow <= x && x <= supportHigh; }

Extended tDistribution::density(Extended) const { return 0; }

Extended tDistribution::pointProbability(Extended) const { return 0; }

// Defined through intervalProbability; a concrete class overrides one of the
// two.
Extended tDistribution::cdf(Extended x) const {
    if (x < supportLow) return 0;
    if (x >= supportHigh) return 1;
    return intervalProbability(supportLow, x);
}

// Defined through cdf. The ends are first pulled into the support; an end at
// UNBOUNDED takes the complement of the distribution function.
Extended tDistribution::intervalProbability(Extended a, Extended b) const {
    if (a < supportLow) a = supportLow;
    if (b > supportHigh) b = supportHigh;
    Extended r;
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

Extended tDistribution::standardDeviation() const {
    checkCondition(!hasVariance(), "The distribution has no variance");
    return xmath::sqrt(variance());
}

// Inversion of a uniform value.
Extended tDistribution::randomValue() const { return quantile(uniformRandom()); }

// ---- tContinuous_distribution -------------------------------------------

void tContinuous_distribution::create(Extended p1, Extended p2) {
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
Extended tContinuous_distribution::quantile(Extended p) const {
    checkBound(BoundCheck::AtLeast, p, 0, "Probability");
    if (sameValue(p, 0)) return supportLow;
    checkBound(BoundCheck::AtMost, p, 1, "Probability");
    if (sameValue(p, 1)) return supportHigh;

    Extended lo = supportLow, hi = supportHigh;
    const Extended c = hasMean() ? mean() : (lo + hi) / 2;
    const Extended s = hasVariance() ? 2 * standardDeviation() : DefaultStep;
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

    Extended x = (lo + hi) / 2;
    Extended xOld;
    do {
        const Extended d = cdf(x) - p;
        const Extended f = density(x);
        xOld = x;
        if (d <= 0) lo = x;
        if (d >= 0) hi = x;
        if ((hi - lo) * f > xmath::fabs(2 * d)) {
            x = x - d / f;
        } else {
            x = (lo + hi) / 2;
        }
    } while (!(xmath::fabs(x - xOld) < SAME_TOLERANCE));
    return x;
}

// ---- tGamma_distribution ------------------------------------------------

tGamma_distribution::tGamma_distribution(Extended shape, Extended rate) { create(shape, rate); }

// Validates through the base (which stores the new values first), then sets
// the gamma fields; a failed check leaves them as they were. The generator
// constants: for alpha > 1 the bounds of v in the ratio-of-uniforms region,
// for alpha < 1 the constants b = (e + alpha) / e and 1 / alpha of the
// Ahrens-Dieter method; alpha = 1 needs none.
bool tGamma_distribution::setParameters(Extended p1, Extended p2, Extended p3) {
    const bool valid = tContinuous_distribution::setParameters(p1, p2, p3);
    shape = p1;
    rate = p2;
    logNormalizer = xmath::log(rate) * shape - lnGamma(shape);
    supportLow = 0;
    supportHigh = UNBOUNDED;
    if (shape > 1) {
        const Extended t = xmath::sqrt(2 * shape - 1);
        generatorLow =
            (1 - t) * xmath::sqrt(xmath::exp((xmath::log(shape - t) - xmath::log(shape - 1)) * (shape - 1) + t - 1));
        generatorHigh =
            (1 + t) * xmath::sqrt(xmath::exp((xmath::log(shape + t) - xmath::log(shape - 1)) * (shape - 1) - t - 1));
    } else if (shape < 1) {
        const Extended e = xmath::exp(KALDEN_EXTENDED(1.0));
        generatorLow = (e + shape) / e;
        generatorHigh = 1 / shape;
    }
    return valid;
}

// Below shape 1 the density is unbounded at 0, so 0 itself is left out.
bool tGamma_distribution::inSupport(Extended x) const {
    if (shape >= 1) return tContinuous_distribution::inSupport(x);
    return tContinuous_distribution::inSupport(x) && x > supportLow;
}

Extended tGamma_distribution::density(Extended x) const {
    if (inSupport(x) && x > 0) return xmath::exp(xmath::log(x) * (shape - 1) + logNormalizer - rate * x);
    if (sameValue(shape, 1) && x == 0) return rate;
    return 0;
}

// P(alpha, lambda x); above WilsonHilfertyShape the cube root of a gamma
// variable is taken as normal (Wilson-Hilferty), and the normal distribution
// function at z = c sqrt(9 alpha) is (1 +- P(1/2, z^2 / 2)) / 2.
// At x = 0 with alpha < 1 (outside inSupport, yet not below supportLow) the
// value is 0, the limit from the right.
Extended tGamma_distribution::cdf(Extended x) const {
    if (!inSupport(x)) return x == supportLow ? 0 : tContinuous_distribution::cdf(x);
    if (shape <= WilsonHilfertyShape) return regularizedGammaP(rate * x, shape);
    const Extended c = power(rate * x / shape, KALDEN_EXTENDED(1.0) / KALDEN_EXTENDED(3.0)) - 1 + 1 / (9 * shape);
    const Extended q = regularizedGammaP(KALDEN_EXTENDED(4.5) * shape * (c * c), KALDEN_EXTENDED(0.5));
    return c >= 0 ? (1 + q) / 2 : (1 - q) / 2;
}

Extended tGamma_distribution::mean() const { return shape / rate; }

Extended tGamma_distribution::variance() const { return shape / (rate * rate); }

// Exponential by inversion at shape 1, a ratio-of-uniforms method above 1,
// Ahrens and Dieter's rejection method below 1; all for rate 1, then scaled.
Extended tGamma_distribution::randomValue() const {
    Extended x;
    if (shape == 1) {
        x = -xmath::log(uniformRandom());
    } else if (shape > 1) {
        x = randomAboveOne();
    } else {
        x = randomBelowOne();
    }
    return x / rate;
}

// Ratio of uniforms on the shifted variable x = w - (alpha - 1), with quick
// acceptance and rejection bounds that spare most logarithms.
Extended tGamma_distribution::randomAboveOne() const {
    const Extended am1 = shape - 1;
    for (;;) {
        const Extended u = uniformRandom();
        const Extended v = generatorLow + uniformRandom() * (generatorHigh - generatorLow);
        const Extended x = v / u;
        const Extended w = x + shape - 1;
        const Extended x2 = x * x;
        const Extended accept = -2 * u * u + 8 * u - 6;
        const Extended reject = 2 * u * u - 2;
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
        if (2 * xmath::log(u) + x > am1 * xmath::log(x / am1 + 1)) continue;
        return w;
    }
}

// Ahrens-Dieter (GS): a power-law piece on [0, 1] and an exponential tail.
Extended tGamma_distribution::randomBelowOne() const {
    for (;;) {
        const Extended u = uniformRandom();
        const Extended p = generatorLow * u;
        const Extended v = uniformRandom();
        if (p <= 1) {
            const Extended x = power(p, generatorHigh);
            if (-x >= xmath::log(v)) return x;
        } else {
            const Extended x = -xmath::log((generatorLow - p) * generatorHigh);
            if (v <= power(x, shape - 1)) return x;
        }
    }
}

// ---- tChi_square_distribution -------------------------------------------

tChi_square_distribution::tChi_square_distribution(Extended nu) : tGamma_distribution(DeferredCreate{}) {
    create(nu / 2, KALDEN_EXTENDED(0.5));
}

bool tChi_square_distribution::setParameters(Extended p1, Extended p2, Extended p3) {
    const bool valid = tGamma_distribution::setParameters(p1, p2, p3);
    degreesOfFreedom = 2 * p1;
    return valid;
}

// Every profile of one size has the same degrees of freedom, so each thread
// keeps the distribution it made last rather than set up its constants
// (a log-gamma among them) for every profile.
Extended chiSquareUpperTail(Extended s, Extended nu) {
    thread_local std::optional<tChi_square_distribution> last;
    if (!last || last->getDegreesOfFreedom() != nu) last.emplace(nu);
    return 1 - last->cdf(s);
}

} // namespace kalden
