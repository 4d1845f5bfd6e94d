#include "output/GeneralFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kPow10[20] = {1ULL,
                                 10ULL,
                                 100ULL,
                                 1000ULL,
                                 10000ULL,
                                 100000ULL,
                                 1000000ULL,
                                 10000000ULL,
                                 100000000ULL,
                                 1000000000ULL,
                                 10000000000ULL,
                                 100000000000ULL,
                                 1000000000000ULL,
                                 10000000000000ULL,
                                 100000000000000ULL,
                                 1000000000000000ULL,
                                 10000000000000000ULL,
                                 100000000000000000ULL,
                                 1000000000000000000ULL,
                                 10000000000000000000ULL};

// 1e-20 to 1e20 as doubles, nearest to the powers of ten.
constexpr int kPowersBelow = 20;
constexpr int kPowersAbove = 21;
constexpr double kPowers[kPowersBelow + kPowersAbove] = {
    1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7,
    1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,  1e6,  1e7,
    1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19, 1e20};

// The general routine: exact for every value, slow.
char* Fallback(char* out, double v, int precision) {
  auto result = std::to_chars(out, out + 32, v, std::chars_format::general, precision);
  if (result.ec != std::errc()) {
    *out = '0';
    return out + 1;
  }
  return result.ptr;
}

// mantissa * 2^-shift * 10^scale rounded to an integer, ties to even, as printf rounds the
// exact binary value. False when the numbers leave 128 bits.
bool ScaledRoundWide(uint64_t mantissa, int shift, int scale, uint64_t* rounded) {
  using Wide = unsigned __int128;
  if (scale < -19 || scale > 19 || shift < -63 || shift > 63) return false;
  Wide num = mantissa, den = 1;
  if (scale >= 0)
    num *= kPow10[scale];  // below 2^117
  else
    den = kPow10[-scale];
  if (shift >= 0)
    den <<= shift;  // below 2^127
  else if (num >> (127 + shift))
    return false;
  else
    num <<= -shift;
  Wide q = num / den;
  const Wide rest = num % den;
  if (rest > den - rest || (rest == den - rest && (q & 1))) q++;
  if (q >> 64) return false;
  *rounded = uint64_t(q);
  return true;
}

// The same in 64 bits with a shift, which covers the values of drawings (floats of moderate
// size): the mantissa without its trailing zero bits is short.
inline bool ScaledRound(uint64_t mantissa, int shift, int scale, uint64_t* rounded) {
  uint64_t product;
  if (scale < 0 || scale > 19 || shift < 1 || shift > 63 ||
      __builtin_mul_overflow(mantissa, kPow10[scale], &product))
    return ScaledRoundWide(mantissa, shift, scale, rounded);
  const uint64_t q = product >> shift;
  const uint64_t rest = product & ((uint64_t(1) << shift) - 1);
  const uint64_t half = uint64_t(1) << (shift - 1);
  *rounded = q + (rest > half || (rest == half && (q & 1)));
  return true;
}

// "00" to "99".
struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = char('0' + i / 10);
      text[2 * i + 1] = char('0' + i % 10);
    }
  }
};
constexpr DigitPairs kPairs;

// Writes the decimal digits of n, exactly P of them (leading zeros kept).
template <int P>
inline void PutDigits(char* out, uint64_t n) {
  int i = P;
  while (i >= 2) {
    i -= 2;
    std::memcpy(out + i, kPairs.text + 2 * (n % 100), 2);
    n /= 100;
  }
  if (i) out[0] = char('0' + n % 10);
}

// "%.<P>g". Copies are of fixed sizes, past the end of the text but within the 32 characters
// of room: cheaper than copies of the exact length.
template <int P>
char* FormatFixedPrecision(char* out, double v) {
  if (!std::isfinite(v)) return Fallback(out, v, P);
  char* p = out;
  if (std::signbit(v)) *p++ = '-';
  if (v == 0) {
    *p = '0';
    return p + 1;
  }
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int biased = int((bits >> 52) & 0x7ff);
  if (biased == 0) return Fallback(out, v, P);  // subnormal
  // |v| = mantissa * 2^-shift, the mantissa without trailing zero bits (short for a float).
  uint64_t mantissa = (bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
  int shift = 1075 - biased;
  const int zeros = __builtin_ctzll(mantissa);
  mantissa >>= zeros;
  shift -= zeros;
  char text[32];
  // Whole numbers that fit the precision: just their digits.
  if (shift <= 0 && shift > -11) {
    const uint64_t whole = mantissa << -shift;  // below 2^63
    if (whole < kPow10[P]) {
      int count = 1;
      while (count < P && whole >= kPow10[count]) count++;
      PutDigits<P>(text, whole);
      std::memcpy(p, text + (P - count), P);
      return p + count;
    }
  }
  // The decimal exponent: floor(log10(2^(biased - 1023))) is it or one less, and |v| against
  // the power of ten above says which without a branch. A power of ten that its double
  // undershoots can make it one too high; the digits then show it.
  int exponent = ((biased - 1023) * 78913) >> 18;
  if (exponent < -kPowersBelow || exponent + 1 >= kPowersAbove) return Fallback(out, v, P);
  exponent += std::fabs(v) >= kPowers[exponent + 1 + kPowersBelow];
  uint64_t digits = 0;
  if (!ScaledRound(mantissa, shift, P - 1 - exponent, &digits) || digits < kPow10[P - 1])
    return Fallback(out, v, P);
  if (digits >= kPow10[P]) {
    // Rounded up to the next power of ten: "1" and zeros, one place further.
    exponent++;
    digits = kPow10[P - 1];
  }
  PutDigits<P>(text, digits);
  int kept = P;
  while (kept > 1 && text[kept - 1] == '0') kept--;
  if (exponent < -4 || exponent >= P) {
    p[0] = text[0];
    p[1] = '.';
    std::memcpy(p + 2, text + 1, P);
    p += kept > 1 ? kept + 1 : 1;
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    int e = exponent < 0 ? -exponent : exponent;
    if (e >= 100) *p++ = char('0' + e / 100);
    std::memcpy(p, kPairs.text + 2 * (e % 100), 2);
    return p + 2;
  }
  if (exponent >= 0) {
    // Whole part of exponent + 1 digits, then the fraction when any digit is left.
    const int whole = exponent + 1;
    std::memcpy(p, text, P);
    p += whole;
    if (kept <= whole) return p;
    *p = '.';
    std::memcpy(p + 1, text + whole, P);
    return p + 1 + (kept - whole);
  }
  // 0.000ddd: -exponent - 1 zeros after the point.
  std::memcpy(p, "0.000", 5);
  p += 1 - exponent;
  std::memcpy(p, text, P);
  return p + kept;
}

}  // namespace

char* FormatGeneral(char* out, double v, int precision) {
  // The writers use these two; any other goes the general way.
  if (precision == 6) return FormatFixedPrecision<6>(out, v);
  if (precision == 4) return FormatFixedPrecision<4>(out, v);
  return Fallback(out, v, precision);
}
