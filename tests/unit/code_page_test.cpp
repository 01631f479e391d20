#include "platform/headless/code_page.h"

#include <gtest/gtest.h>

namespace tarvik::platform::headless {
namespace {

TEST(CodePageTest, ChineseRoundTripsThroughGbk) {
  const std::wstring text = L"中文笔记：第一行\r\nabc 123 ￥";
  const std::string bytes = EncodeCodePage(text, 936);
  EXPECT_EQ(bytes.substr(0, 4), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(DecodeCodePage(bytes, 936), text);
  EXPECT_EQ(EncodeCodePage(L"", 936), "");
  EXPECT_EQ(DecodeCodePage("", 936), L"");
  EXPECT_EQ(DecodeCodePage(EncodeCodePage(text, 0), 0), text);  // the system page is 936
}

TEST(CodePageTest, UnmappableAndInvalidInput) {
  // Characters outside GBK become one '?' each; the rest is kept.
  EXPECT_EQ(EncodeCodePage(L"a\U0001F600b\u0E01c", 936), "a?b?c");
  // Bytes that are no GBK text become U+FFFD and decoding goes on after them.
  EXPECT_EQ(DecodeCodePage("a\xFF"
                           "b",
                           936),
            L"a\uFFFDb");
  EXPECT_EQ(DecodeCodePage("\xD6\xD0\xD6", 936), L"中\uFFFD");  // cut off at the end
}

TEST(CodePageTest, OtherCodePages) {
  EXPECT_EQ(EncodeCodePage(L"café", 1252), "caf\xE9");
  EXPECT_EQ(DecodeCodePage("caf\xE9\x80", 1252), L"café€");
  EXPECT_EQ(EncodeCodePage(L"中", 1252), "?");
  EXPECT_EQ(EncodeCodePage(L"中", 65001), "\xE4\xB8\xAD");
  EXPECT_EQ(DecodeCodePage("\xE4\xB8\xAD", 65001), L"中");
  // A code page nobody knows passes ASCII only.
  EXPECT_EQ(EncodeCodePage(L"a中", 4242), "a?");
  EXPECT_EQ(DecodeCodePage("a\xC0", 4242), L"a\uFFFD");
}

}  // namespace
}  // namespace tarvik::platform::headless
