// The writers' own number formatting gives printf's text, character for character, for every
// kind of value a drawing holds: a changed digit would change every saved file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "output/GeneralFormat.h"

namespace {

std::string Printf(double v, int precision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", precision, v);
  return buf;
}

std::string Ours(double v, int precision) {
  char buf[32];
  return std::string(buf, FormatGeneral(buf, v, precision));
}

// A sample of every float binade from 2^-40 to 2^40, both signs, at both precisions.
TEST(GeneralFormat, MatchesPrintfOverFloats) {
  int mismatches = 0;
  for (int e = -40; e < 40; e++) {
    const float lo = std::ldexp(1.0f, e);
    uint32_t first;
    std::memcpy(&first, &lo, sizeof first);
    for (uint32_t bits = first; bits < first + (1u << 23); bits += 4099) {
      float f;
      std::memcpy(&f, &bits, sizeof f);
      for (double v : {double(f), -double(f)})
        for (int precision : {4, 6})
          if (Ours(v, precision) != Printf(v, precision) && mismatches++ < 5)
            ADD_FAILURE() << v << " %." << precision << "g: " << Ours(v, precision);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Exact ties round to even, values round up into the next power of ten, whole numbers, signed
// zero and the exponent forms.
TEST(GeneralFormat, MatchesPrintfAtEdges) {
  for (double v : {0.0,      -0.0,   12.125,   12.135,  0.5,           2.5,     1234.5,      1235.5,
                   999999.5, 9999.5, 99999.95, 0.0001,  0.00009999995, 1e-5,    123456789.0, 1e6,
                   1e15,     1e300,  5e-324,   1.0 / 3, 700.0,         65536.0, 4096.25})
    for (int precision : {4, 6})
      for (double s : {v, -v}) EXPECT_EQ(Ours(s, precision), Printf(s, precision)) << s;
}

}  // namespace
