#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "stats/Extended.h"

namespace kalden {

// A small class library of probability distributions: an abstract base, the
// continuous distributions, the gamma distribution and its chi-square special
// case, with the numerical functions they rest on. Every real is held in
// extended precision (Extended, 64-bit significand); constants written in
// decimal are the extended values nearest to those decimals.

// A compiler whose Extended is plain double (MSVC, clang-cl, ARM Windows)
// would print other digits; such a build must not exist.
static_assert(std::numeric_limits<Extended>::digits >= 64,
              "kalden needs Extended with a 64-bit significand (x87 extended precision); this compiler's "
              "Extended is narrower, so the reports would print other digits. Build with GCC or Clang "
              "on x86-64 (on Windows: mingw-w64).");

// Stands for infinity: an unbounded support or parameter range ends at
// plus or minus this value (2^31 - 1).
inline const Extended UNBOUNDED = KALDEN_EXTENDED(2147483647.0);
// Tolerance of sameValue and convergence tolerance of every iteration here.
inline const Extended SAME_TOLERANCE = KALDEN_EXTENDED(5e-12);

// Raised by every violated parameter bound, argument bound or condition.
class EArgumentError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// One distribution parameter: the value must lie strictly between the bounds.
struct DistributionParameter {
    Extended value = 0;
    bool integerValued = false;
    Extended lowerBound = 0;
    Extended upperBound = 0;
};

// The four kinds of bound check.
enum class BoundCheck { GreaterThan, AtLeast, LessThan, AtMost };

// ---- Module functions -------------------------------------------------

// |b - a| < SAME_TOLERANCE (strict).
bool sameValue(Extended a, Extended b);
// |x| < UNBOUNDED and x lies within SAME_TOLERANCE of its nearest integer.
bool isWholeNumber(Extended x);

// Raises EArgumentError when `value` violates `bound` in the way `kind`
// names; returns true otherwise. The message is `subject`, the check's own
// phrase ("must be greater than " and so on) and the bound with up to twelve
// decimals and no trailing zeros, e.g. "Shape must be greater than 0".
bool checkBound(BoundCheck kind, Extended value, Extended bound, const std::string& subject);
// Raises EArgumentError with `text` when `condition` holds; returns true
// otherwise.
bool checkCondition(bool condition, const std::string& text);

// ln Gamma(x) by a six-term Lanczos series (absolute error about 1e-11).
Extended lnGamma(Extended x);
// Regularized lower incomplete gamma P(a, x) by its power series.
Extended gammaSeries(Extended x, Extended a);
// Regularized upper incomplete gamma Q(a, x) by its continued fraction.
Extended gammaContinuedFraction(Extended x, Extended a);
// P(a, x), argument x first: the series below x = a + 1, the continued
// fraction from there on.
Extended regularizedGammaP(Extended x, Extended a);

// Combined multiplicative congruential generator; values in (0, 1).
Extended uniformRandom();
// The generator's two seeds. They are drawn from the clock once at start;
// setting them explicitly gives a reproducible stream.
struct UniformRandomSeeds {
    std::int32_t s1;
    std::int32_t s2;
};
void seedUniformRandom(std::int32_t s1, std::int32_t s2);
UniformRandomSeeds uniformRandomSeeds();

// base^exponent, by repeated squaring for a whole exponent.
Extended power(Extended base, Extended exponent);
Extended intPower(Extended base, std::int32_t n);

// ---- Classes -------------------------------------------------------------

// Abstract base of every distribution. The support is the closed interval
// [supportLow, supportHigh] outside which there is no mass.
class tDistribution {
public:
    virtual ~tDistribution() = default;

    // Stores the three values in the parameter records, then validates each
    // parameter in use; raises EArgumentError on the first violation.
    virtual bool setParameters(Extended p1, Extended p2, Extended p3);
    virtual bool inSupport(Extended x) const;
    virtual Extended density(Extended x) const;
    virtual Extended pointProbability(Extended x) const;
    virtual Extended cdf(Extended x) const;
    // Probability of a <= X <= b, always within [0, 1].
    virtual Extended intervalProbability(Extended a, Extended b) const;
    virtual Extended quantile(Extended p) const = 0;
    virtual bool hasMean() const;
    virtual bool hasVariance() const;
    virtual Extended mean() const = 0;
    virtual Extended variance() const = 0;
    virtual Extended standardDeviation() const;
    virtual Extended randomValue() const;

    int getParameterCount() const { return parameterCount; }
    // Parameter record `number`, 1 to 3.
    const DistributionParameter& getParameter(int number) const { return parameters.at(number - 1); }
    Extended getSupportLow() const { return supportLow; }
    Extended getSupportHigh() const { return supportHigh; }

protected:
    tDistribution() = default;

    std::uint8_t parameterCount = 0;
    std::array<DistributionParameter, 3> parameters{};
    Extended supportLow = 0;
    Extended supportHigh = 0;
};

// A distribution with a density; finds quantiles by a safeguarded Newton
// search.
class tContinuous_distribution : public tDistribution {
public:
    Extended quantile(Extended p) const override;

protected:
    tContinuous_distribution() = default;
    // Two parameters, each greater than 0 and less than UNBOUNDED, then the
    // virtual setParameters(p1, p2, 0). A C++ constructor does not dispatch
    // virtual calls to a derived class, so the most-derived constructor calls
    // this from its body, where its own setParameters runs; a failure throws
    // out of the constructor and no object exists.
    void create(Extended p1, Extended p2);
};

// The gamma distribution with shape alpha and rate lambda: density
// lambda^alpha x^(alpha-1) e^(-lambda x) / Gamma(alpha).
class tGamma_distribution : public tContinuous_distribution {
public:
    tGamma_distribution(Extended shape, Extended rate);

    bool setParameters(Extended p1, Extended p2, Extended p3) override;
    bool inSupport(Extended x) const override;
    Extended density(Extended x) const override;
    Extended cdf(Extended x) const override;
    Extended mean() const override;
    Extended variance() const override;
    Extended randomValue() const override;

    Extended getShape() const { return shape; }
    Extended getRate() const { return rate; }
    Extended getLogNormalizer() const { return logNormalizer; }
    Extended getGeneratorLow() const { return generatorLow; }
    Extended getGeneratorHigh() const { return generatorHigh; }

protected:
    // For a derived class whose own constructor calls create.
    struct DeferredCreate {};
    explicit tGamma_distribution(DeferredCreate) {}

    Extended shape = 0;
    Extended rate = 0;
    Extended logNormalizer = 0;
    Extended generatorLow = 0;
    Extended generatorHigh = 0;

private:
    Extended randomAboveOne() const;
    Extended randomBelowOne() const;
};

// Chi-square with nu degrees of freedom: gamma with shape nu / 2, rate 0.5.
class tChi_square_distribution : public tGamma_distribution {
public:
    explicit tChi_square_distribution(Extended degreesOfFreedom);

    bool setParameters(Extended p1, Extended p2, Extended p3) override;

    Extended getDegreesOfFreedom() const { return degreesOfFreedom; }

protected:
    Extended degreesOfFreedom = 0;
};

// Upper tail probability of chi-square with nu degrees of freedom at s:
// 1 - cdf(s) of a chi-square distribution with nu degrees of freedom.
Extended chiSquareUpperTail(Extended s, Extended nu);

} // namespace kalden
