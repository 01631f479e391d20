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

}  // namespace
}  // namespace tarvik::util
