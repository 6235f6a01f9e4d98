#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/error.h"
#include "install/integer_conversion.h"

namespace zk {
namespace {

TEST(IntegerConversion, DecimalWithBlanksAndSign) {
  EXPECT_EQ(toInteger("12"), 12);
  EXPECT_EQ(toInteger("   12"), 12);
  EXPECT_EQ(toInteger("+12"), 12);
  EXPECT_EQ(toInteger("-12"), -12);
  EXPECT_EQ(toInteger(" -007"), -7);
  EXPECT_EQ(toInteger("0"), 0);
  EXPECT_EQ(toInteger("-0"), 0);
  EXPECT_EQ(toInteger("2147483647"), INT_MAX);
  EXPECT_EQ(toInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(toInteger("000000000000000000012"), 12);
}

TEST(IntegerConversion, HexadecimalPrefixesTakeA32BitPattern) {
  EXPECT_EQ(toInteger("$FF"), 255);
  EXPECT_EQ(toInteger("x1f"), 31);
  EXPECT_EQ(toInteger("X1F"), 31);
  EXPECT_EQ(toInteger("0x10"), 16);
  EXPECT_EQ(toInteger("0XaB"), 171);
  EXPECT_EQ(toInteger("  $7FFFFFFF"), INT_MAX);
  EXPECT_EQ(toInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(toInteger("$80000000"), INT_MIN);
  EXPECT_EQ(toInteger("-$10"), -16);
  EXPECT_EQ(toInteger("+0x10"), 16);
  EXPECT_EQ(toInteger("-$80000000"), INT_MIN);
}

TEST(IntegerConversion, InvalidTextsNameThemselvesInTheMessage) {
  for (const std::string text :
       {"",   " ",   "12\r\n",     "12\n", "12 ",        "1 2",         "Yok",         "+",
        "-",  "- 5", "\t5",        "5a",   "2147483648", "-2147483649", "99999999999", "$",
        "0x", "x",   "$123456789", "$G",   "0x-1",       "$ 1",         "1.0",         "١٢"}) {
    try {
      toInteger(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const Error& error) {
      EXPECT_EQ(error.message(), "'" + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace zk
