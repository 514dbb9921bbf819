#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace kalden {

// A small class library of probability distributions: an abstract base, the
// continuous distributions, the gamma distribution and its chi-square special
// case, with the numerical functions they rest on. Every real is held in
// extended precision (long double, 64-bit significand); constants written in
// decimal are the extended values nearest to those decimals.

// A compiler whose long double is plain double (MSVC, clang-cl, ARM Windows)
// would print other digits; such a build must not exist.
static_assert(std::numeric_limits<long double>::digits >= 64,
              "kalden needs long double with a 64-bit significand (x87 extended precision); this compiler's "
              "long double is narrower, so the reports would print other digits. Build with GCC or Clang "
              "on x86-64 (on Windows: mingw-w64).");

// Stands for infinity: an unbounded support or parameter range ends at
// plus or minus this value (2^31 - 1).
inline constexpr long double UNBOUNDED = 2147483647.0L;
// Tolerance of sameValue and convergence tolerance of every iteration here.
inline constexpr long double SAME_TOLERANCE = 5e-12L;

// Raised by every violated parameter bound, argument bound or condition.
class EArgumentError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// One distribution parameter: the value must lie strictly between the bounds.
struct DistributionParameter {
    long double value = 0;
    bool integerValued = false;
    long double lowerBound = 0;
    long double upperBound = 0;
};

// The four kinds of bound check.
enum class BoundCheck { GreaterThan, AtLeast, LessThan, AtMost };

// ---- Module functions -------------------------------------------------

// |b - a| < SAME_TOLERANCE (strict).
bool sameValue(long double a, long double b);
// |x| < UNBOUNDED and x lies within SAME_TOLERANCE of its nearest integer.
bool isWholeNumber(long double x);

// Raises EArgumentError when `value` violates `bound` in the way `kind`
// names; returns true otherwise. The message is `subject`, the check's own
// phrase ("must be greater than " and so on) and the bound with up to twelve
// decimals and no trailing zeros, e.g. "Shape must be greater than 0".
bool checkBound(BoundCheck kind, long double value, long double bound, const std::string& subject);
// Raises EArgumentError with `text` when `condition` holds; returns true
// otherwise.
bool checkCondition(bool condition, const std::string& text);

// ln Gamma(x) by a six-term Lanczos series (absolute error about 1e-11).
long double lnGamma(long double x);
// Regularized lower incomplete gamma P(a, x) by its power series.
long double gammaSeries(long double x, long double a);
// Regularized upper incomplete gamma Q(a, x) by its continued fraction.
long double gammaContinuedFraction(long double x, long double a);
// P(a, x), argument x first: the series below x = a + 1, the continued
// fraction from there on.
long double regularizedGammaP(long double x, long double a);

// Combined multiplicative congruential generator; values in (0, 1).
long double uniformRandom();
// The generator's two seeds. They are drawn from the clock once at start;
// setting them explicitly gives a reproducible stream.
struct UniformRandomSeeds {
    std::int32_t s1;
    std::int32_t s2;
};
void seedUniformRandom(std::int32_t s1, std::int32_t s2);
UniformRandomSeeds uniformRandomSeeds();

// base^exponent, by repeated squaring for a whole exponent.
long double power(long double base, long double exponent);
long double intPower(long double base, std::int32_t n);

// ---- Classes -------------------------------------------------------------

// Abstract base of every distribution. The support is the closed interval
// [supportLow, supportHigh] outside which there is no mass.
class tDistribution {
public:
    virtual ~tDistribution() = default;

    // Stores the three values in the parameter records, then validates each
    // parameter in use; raises EArgumentError on the first violation.
    virtual bool setParameters(long double p1, long double p2, long double p3);
    virtual bool inSupport(long double x) const;
    virtual long double density(long double x) const;
    virtual long double pointProbability(long double x) const;
    virtual long double cdf(long double x) const;
    // Probability of a <= X <= b, always within [0, 1].
    virtual long double intervalProbability(long double a, long double b) const;
    virtual long double quantile(long double p) const = 0;
    virtual bool hasMean() const;
    virtual bool hasVariance() const;
    virtual long double mean() const = 0;
    virtual long double variance() const = 0;
    virtual long double standardDeviation() const;
    virtual long double randomValue() const;

    int getParameterCount() const { return parameterCount; }
    // Parameter record `number`, 1 to 3.
    const DistributionParameter& getParameter(int number) const { return parameters.at(number - 1); }
    long double getSupportLow() const { return supportLow; }
    long double getSupportHigh() const { return supportHigh; }

protected:
    tDistribution() = default;

    std::uint8_t parameterCount = 0;
    std::array<DistributionParameter, 3> parameters{};
    long double supportLow = 0;
    long double supportHigh = 0;
};

// A distribution with a density; finds quantiles by a safeguarded Newton
// search.
class tContinuous_distribution : public tDistribution {
public:
    long double quantile(long double p) const override;

protected:
    tContinuous_distribution() = default;
    // Two parameters, each greater than 0 and less than UNBOUNDED, then the
    // virtual setParameters(p1, p2, 0). A C++ constructor does not dispatch
    // virtual calls to a derived class, so the most-derived constructor calls
    // this from its body, where its own setParameters runs; a failure throws
    // out of the constructor and no object exists.
    void create(long double p1, long double p2);
};

// The gamma distribution with shape alpha and rate lambda: density
// lambda^alpha x^(alpha-1) e^(-lambda x) / Gamma(alpha).
class tGamma_distribution : public tContinuous_distribution {
public:
    tGamma_distribution(long double shape, long double rate);

    bool setParameters(long double p1, long double p2, long double p3) override;
    bool inSupport(long double x) const override;
    long double density(long double x) const override;
    long double cdf(long double x) const override;
    long double mean() const override;
    long double variance() const override;
    long double randomValue() const override;

    long double getShape() const { return shape; }
    long double getRate() const { return rate; }
    long double getLogNormalizer() const { return logNormalizer; }
    long double getGeneratorLow() const { return generatorLow; }
    long double getGeneratorHigh() const { return generatorHigh; }

protected:
    // For a derived class whose own constructor calls create.
    struct DeferredCreate {};
    explicit tGamma_distribution(DeferredCreate) {}

    long double shape = 0;
    long double rate = 0;
    long double logNormalizer = 0;
    long double generatorLow = 0;
    long double generatorHigh = 0;

private:
    long double randomAboveOne() const;
    long double randomBelowOne() const;
};

// Chi-square with nu degrees of freedom: gamma with shape nu / 2, rate 0.5.
class tChi_square_distribution : public tGamma_distribution {
public:
    explicit tChi_square_distribution(long double degreesOfFreedom);

    bool setParameters(long double p1, long double p2, long double p3) override;

    long double getDegreesOfFreedom() const { return degreesOfFreedom; }

protected:
    long double degreesOfFreedom = 0;
};

// Upper tail probability of chi-square with nu degrees of freedom at s:
// 1 - cdf(s) of a chi-square distribution made for this one call.
long double chiSquareUpperTail(long double s, long double nu);

} // namespace kalden
