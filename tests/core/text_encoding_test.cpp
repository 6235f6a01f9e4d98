#include <gtest/gtest.h>

#include "core/text_encoding.h"
#include "core/user_interface.h"

namespace zk {
namespace {

TEST(TextEncoding, TurkishLettersRoundTrip) {
  // "ĞİŞğış" and the euro sign in Windows-1254.
  const std::string bytes = "\xD0\xDD\xDE\xF0\xFD\xFE\x80";
  const std::string utf8 = cp1254ToUtf8(bytes);
  EXPECT_EQ(utf8, "ĞİŞğış€");
  EXPECT_EQ(utf8ToCp1254(utf8), bytes);
}

TEST(TextEncoding, EveryByteRoundTripsSoComparisonsStayExact) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  EXPECT_EQ(utf8ToCp1254(cp1254ToUtf8(all)), all);
}

TEST(TextEncoding, UnmappableCharacterBecomesQuestionMark) {
  EXPECT_EQ(utf8ToCp1254("a\xE4\xB8\xAD"
                         "b"),
            "a?b");
}

TEST(SplitLines, EachLineEndKindEndsALine) {
  EXPECT_EQ(splitLines("a\rb\nc\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(splitLines("").empty());
}

}  // namespace
}  // namespace zk
