#include "format/ShortestText.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#if KALDEN_SOFTWARE_EXTENDED
#include <cmath>
#include <cstdint>
// The shortest digits of a double, where the C++ library has no
// floating-point to_chars (WebAssembly's libc++): {fmt}'s Dragonbox, header
// only.
#define FMT_HEADER_ONLY
#include <fmt/format.h>
#endif

namespace kalden {

namespace {

#if KALDEN_SOFTWARE_EXTENDED

// A number's significant digits, without leading or trailing zeros, and the
// power of ten of the first: 0.0125 has "125" and -2.
struct Significant {
    char digits[32];
    int count = 0;
    int exponent = 0;
};

// std::to_chars's choice between the two notations for the same digits,
// fixed on a tie, appended to `out` in one piece. Fixed notation writes a
// whole number as printf's "%.0f" does, every digit exact: `whole` is its
// exact value (below 2^128; fixed notation is shorter only below 10^22).
void appendNotation(std::string& out, const Significant& d, unsigned __int128 whole) {
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    const int exponentLength = magnitude < 100 ? 2 : magnitude < 1000 ? 3 : 4;
    const int scientificLength = d.count + (d.count > 1 ? 1 : 0) + 2 + exponentLength;
    const bool isWhole = d.exponent >= 0 && d.count <= d.exponent + 1;
    const int fixedLength = d.exponent < 0 ? 2 - d.exponent - 1 + d.count : isWhole ? d.exponent + 1 : d.count + 1;
    char text[64];
    char* at = text;
    const auto copy = [&at](const char* from, int count) {
        for (int i = 0; i < count; ++i) *at++ = from[i];
    };
    if (fixedLength <= scientificLength) {
        if (d.exponent < 0) {
            *at++ = '0';
            *at++ = '.';
            for (int i = 0; i < -d.exponent - 1; ++i) *at++ = '0';
            copy(d.digits, d.count);
        } else if (isWhole) {
            char* end = text + sizeof text;
            char* first = end;
            do {
                *--first = static_cast<char>('0' + static_cast<int>(whole % 10));
                whole /= 10;
            } while (whole != 0);
            out.append(first, end);
            return;
        } else {
            copy(d.digits, d.exponent + 1);
            *at++ = '.';
            copy(d.digits + d.exponent + 1, d.count - d.exponent - 1);
        }
    } else {
        *at++ = d.digits[0];
        if (d.count > 1) {
            *at++ = '.';
            copy(d.digits + 1, d.count - 1);
        }
        *at++ = 'e';
        *at++ = d.exponent < 0 ? '-' : '+';
        char exponentText[4];
        for (int i = exponentLength, rest = magnitude; i-- > 0; rest /= 10)
            exponentText[i] = static_cast<char>('0' + rest % 10);
        copy(exponentText, exponentLength);
    }
    out.append(text, at);
}

// The digits of n x 10^power (n > 0), trailing zeros dropped.
Significant significantOf(std::uint64_t n, int power) {
    for (; n % 10 == 0; n /= 10) ++power;
    char text[24];
    char* first = text + sizeof text;
    for (; n != 0; n /= 10) *--first = static_cast<char>('0' + static_cast<int>(n % 10));
    Significant d;
    d.count = static_cast<int>(text + sizeof text - first);
    std::copy(first, text + sizeof text, d.digits);
    d.exponent = power + d.count - 1;
    return d;
}

// An unsigned whole number of up to 16,960 bits, in 32-bit limbs from the
// lowest: the exact arithmetic that finds an extended value's shortest
// digits, whose extremes need about 16,450 bits. Only the limbs in use are
// ever written or read.
class Natural {
public:
    explicit Natural(std::uint64_t n = 0) {
        for (; n != 0; n >>= 32) limbs_[size_++] = static_cast<std::uint32_t>(n);
    }

    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    void multiplyByPowerOfTen(int power) {
        for (; power >= 9; power -= 9) multiply(1000000000);
        static constexpr std::uint32_t Small[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        if (power > 0) multiply(Small[power]);
    }

    void shiftLeft(int bits) {
        if (size_ == 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (int i = 0; i < size_; ++i) {
                const std::uint32_t next = limbs_[i] >> (32 - part);
                limbs_[i] = (limbs_[i] << part) | carry;
                carry = next;
            }
            if (carry != 0) limbs_[size_++] = carry;
        }
        if (whole == 0) return;
        for (int i = size_; i-- > 0;) limbs_[i + whole] = limbs_[i];
        std::fill(limbs_, limbs_ + whole, 0u);
        size_ += whole;
    }

    // a + b against c: -1, 0 or 1.
    static int compareSum(const Natural& a, const Natural& b, const Natural& c) {
        Natural sum;
        std::uint64_t carry = 0;
        const int size = std::max(a.size_, b.size_);
        for (int i = 0; i < size; ++i) {
            carry += std::uint64_t{a.at(i)} + b.at(i);
            sum.limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        sum.size_ = size;
        if (carry != 0) sum.limbs_[sum.size_++] = static_cast<std::uint32_t>(carry);
        return compare(sum, c);
    }

    static int compare(const Natural& a, const Natural& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_; i-- > 0;)
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        return 0;
    }

    // *this - b, where b is not larger.
    void subtract(const Natural& b) {
        std::uint32_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t taken = std::uint64_t{b.at(i)} + borrow;
            borrow = limbs_[i] < taken;
            limbs_[i] = static_cast<std::uint32_t>(limbs_[i] - taken);
        }
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }

    // The whole quotient of *this by `divisor`, below 10, leaving the
    // remainder in *this.
    int divideDigit(const Natural& divisor) {
        int digit = 0;
        while (compare(*this, divisor) >= 0) {
            subtract(divisor);
            ++digit;
        }
        return digit;
    }

private:
    std::uint32_t at(int i) const { return i < size_ ? limbs_[i] : 0; }
    std::uint32_t limbs_[530];
    int size_ = 0;
};

// The shortest digits of significand x 2^exponent (the significand's top
// bit set) that read back to it, rounding to nearest with ties to even, and
// of those the nearest to it, ties to an even last digit: as std::to_chars
// chooses them. The free-format digit generation of Steele and White with
// the scaling of Burger and Dybvig, in exact arithmetic.
Significant shortestOf(std::uint64_t significand, int exponent) {
    // The value is r / s; a decimal reads back to it when it lies within
    // m- below and m+ above it, the bounds included when the significand is
    // even. Below a power of two the neighbour is half as far.
    const bool powerOfTwo = significand == std::uint64_t{1} << 63;
    const bool inclusive = significand % 2 == 0;
    Natural r(significand), s(1), plus(1), minus(1);
    r.shiftLeft(powerOfTwo ? 2 : 1);
    s.shiftLeft(powerOfTwo ? 2 : 1);
    if (powerOfTwo) plus.shiftLeft(1);
    if (exponent >= 0) {
        r.shiftLeft(exponent);
        plus.shiftLeft(exponent);
        minus.shiftLeft(exponent);
    } else {
        s.shiftLeft(-exponent);
    }
    // 10^(k-1) <= value < 10^k, k estimated from below (by at most one).
    const int binaryDigits = 63 + exponent;
    int k = static_cast<int>(std::ceil(binaryDigits * 0.30102999566398114 - 1e-10));
    if (k >= 0) {
        s.multiplyByPowerOfTen(k);
    } else {
        r.multiplyByPowerOfTen(-k);
        plus.multiplyByPowerOfTen(-k);
        minus.multiplyByPowerOfTen(-k);
    }
    const int highest = Natural::compareSum(r, plus, s);
    if (inclusive ? highest >= 0 : highest > 0) {
        s.multiply(10);
        ++k;
    }
    Significant d;
    d.exponent = k - 1;
    for (;;) {
        r.multiply(10);
        plus.multiply(10);
        minus.multiply(10);
        int digit = r.divideDigit(s);
        const int low = Natural::compare(r, minus);
        const int high = Natural::compareSum(r, plus, s);
        const bool lowReads = inclusive ? low <= 0 : low < 0;
        const bool highReads = inclusive ? high >= 0 : high > 0;
        if (lowReads || highReads) {
            if (highReads && !lowReads) {
                ++digit;
            } else if (highReads && lowReads) {
                const int half = Natural::compareSum(r, r, s);
                if (half > 0 || (half == 0 && digit % 2 == 1)) ++digit;
            }
            d.digits[d.count++] = static_cast<char>('0' + digit);
            break;
        }
        d.digits[d.count++] = static_cast<char>('0' + digit);
    }
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    return d;
}

} // namespace

// Dragonbox gives the shortest digits that read back, the nearest of them,
// as to_chars does; only the choice of notation is to_chars's own.
void appendShortest(std::string& out, double value) {
    if (value != value) {
        out += std::signbit(value) ? "-nan" : "nan";
        return;
    }
    if (std::signbit(value)) out.push_back('-');
    const double magnitude = std::fabs(value);
    if (magnitude == 0 || std::isinf(magnitude)) {
        out += magnitude == 0 ? "0" : "inf";
        return;
    }
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    // Beyond 10^22 scientific notation is always the shorter.
    appendNotation(out, significantOf(decimal.significand, decimal.exponent),
                   magnitude < 0x1p127 ? static_cast<unsigned __int128>(magnitude) : 0);
}

void appendShortest(std::string& out, const Extended& value) {
    if (xmath::isnan(value)) {
        out += xmath::signbit(value) ? "-nan" : "nan";
        return;
    }
    if (xmath::signbit(value)) out.push_back('-');
    const Extended magnitude = xmath::fabs(value);
    if (xmath::isinf(magnitude)) {
        out += "inf";
        return;
    }
    if (magnitude == 0) {
        out.push_back('0');
        return;
    }
    std::uint64_t significand = 0;
    int exponent = 0;
    significandOf(magnitude, significand, exponent);
    // A value whose shortest digits are a whole number is one (below 2^63
    // an extended value holds every whole number exactly, and from there on
    // every value is whole), and fixed notation is chosen only below 10^22.
    unsigned __int128 whole = 0;
    if (exponent > -64 && exponent < 64)
        whole = exponent >= 0 ? static_cast<unsigned __int128>(significand) << exponent : significand >> -exponent;
    appendNotation(out, shortestOf(significand, exponent), whole);
}
#else

template <typename T>
void appendChars(std::string& out, T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

void appendShortest(std::string& out, double value) { appendChars(out, value); }
void appendShortest(std::string& out, const Extended& value) { appendChars(out, value); }
#endif

} // namespace kalden
