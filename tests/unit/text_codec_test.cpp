// UTF-8 decoding: what comes back, and that it holds no spare room (notes are held as
// decoded strings for the whole run).

#include <gtest/gtest.h>

#include <string>

#include "util/text_codec.h"

namespace tarvik::util {
namespace {

TEST(TextCodec, DecodesToExactlySizedStrings) {
  const std::string chinese = ToUtf8(L"会议笔记：今天讨论了项目进度。\r\n");
  std::string longMixed;
  for (int i = 0; i < 40; ++i) longMixed += chinese + "some ASCII words\r\n";
  const struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"", L""},
      {"plain ascii text that is longer than a short string",
       L"plain ascii text that is longer than a short string"},
      {chinese, L"会议笔记：今天讨论了项目进度。\r\n"},
      {"\xF0\x9F\x98\x80 smile", L"\U0001F600 smile"},
      {"bad \xFF\x80\xE4\xB8 end", L"bad \uFFFD\uFFFD\uFFFD end"},
  };
  for (const auto& c : cases) {
    const std::wstring decoded = FromUtf8(c.bytes);
    EXPECT_EQ(decoded, c.text);
    EXPECT_LE(decoded.capacity(), decoded.size() + decoded.size() / 8 + 16);
  }
  const std::wstring big = FromUtf8(longMixed);
  EXPECT_EQ(ToUtf8(big), longMixed);
  EXPECT_LE(big.capacity(), big.size() + big.size() / 8 + 16);
}

}  // namespace
}  // namespace tarvik::util
