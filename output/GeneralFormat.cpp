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
// exact binary value. False when the product leaves 128 bits.
bool ScaledRound(uint64_t mantissa, int shift, int scale, uint64_t* rounded) {
  if (scale < 0 || scale > 19 || shift < 1 || shift > 127) return false;
  const unsigned __int128 product = (unsigned __int128)mantissa * kPow10[scale];
  const unsigned __int128 one = 1;
  unsigned __int128 q = product >> shift;
  const unsigned __int128 rest = product & ((one << shift) - 1);
  const unsigned __int128 half = one << (shift - 1);
  if (rest > half || (rest == half && (q & 1))) q++;
  if (q >> 64) return false;
  *rounded = uint64_t(q);
  return true;
}

// Writes the decimal digits of n, exactly `count` of them (leading zeros kept).
void PutDigits(char* out, uint64_t n, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = char('0' + n % 10);
    n /= 10;
  }
}

}  // namespace

char* FormatGeneral(char* out, double v, int precision) {
  if (precision < 1 || precision > 17 || !std::isfinite(v)) return Fallback(out, v, precision);
  if (v == 0) {
    char* p = out;
    if (std::signbit(v)) *p++ = '-';
    *p++ = '0';
    return p;
  }
  int binaryExponent = 0;
  const double fraction = std::frexp(std::fabs(v), &binaryExponent);  // in [0.5, 1)
  // |v| = mantissa * 2^-shift with a 53-bit mantissa.
  const uint64_t mantissa = uint64_t(std::ldexp(fraction, 53));
  const int shift = 53 - binaryExponent;
  // The decimal exponent of |v|, possibly one too small; the digits say which.
  int exponent = int(std::floor(double(binaryExponent - 1) * 0.30102999566398120));
  uint64_t digits = 0;
  for (int tries = 0;; ++tries) {
    if (tries == 3 || !ScaledRound(mantissa, shift, precision - 1 - exponent, &digits))
      return Fallback(out, v, precision);
    if (digits >= kPow10[precision]) {
      exponent++;  // rounded up to the next power of ten, or the guess was low
      continue;
    }
    if (digits < kPow10[precision - 1]) {
      exponent--;
      continue;
    }
    break;
  }
  char* p = out;
  if (v < 0) *p++ = '-';
  char text[20];
  PutDigits(text, digits, precision);
  int kept = precision;
  while (kept > 1 && text[kept - 1] == '0') kept--;
  if (exponent < -4 || exponent >= precision) {
    *p++ = text[0];
    if (kept > 1) {
      *p++ = '.';
      std::memcpy(p, text + 1, size_t(kept - 1));
      p += kept - 1;
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    int e = exponent < 0 ? -exponent : exponent;
    if (e >= 100) *p++ = char('0' + e / 100);
    *p++ = char('0' + e / 10 % 10);
    *p++ = char('0' + e % 10);
    return p;
  }
  if (exponent >= 0) {
    // Whole part of exponent + 1 digits (zeros when the digits end before it).
    const int whole = exponent + 1;
    std::memcpy(p, text, size_t(whole));
    p += whole;
    if (kept > whole) {
      *p++ = '.';
      std::memcpy(p, text + whole, size_t(kept - whole));
      p += kept - whole;
    }
    return p;
  }
  *p++ = '0';
  *p++ = '.';
  for (int i = -1; i > exponent; --i) *p++ = '0';
  std::memcpy(p, text, size_t(kept));
  return p + kept;
}
