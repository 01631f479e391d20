// UTF-8 decoding: what comes back, and that it holds no spare room (notes are held as
// decoded strings for the whole run).

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless_platform.h"
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
      // Each alone in otherwise sound text: a surrogate's three bytes, an overlong form, a
      // lead cut short at the end.
      {"\xED\xA0\x80 x", L"\uFFFD x"},
      {"\xE0\x80\xAF x", L"\uFFFD x"},
      {"x \xE4\xB8", L"x \uFFFD"},
  };
  for (const auto& c : cases) {
    const std::wstring decoded = FromUtf8(c.bytes);
    EXPECT_EQ(decoded, c.text);
    EXPECT_LE(decoded.capacity(), decoded.size() + decoded.size() / 8 + 16);
    // The Windows way, in 16-bit units with surrogate pairs, gives the same text.
    EXPECT_EQ(ToUtf8From<char16_t>(FromUtf8As<char16_t>(c.bytes)), ToUtf8(c.text));
  }
  EXPECT_EQ(FromUtf8As<char16_t>("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
  // Unpaired halves of a pair, either way round, are no characters.
  EXPECT_EQ(ToUtf8From<char16_t>(std::u16string({0xDE00, 0xD83D, u'x', 0xD83D})),
            "\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD");
  const std::wstring big = FromUtf8(longMixed);
  EXPECT_EQ(ToUtf8(big), longMixed);
  EXPECT_LE(big.capacity(), big.size() + big.size() / 8 + 16);
}

TEST(TextCodec, TextFilesDecodeAsNotepadWroteThem) {
  using namespace std::string_literals;
  platform::headless::HeadlessPlatform platform;
  const struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"", L""},
      {"\xEF\xBB\xBF", L""},
      {"a\r\n\xE4\xB8\xAD", L"a\r\n中"},
      {"\xEF\xBB\xBF\xE4\xB8\xAD\xF0\x9F\x98\x80", L"中\U0001F600"},
      {"\xEF\xBB\xBF\xEF\xBB\xBFx", L"\uFEFFx"},  // only the first mark goes
      {"\xEF\xBB\xBF"
       "bad \xFF",
       L"bad \uFFFD"},  // the mark says UTF-8
      {"\xFF\xFE"
       "a\0-N"s,
       L"a中"},
      {"\xFE\xFF\0aN-"s, L"a中"},
      {"\xFF\xFE\x3D\xD8\x00\xDE"s, L"\U0001F600"},
      {"\xFF\xFE"
       "a\0b"s,
       L"a\uFFFD"},  // an odd last byte is no character
      {"\xFE\xFF\0a\0"s, L"a\uFFFD"},
      {"\xFF\xFE", L""},
      {"\xD6\xD0\xCE\xC4 abc", L"中文 abc"},  // GBK
      {"\xC4\xE3\xBA\xC3\r\n", L"你好\r\n"},
      {"版权所有 \xA9 2024 作者：张三", L"版权所有 \uFFFD 2024 作者：张三"},  // UTF-8 but a byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeTextFile(c.bytes, platform), c.text) << c.bytes;
  }
  // Not UTF-8 (a surrogate, an overlong form, a cut sequence, GBK with two characters that
  // look like UTF-8, too few good characters per bad byte, too many bad bytes): the code page
  // reads them.
  std::string manyBad;
  for (int i = 0; i < 20; ++i) manyBad += i < 9 ? "张三\xA9" : "张三";
  for (const std::string& bytes :
       {"\xED\xA0\x80"s, "\xC0\xAF"s, "\xD6\xD0\xE4\xB8"s, "作者 \xA9"s, manyBad,
        "\xB0\xE6\xC8\xA8\xCB\xF9\xD3\xD0 2024 \xD7\xF7\xD5\xDF\xA3\xBA\xD5\xC5\xC8\xFD"s}) {
    EXPECT_FALSE(IsValidUtf8(bytes));
    EXPECT_EQ(DecodeTextFile(bytes, platform), platform.DecodeCodePage(bytes, 936));
  }
}

}  // namespace
}  // namespace tarvik::util
