#include "util/ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik::util {
namespace {

std::wstring Find(std::string_view content, std::wstring_view section, std::wstring_view key) {
  return FindIniValue(content, section, key).value_or(L"<none>");
}

TEST(IniFindTest, NamesIgnoreCaseAndBlanks) {
  const std::string ini =
      "[Main]\r\nLeft=123\r\n  Top  =  45  \r\n[ Options ]\r\n\tOnTop\t=\t1\r\n";
  EXPECT_EQ(Find(ini, L"Main", L"Left"), L"123");
  EXPECT_EQ(Find(ini, L"MAIN", L"left"), L"123");
  EXPECT_EQ(Find(ini, L"main", L"TOP"), L"45");
  EXPECT_EQ(Find(ini, L"options", L"ontop"), L"1");
  EXPECT_EQ(Find(ini, L" Options ", L" OnTop "), L"1");
  EXPECT_EQ(Find(ini, L"Main", L"OnTop"), L"<none>");  // key of another section
  EXPECT_EQ(Find(ini, L"Missing", L"Left"), L"<none>");
  EXPECT_EQ(Find("", L"Main", L"Left"), L"<none>");
  // Non-ASCII names fold too.
  EXPECT_EQ(Find("[ÄRGER]\nÉté=1\n", L"ärger", L"été"), L"1");
}

TEST(IniFindTest, QuotesCommentsAndOddLines) {
  const std::string ini =
      "top=outside\n"
      "[S]\n"
      "; Left=comment\n"
      "dq=\"quoted value \"\n"
      "sq=' x '\n"
      "mixed=\"abc'\n"
      "one=\"\n"
      "noequals\n"
      "empty=\n"
      "eq=a=b\n"
      "dup=first\n"
      "[s]\n"
      "dup=second\n"
      "later=yes\n";
  EXPECT_EQ(Find(ini, L"S", L"dq"), L"quoted value ");
  EXPECT_EQ(Find(ini, L"S", L"sq"), L" x ");
  EXPECT_EQ(Find(ini, L"S", L"mixed"), L"\"abc'");
  EXPECT_EQ(Find(ini, L"S", L"one"), L"\"");
  EXPECT_EQ(Find(ini, L"S", L"Left"), L"<none>");
  EXPECT_EQ(Find(ini, L"S", L"; Left"), L"<none>");
  EXPECT_EQ(Find(ini, L"S", L"noequals"), L"<none>");
  EXPECT_EQ(Find(ini, L"S", L"empty"), L"");
  EXPECT_EQ(Find(ini, L"S", L"eq"), L"a=b");
  EXPECT_EQ(Find(ini, L"S", L"top"), L"<none>");  // before any section
  EXPECT_EQ(Find(ini, L"S", L"dup"), L"first");
  EXPECT_EQ(Find(ini, L"S", L"later"), L"yes");  // a repeated section is searched too
}

TEST(IniSetTest, ReplacesInPlaceKeepingEverythingElse) {
  const std::string ini =
      "; settings\r\n[Main]\r\nleft = 1\r\nTop=2\r\n\r\n[Options]\r\nOnTop=0\r\n";
  EXPECT_EQ(SetIniValue(ini, L"MAIN", L"Left", L"99"),
            "; settings\r\n[Main]\r\nleft=99\r\nTop=2\r\n\r\n[Options]\r\nOnTop=0\r\n");
  EXPECT_EQ(SetIniValue(ini, L"Options", L"OnTop", L"1"),
            "; settings\r\n[Main]\r\nleft = 1\r\nTop=2\r\n\r\n[Options]\r\nOnTop=1\r\n");
  // The last line without a line break keeps having none.
  EXPECT_EQ(SetIniValue("[Main]\r\nLeft=1", L"Main", L"Left", L"2"), "[Main]\r\nLeft=2");
  // Bytes that are not UTF-8 in other lines survive the rewrite.
  const std::string odd = "[A]\r\nx=\xFF\xFE\r\n[B]\r\ny=1\r\n";
  EXPECT_EQ(SetIniValue(odd, L"B", L"y", L"2"), "[A]\r\nx=\xFF\xFE\r\n[B]\r\ny=2\r\n");
}

TEST(IniSetTest, AddsKeysAndSections) {
  // A new key goes after the section's last entry, before the blank line and next section.
  EXPECT_EQ(SetIniValue("[Main]\r\nLeft=1\r\n\r\n[Options]\r\nOnTop=0\r\n", L"main", L"Top", L"2"),
            "[Main]\r\nLeft=1\r\nTop=2\r\n\r\n[Options]\r\nOnTop=0\r\n");
  EXPECT_EQ(SetIniValue("[Main]\r\n[Options]\r\n", L"Main", L"Top", L"2"),
            "[Main]\r\nTop=2\r\n[Options]\r\n");
  EXPECT_EQ(SetIniValue("[Main]", L"Main", L"Top", L"2"), "[Main]\r\nTop=2\r\n");
  EXPECT_EQ(SetIniValue("[Main]\r\nLeft=1", L"Main", L"Top", L"2"),
            "[Main]\r\nLeft=1\r\nTop=2\r\n");
  // A new section goes at the end of the file.
  EXPECT_EQ(SetIniValue("", L"Main", L"Left", L"123"), "[Main]\r\nLeft=123\r\n");
  EXPECT_EQ(SetIniValue("[Main]\r\nLeft=1", L"Options", L"OnTop", L"1"),
            "[Main]\r\nLeft=1\r\n[Options]\r\nOnTop=1\r\n");
  // A file with LF line breaks keeps them.
  EXPECT_EQ(SetIniValue("[Main]\nLeft=1\n", L"Options", L"OnTop", L"1"),
            "[Main]\nLeft=1\n[Options]\nOnTop=1\n");
  EXPECT_EQ(SetIniValue("[Main]\nLeft=1\n", L"Main", L"Top", L"1"), "[Main]\nLeft=1\nTop=1\n");
}

TEST(IniSetTest, WritableEntries) {
  EXPECT_TRUE(IsWritableIniEntry(L"Main", L"Left", L"123"));
  EXPECT_TRUE(IsWritableIniEntry(L" Main ", L" Left ", L""));
  EXPECT_TRUE(IsWritableIniEntry(L"中文", L"键", L"a=b;c[d]"));
  EXPECT_FALSE(IsWritableIniEntry(L"Main", L"Left", L"1\n[X]"));
  EXPECT_FALSE(IsWritableIniEntry(L"Ma]in", L"Left", L"1"));
  EXPECT_FALSE(IsWritableIniEntry(L"Main", L"Le=ft", L"1"));
  EXPECT_FALSE(IsWritableIniEntry(L"Main", L"[Left", L"1"));
  EXPECT_FALSE(IsWritableIniEntry(L"Main", L";Left", L"1"));
  EXPECT_FALSE(IsWritableIniEntry(L"  ", L"Left", L"1"));
  EXPECT_FALSE(IsWritableIniEntry(L"Main", L"Left", std::wstring(L"a\0b", 3)));
}

// Files other tools wrote: every line end the platform knows is one line end, and the text
// may be UTF-16 with a byte-order mark.
TEST(IniForeignFilesTest, LineEndsOfEveryKind) {
  struct Case {
    std::string content;
    const wchar_t* key;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"[Main]\rLeft=1\rTop=2\r", L"Top", L"2"},         // CR only
      {"[Main]\r\r\nLeft=1\r\r\nTop=2", L"Left", L"1"},  // CR CR LF: no CR in the value
      {"[Main]\nLeft=1\rTop=2\n", L"Top", L"2"},         // a stray CR ends its line
      {"[Main]\nLeft=1\rTop=2\n", L"Left", L"1"},       {"[Main]\r\nLeft=1\n\rTop=2", L"Top", L"2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Find(c.content, L"Main", c.key), c.expected) << c.content;
}

TEST(IniForeignFilesTest, WritesNeverAddALoneCr) {
  struct Case {
    std::string content;
    const wchar_t* section;
    std::string expected;
  };
  const Case cases[] = {
      {"[Main\r", L"Main", "[Main\rK=v\r\n"},  // the unclosed header keeps its name
      {"[Main]\rLeft=1\r", L"Main", "[Main]\rLeft=1\rK=v\r\n"},
      {"[Main]\rLeft=1\r", L"New", "[Main]\rLeft=1\r[New]\r\nK=v\r\n"},
      {"[Main]\r\r\nLeft=1", L"Main", "[Main]\r\r\nLeft=1\r\nK=v\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetIniValue(c.content, c.section, L"K", L"v"), c.expected) << c.content;
    EXPECT_EQ(Find(c.expected, c.section, L"K"), L"v");
  }
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TEST(IniForeignFilesTest, Utf16WithByteOrderMarkReadsAsText) {
  const std::u16string text = u"[Main]\r\nLeft=中文\r\n[B]\r\nx=\U0001F600\r\n";
  const std::string le = Utf16(text, false), be = Utf16(text, true);
  const std::string utf8 = "[Main]\r\nLeft=中文\r\n[B]\r\nx=\xF0\x9F\x98\x80\r\n";
  EXPECT_EQ(IniTextOf(le), utf8);
  EXPECT_EQ(IniTextOf(be), utf8);
  EXPECT_EQ(IniTextOf("\xEF\xBB\xBF[A]"), "[A]");
  EXPECT_EQ(IniTextOf("[A]\xFF"), "[A]\xFF");            // anything else is taken as it is
  EXPECT_EQ(IniTextOf("\xFF\xFE\x41"), "\xEF\xBF\xBD");  // an odd last byte
}

// Notepad's "Unicode" is UTF-16 with a byte-order mark; a rewrite keeps it so, every other
// line as it was.
TEST(IniForeignFilesTest, SeveralValuesSetInTheFilesOwnEncoding) {
  const IniEntry entries[] = {{L"Main", L"Left", L"五"}, {L"New", L"k", L"v"}};
  const std::u16string text = u"[Main]\r\nLeft=中文\r\n[B]\r\nx=\U0001F600\r\n";
  const std::u16string updated = u"[Main]\r\nLeft=五\r\n[B]\r\nx=\U0001F600\r\n[New]\r\nk=v\r\n";
  for (const bool bigEndian : {false, true}) {
    EXPECT_EQ(SetIniValues(Utf16(text, bigEndian), entries), Utf16(updated, bigEndian));
  }
  EXPECT_EQ(SetIniValues("\xEF\xBB\xBF[Main]\r\nLeft=1", entries),
            "[Main]\r\nLeft=五\r\n[New]\r\nk=v\r\n");
  EXPECT_EQ(SetIniValues("", {}), "");
  const IniEntry broken[] = {{L"Main", L"Left", L"1"}, {L"Main", L"Top", L"1\n[X]"}};
  EXPECT_FALSE(SetIniValues(Utf16(text, false), broken));
}

}  // namespace
}  // namespace tarvik::util
