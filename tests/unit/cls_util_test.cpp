#include "util/cls_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;

// The headless platform with what clsUtil needs of a real one: a clock that runs by itself
// (the test sets its pace) with a counted event pump, a scripted folder dialog.
class FakePlatform : public platform::headless::HeadlessPlatform {
 public:
  std::uint32_t tick = 1000;
  std::uint32_t tickStep = 0;  // added after every TickCount call
  int doEventsCalls = 0;
  std::optional<std::wstring> browseAnswer;
  std::wstring browsePrompt;
  platform::NativeHandle browseOwner = 0;

  void DoEvents() override { ++doEventsCalls; }
  std::uint32_t TickCount() override {
    const std::uint32_t now = tick;
    tick += tickStep;
    return now;
  }
  void PassTime(std::uint32_t milliseconds) override {
    platform::PumpEventsFor(*this, *this, milliseconds);
  }
  std::wstring ProgramFolder() override { return L""; }
  int ShowMessageBox(platform::NativeHandle, const std::wstring&, const std::wstring&,
                     unsigned) override {
    return 0;
  }
  std::optional<std::wstring> BrowseForFolder(platform::NativeHandle owner,
                                              const std::wstring& prompt) override {
    browseOwner = owner;
    browsePrompt = prompt;
    return browseAnswer;
  }
};

// The program's form of a path: "\" separators.
std::wstring ProgramPath(const fs::path& path) {
  std::wstring text = FromUtf8(path.generic_string());
  std::replace(text.begin(), text.end(), L'/', L'\\');
  return text;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::wstring> SplitNames(const std::wstring& joined) {
  std::set<std::wstring> names;
  std::wstringstream in(joined);
  for (std::wstring name; std::getline(in, name, L'|');) names.insert(name);
  return names;
}

class ClsUtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("tarvik_util_" + std::string(info->name()) + "_" +
                                        std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::wstring Path(const std::string& name) const { return ProgramPath(dir_ / name); }

  FakePlatform platform_;
  clsUtil util_{platform_};
  fs::path dir_;
};

// --- Text files -----------------------------------------------------------------------

TEST_F(ClsUtilTest, SaveUtf8WritesExactBytesWithoutMark) {
  ASSERT_TRUE(util_.SaveUTF8File(L"", Path("empty.txt")));
  EXPECT_TRUE(fs::exists(dir_ / "empty.txt"));
  EXPECT_EQ(fs::file_size(dir_ / "empty.txt"), 0u);

  ASSERT_TRUE(util_.SaveUTF8File(L"abc", Path("abc.txt")));
  EXPECT_EQ(ReadBytes(dir_ / "abc.txt"), "abc");

  // Chinese text and CR LF line breaks reach the disk unchanged.
  ASSERT_TRUE(util_.SaveUTF8File(L"[无标题]\r\n第一行\r\n", Path("note.tvk")));
  EXPECT_EQ(ReadBytes(dir_ / "note.tvk"), ToUtf8(L"[无标题]\r\n第一行\r\n"));
  EXPECT_EQ(util_.ReadUTF8File(Path("note.tvk")), L"[无标题]\r\n第一行\r\n");

  // Overwriting replaces the whole content, also with a shorter text.
  ASSERT_TRUE(util_.SaveUTF8File(L"x", Path("note.tvk")));
  EXPECT_EQ(ReadBytes(dir_ / "note.tvk"), "x");
}

TEST_F(ClsUtilTest, ReadUtf8HandlesMarkMissingAndInvalidBytes) {
  WriteBytes(dir_ / "bom.txt", "\xEF\xBB\xBFhello");
  EXPECT_EQ(util_.ReadUTF8File(Path("bom.txt")), L"hello");

  EXPECT_EQ(util_.ReadUTF8File(L""), L"");
  EXPECT_EQ(util_.ReadUTF8File(Path("missing.txt")), L"");
  EXPECT_EQ(util_.ReadUTF8File(Path("no_such_folder/a.txt")), L"");
  EXPECT_EQ(util_.ReadUTF8File(ProgramPath(dir_)), L"");  // a folder is not a file

  // Invalid bytes become U+FFFD and the text after them is still read.
  WriteBytes(dir_ / "bad.txt",
             "a\xFF"
             "b\xE4\xB8"
             "c");
  const std::wstring text = util_.ReadUTF8File(Path("bad.txt"));
  EXPECT_EQ(text.front(), L'a');
  EXPECT_EQ(text.back(), L'c');
  EXPECT_NE(text.find(L'\xFFFD'), std::wstring::npos);
  EXPECT_NE(text.find(L'b'), std::wstring::npos);
}

TEST_F(ClsUtilTest, FailedSaveReportsFalseAndChangesNothing) {
  WriteBytes(dir_ / "plain", "keep");
  // The parent of the target is a regular file: nothing can be created there.
  EXPECT_FALSE(util_.SaveUTF8File(L"new", Path("plain/a.txt")));
  EXPECT_EQ(ReadBytes(dir_ / "plain"), "keep");
  // The target is a folder: it stays a folder with its content.
  fs::create_directory(dir_ / "folder");
  WriteBytes(dir_ / "folder" / "inside.txt", "inside");
  EXPECT_FALSE(util_.SaveUTF8File(L"new", Path("folder")));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  EXPECT_EQ(ReadBytes(dir_ / "folder" / "inside.txt"), "inside");
  EXPECT_FALSE(util_.SaveUTF8File(L"new", L""));
  // No temporary is left behind.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "plain" || name == "folder") << name;
  }
}

TEST_F(ClsUtilTest, AnsiFilesUseTheChineseCodePage) {
  ASSERT_TRUE(util_.SaveANSIFile(L"中文abc", Path("gb.txt")));
  EXPECT_EQ(ReadBytes(dir_ / "gb.txt"),
            "\xD6\xD0\xCE\xC4"
            "abc");
  EXPECT_EQ(util_.ReadANSIFile(Path("gb.txt")), L"中文abc");
  EXPECT_EQ(util_.ReadANSIFile(Path("missing.txt")), L"");
  // A text file read as Notepad wrote it: bytes that are no UTF-8 are the code page's.
  EXPECT_EQ(ReadTextFile(Path("gb.txt"), platform_), L"中文abc");
  EXPECT_EQ(ReadTextFile(Path("missing.txt"), platform_), L"");
  EXPECT_EQ(ReadTextFile(ProgramPath(dir_), platform_), L"");
}

// --- Folders ----------------------------------------------------------------------------

TEST_F(ClsUtilTest, DeleteFolderRemovesTreeButNotLinkTargets) {
  fs::create_directories(dir_ / "Notes" / "sub" / "deeper");
  WriteBytes(dir_ / "Notes" / "Note_1.tvk", "a");
  WriteBytes(dir_ / "Notes" / "sub" / "deeper" / "x.txt", "b");
  fs::create_directory(dir_ / "outside");
  WriteBytes(dir_ / "outside" / "keep.txt", "keep");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "Notes" / "link");
  // Read-only content goes with the folder; the link's read-only target is not opened up.
  WriteBytes(dir_ / "Notes" / "sub" / "locked.txt", "c");
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec;
  fs::permissions(dir_ / "Notes" / "sub" / "locked.txt", fs::perms::owner_read);
  fs::permissions(dir_ / "Notes" / "sub", readOnly);
  fs::permissions(dir_ / "outside", readOnly);

  util_.DeleteFolder(Path("Notes"));
  EXPECT_FALSE(fs::exists(dir_ / "Notes"));
  EXPECT_EQ(ReadBytes(dir_ / "outside" / "keep.txt"), "keep");
  EXPECT_EQ(fs::status(dir_ / "outside").permissions(), readOnly);
  fs::permissions(dir_ / "outside", fs::perms::owner_all);

  // Nothing to do for an empty or missing path, or a file.
  util_.DeleteFolder(L"");
  util_.DeleteFolder(Path("missing"));
  WriteBytes(dir_ / "file.txt", "f");
  util_.DeleteFolder(Path("file.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "file.txt"));
}

TEST_F(ClsUtilTest, EnumeratesDirectFilesAndSubfolders) {
  fs::create_directory(dir_ / "n");
  EXPECT_EQ(util_.EnumFilesInFolder(Path("n")), L"");
  EXPECT_EQ(util_.EnumSubFoldersInFolder(Path("n")), L"");

  WriteBytes(dir_ / "n" / "a.txt", "");
  WriteBytes(dir_ / "n" / "b.txt", "");
  fs::create_directories(dir_ / "n" / "sub" / "inner");
  WriteBytes(dir_ / "n" / "sub" / "c.txt", "");
  fs::create_directory(dir_ / "n" / "文件夹");

  const std::wstring files = util_.EnumFilesInFolder(Path("n"));
  EXPECT_EQ(files.size(), std::wstring(L"a.txt|b.txt").size());
  EXPECT_EQ(SplitNames(files), (std::set<std::wstring>{L"a.txt", L"b.txt"}));
  EXPECT_EQ(SplitNames(util_.EnumSubFoldersInFolder(Path("n"))),
            (std::set<std::wstring>{L"sub", L"文件夹"}));

  EXPECT_EQ(util_.EnumFilesInFolder(Path("missing")), L"");
  EXPECT_EQ(util_.EnumFilesInFolder(L""), L"");
  // A folder that cannot be listed is an error, not an empty folder.
  const std::wstring unlistable = Path(std::string(300, 'x').c_str());
  EXPECT_THROW(util_.EnumFilesInFolder(unlistable), FolderListError);
  EXPECT_THROW(util_.EnumSubFoldersInFolder(unlistable), FolderListError);
}

TEST_F(ClsUtilTest, SelectFolderEndsWithSeparatorOrIsEmpty) {
  platform_.browseAnswer = std::nullopt;
  EXPECT_EQ(util_.SelectFolder(42, L"选择文件夹"), L"");
  EXPECT_EQ(platform_.browseOwner, 42u);
  EXPECT_EQ(platform_.browsePrompt, L"选择文件夹");

  platform_.browseAnswer = L"C:\\Notes";
  EXPECT_EQ(util_.SelectFolder(1, L""), L"C:\\Notes\\");
  platform_.browseAnswer = L"C:\\";
  EXPECT_EQ(util_.SelectFolder(1, L""), L"C:\\");
  platform_.browseAnswer = std::wstring(L"D:\\a\0junk", 9);
  EXPECT_EQ(util_.SelectFolder(1, L""), L"D:\\a\\");
  platform_.browseAnswer = L"";
  EXPECT_EQ(util_.SelectFolder(1, L""), L"");
}

// --- Waiting and random numbers -----------------------------------------------------

TEST_F(ClsUtilTest, WaitPumpsEventsUntilTimeHasPassed) {
  platform_.tickStep = 1;
  util_.Wait(5);
  EXPECT_EQ(platform_.doEventsCalls, 5);

  // The tick count wraps around 2^32 without ending the wait early or late.
  platform_.doEventsCalls = 0;
  platform_.tick = 0xFFFFFFFEu;
  util_.Wait(5);
  EXPECT_EQ(platform_.doEventsCalls, 5);

  platform_.doEventsCalls = 0;
  util_.Wait(0);
  EXPECT_EQ(platform_.doEventsCalls, 1);
  platform_.doEventsCalls = 0;
  util_.Wait(-10);
  EXPECT_EQ(platform_.doEventsCalls, 1);
}

TEST(ClsUtilHeadlessTest, WaitOnTheHeadlessBackendMovesItsClockAndReturns) {
  platform::headless::HeadlessPlatform headless;
  int ticks = 0;
  const auto timer = headless.CreateTimer([&] { ++ticks; });
  timer->SetInterval(10);
  timer->SetEnabled(true);
  const std::uint32_t start = headless.TickCount();
  clsUtil(headless).Wait(35);
  EXPECT_EQ(headless.TickCount() - start, 35u);
  EXPECT_EQ(ticks, 3);
}

TEST_F(ClsUtilTest, RandomSingleDependsOnTheMillisecondOnly) {
  platform_.tick = 123456;
  const float first = util_.RandomSingle();
  EXPECT_EQ(util_.RandomSingle(), first);

  std::set<float> seen;
  for (std::uint32_t t = 0; t < 2000; ++t) {
    platform_.tick = t * 7919u;
    const float value = util_.RandomSingle();
    ASSERT_GE(value, 0.0f);
    ASSERT_LT(value, 1.0f);
    // At most nine decimals: printing with nine and parsing back gives the same value.
    char text[32];
    std::snprintf(text, sizeof text, "%.9f", static_cast<double>(value));
    EXPECT_EQ(std::strtof(text, nullptr), value);
    seen.insert(value);
  }
  EXPECT_GT(seen.size(), 1900u);  // different milliseconds give different values
}

TEST_F(ClsUtilTest, RandomIntStaysInRangeAndReportsOverflow) {
  std::set<int> seen;
  for (std::uint32_t t = 0; t < 500; ++t) {
    platform_.tick = t;
    const int value = util_.RandomInt(1, 6);
    ASSERT_GE(value, 1);
    ASSERT_LE(value, 6);
    seen.insert(value);
    const int reversed = util_.RandomInt(10, 5);  // a negative span counts down from minimum
    ASSERT_GE(reversed, 6);
    ASSERT_LE(reversed, 10);
    const int wide = util_.RandomInt(-16383, 16383);  // the widest span that fits
    ASSERT_GE(wide, -16383);
    ASSERT_LE(wide, 16383);
  }
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(util_.RandomInt(5, 5), 5);
  EXPECT_EQ(util_.RandomInt(-32768, -32768), -32768);

  EXPECT_THROW(util_.RandomInt(-32768, 32767), OverflowError);  // difference overflows
  EXPECT_THROW(util_.RandomInt(-16384, 16383), OverflowError);  // span 32768
  EXPECT_THROW(util_.RandomInt(0, 32767), OverflowError);       // difference + 1 overflows
  EXPECT_THROW(util_.RandomInt(32767, -32768), OverflowError);
  try {
    util_.RandomInt(-1, 32767);
    ADD_FAILURE() << "no overflow";
  } catch (const OverflowError& error) {
    EXPECT_EQ(error.Number(), 6);
  }
}

// --- Regular expressions ------------------------------------------------------------

TEST_F(ClsUtilTest, SearchReturnsOneBasedPositionOrMarkers) {
  EXPECT_EQ(util_.StringSearchByRegExp(L"abc", L"a"), 1);
  EXPECT_EQ(util_.StringSearchByRegExp(L"abc", L"c$"), 3);
  EXPECT_EQ(util_.StringSearchByRegExp(L"abc", L"x"), -1);
  EXPECT_EQ(util_.StringSearchByRegExp(L"abc", L""), 0);
  EXPECT_EQ(util_.StringSearchByRegExp(L"", L"a"), 0);
  EXPECT_EQ(util_.StringSearchByRegExp(L"ABC", L"b"), -1);  // case-sensitive
  // Multi-line: '^' and '$' also at CR LF line breaks.
  EXPECT_EQ(util_.StringSearchByRegExp(L"one\r\ntwo", L"^two"), 6);
  EXPECT_EQ(util_.StringSearchByRegExp(L"one\r\ntwo", L"one$"), 1);
  EXPECT_EQ(util_.StringSearchByRegExp(L"\r\ntwo", L"^$"), 1);
  EXPECT_EQ(util_.StringSearchByRegExp(L"x\r\ntwo", L"^t"), 4);
  // An invalid pattern is no match, not a crash.
  EXPECT_THROW(util_.StringSearchByRegExp(L"abc", L"("), RegExpError);
  EXPECT_THROW(util_.StringSearchByRegExp(L"abc", L"[a-"), RegExpError);
}

TEST_F(ClsUtilTest, ReplaceIsGlobalWithGroupReferences) {
  EXPECT_EQ(util_.StringReplaceByRegExp(L"a1b22c", L"\\d+", L"#"), L"a#b#c");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"John Smith", L"(\\w+) (\\w+)", L"$2, $1"),
            L"Smith, John");
  // Line anchors never split a CR LF pair.
  EXPECT_EQ(util_.StringReplaceByRegExp(L"a\r\nb\r\n", L"^", L"> "), L"> a\r\n> b\r\n> ");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"a\r\nb", L"$", L";"), L"a;\r\nb;");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"a\nb", L"$", L";"), L"a;\nb;");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"a\r\nb", L"\r\n", L"|"), L"a|b");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"ab", L"x*", L"-"), L"-a-b-");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"", L"a", L"x"), L"");
  EXPECT_EQ(util_.StringReplaceByRegExp(L"abc", L"", L"x"), L"abc");
  EXPECT_THROW(util_.StringReplaceByRegExp(L"abc", L"(", L"x"), RegExpError);
}

TEST_F(ClsUtilTest, LongTextsDoNotExhaustTheStack) {
  // The standard matcher recurses per character; this once overflowed an 8 MB stack.
  const std::wstring text(100000, L'a');
  EXPECT_EQ(util_.StringReplaceByRegExp(text, L"(a|b)*", L"x"), L"xx");
  EXPECT_EQ(util_.StringSearchByRegExp(text + L"c", L"(a|b)*c"), 1);
}

TEST_F(ClsUtilTest, RegExpLimitsAreErrorsNeverNoMatch) {
  // Counts the engine would misread (2^32 + 1 behaved as 1) or could not build.
  // A repeat of a repeat, which the engine can loop on for ever.
  for (const wchar_t* pattern :
       {L"b{4294967297}", L"b{2,4294967297}", L"(ab){100001}", L"x{99999999999999999999}",
        L"1*.***$.", L"a{2}+", L"a*?*", L"a???"}) {
    EXPECT_THROW(util_.StringSearchByRegExp(L"abb", pattern), RegExpError) << pattern;
  }
  EXPECT_EQ(util_.StringSearchByRegExp(L"abb", L"b{2}"), 2);
  EXPECT_EQ(util_.StringSearchByRegExp(L"abb", L"b+?b*?a??"), 2);  // lazy forms are fine
  EXPECT_EQ(util_.StringSearchByRegExp(L"a{4294967297}", L"\\{4294967297\\}"), 2);  // escaped
  EXPECT_EQ(util_.StringSearchByRegExp(L"a", L"[{]4294967297"), -1);                // in a class
  // A text too long for the matcher is refused whole, not cut or crashed on.
  const std::wstring huge(1'000'000, L'a');
  EXPECT_THROW(util_.StringSearchByRegExp(huge, L"(a|b)*c"), RegExpError);
  EXPECT_THROW(util_.StringReplaceByRegExp(huge, L"a", L"b"), RegExpError);
}

TEST_F(ClsUtilTest, EveryPatternAnswersOrRaisesInTime) {
  // Patterns that once kept the matcher busy for ever, one past its step budget, and heavy
  // ones within it (the budget grows with the text).
  struct Case {
    const wchar_t* text;
    const wchar_t* pattern;
    const wchar_t* replaced;  // every match replaced by "#"; nullptr: RegExpError
  };
  const std::wstring as(40, L'a');
  const std::wstring words(50000, L'w');
  std::wstring note;
  std::wstring noteReplaced;
  for (int line = 0; line < 2000; ++line) {
    note += L"ab Tarvik cd\n";
    noteReplaced += L"####arvik cd\n";
  }
  const Case cases[] = {
      {words.c_str(), L"\\w{1,100}x", words.c_str()},
      {note.c_str(), L"(?=.*Tarvik).", noteReplaced.c_str()},
      {words.c_str() + 49980, L"(\\w*)*\\1x", words.c_str() + 49980},
      {as.c_str(), L"(a*)*b", as.c_str()},
      {L"aaab", L"(a*)*b", L"#"},
      {L"bababac x c", L"(|ba)*c", L"# x #"},
      {L"ab", L"(|ba)*c", L"ab"},
      {as.c_str(), L"(a*)*\\1b", nullptr},  // back references leave it no shortcut
      {L"abab", L"(a|b)\\1?", L"####"},
      {L"aa-bb", L"(\\w)\\1", L"#-#"},
  };
  for (const Case& c : cases) {
    if (c.replaced) {
      EXPECT_EQ(util_.StringReplaceByRegExp(c.text, c.pattern, L"#"), c.replaced) << c.pattern;
    } else {
      EXPECT_THROW(util_.StringReplaceByRegExp(c.text, c.pattern, L"#"), RegExpError) << c.pattern;
    }
  }
  EXPECT_EQ(util_.StringSearchByRegExp(as, L"(a*)*b"), -1);
}

TEST_F(ClsUtilTest, CrLfIsOneLineBreakForAnchorsAlsoInLongerMatches) {
  struct Case {
    const wchar_t* text;
    const wchar_t* pattern;
    const wchar_t* replaced;  // every match replaced by "#"
  };
  const Case cases[] = {
      {L"a\r\n\r\nb", L"^\\s+", L"a\r\n#b"},
      {L"a\r\n\r\nb", L"^", L"#a\r\n#\r\n#b"},
      {L"a\r\n\r\nb", L"$", L"a#\r\n#\r\nb#"},
      {L"x\ny\rz", L"^", L"#x\n#y\r#z"},  // lone LF and lone CR still end lines
      {L"\r\n\r\n", L"^\\n", L"\r\n\r\n"},
      {L"a\r\nb", L"\\r$", L"a\r\nb"},  // nor does a line end between them
      {L"a\r\n\r\nb", L"$\\n", L"a\r\n\r\nb"},
      {L"a\r\nb\r", L"\\r$", L"a\r\nb#"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(util_.StringReplaceByRegExp(c.text, c.pattern, L"#"), c.replaced) << c.pattern;
  }
  EXPECT_EQ(util_.StringSearchByRegExp(L"a\r\n\r\nb", L"^\\s+"), 4);
}

// One field of tests/unit/data/regex_reference.txt: "\\", "\t", "\n", "\r", "\uXXXX" escaped.
std::wstring Unescaped(const std::string& field) {
  std::wstring out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += static_cast<wchar_t>(field[i]);
    } else if (const char c = field[++i]; c == 'u') {
      out += static_cast<wchar_t>(std::stoi(field.substr(i + 1, 4), nullptr, 16));
      i += 4;
    } else {
      out += c == 't' ? L'\t' : c == 'n' ? L'\n' : c == 'r' ? L'\r' : static_cast<wchar_t>(c);
    }
  }
  return out;
}

// The browser engine's answers for some 4,000 patterns and texts (tools/regex_reference), and
// the program's own for CR LF, U+2028 and "$0".
TEST_F(ClsUtilTest, RegExpAnswersAsTheBrowserEngine) {
  std::ifstream table(TARVIK_TEST_DATA "/regex_reference.txt", std::ios::binary);
  ASSERT_TRUE(table);
  int rows = 0;
  int differences = 0;
  for (std::string line; std::getline(table, line) && differences < 20;) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::wstring> field;
    for (std::size_t from = 0, tab = 0; tab != std::string::npos; from = tab + 1) {
      tab = line.find('\t', from);
      field.push_back(Unescaped(line.substr(from, tab - from)));
    }
    ASSERT_GE(field.size(), 5U) << line;
    ++rows;
    std::wstring position = L"error";
    std::wstring replaced;
    try {
      position = std::to_wstring(util_.StringSearchByRegExp(field[1], field[0]));
      replaced = util_.StringReplaceByRegExp(field[1], field[0], field[2]);
    } catch (const RegExpError&) {
    }
    if (position != field[3] || replaced != field[4]) {
      ++differences;
      ADD_FAILURE() << line << "\n  got " << ToUtf8(position) << "\t" << ToUtf8(replaced);
    }
  }
  EXPECT_GE(rows, 4000);
}

// --- INI keys -------------------------------------------------------------------------

TEST_F(ClsUtilTest, IniKeysRoundTripThroughTheFile) {
  const std::wstring ini = Path("Config.ini");
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"Main", L"Left", L"100"), L"100");
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"Main", L"Left", L"123"));
  EXPECT_EQ(ReadBytes(dir_ / "Config.ini"), "[Main]\r\nLeft=123\r\n");
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"Options", L"OnTop", L"1"));
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"main", L"LEFT", L"-45"));
  EXPECT_EQ(ReadBytes(dir_ / "Config.ini"), "[Main]\r\nLeft=-45\r\n[Options]\r\nOnTop=1\r\n");
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"MAIN", L"left", L""), L"-45");
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"Main", L"Top", L"7"), L"7");
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"Other", L"Left", L"d"), L"d");
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"Main", L"Title", L"中文"));
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"Main", L"Title", L""), L"中文");

  // A byte-order mark is read past and not written back.
  WriteBytes(dir_ / "bom.ini", "\xEF\xBB\xBF[Main]\r\nLeft=5\r\n");
  EXPECT_EQ(util_.ReadIniKeyValue(Path("bom.ini"), L"Main", L"Left", L"d"), L"5");
  ASSERT_TRUE(util_.WriteIniKeyValue(Path("bom.ini"), L"Main", L"Left", L"6"));
  EXPECT_EQ(ReadBytes(dir_ / "bom.ini"), "[Main]\r\nLeft=6\r\n");

  // Notepad's "Unicode": read as text, rewritten whole as UTF-8 with every other line kept.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("; c\r\n[Main]\r\nLeft=5\r\nTop=7\r\n")) utf16 += {c, '\0'};
  WriteBytes(dir_ / "utf16.ini", utf16);
  EXPECT_EQ(util_.ReadIniKeyValue(Path("utf16.ini"), L"Main", L"Top", L"d"), L"7");
  ASSERT_TRUE(util_.WriteIniKeyValue(Path("utf16.ini"), L"Main", L"Left", L"6"));
  EXPECT_EQ(ReadBytes(dir_ / "utf16.ini"), "; c\r\n[Main]\r\nLeft=6\r\nTop=7\r\n");
}

TEST_F(ClsUtilTest, IniValuesAreCutLikeTheProfileBuffers) {
  const std::wstring ini = Path("cut.ini");
  const std::wstring longValue(300, L'v');
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"S", L"k", longValue));
  EXPECT_EQ(ReadBytes(dir_ / "cut.ini"), "[S]\r\nk=" + std::string(256, 'v') + "\r\n");
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"S", L"k", L""), std::wstring(254, L'v'));
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"S", L"missing", longValue), std::wstring(254, L'v'));

  // A value is a C string for the profile functions: it ends at a NUL.
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"S", L"n", std::wstring(L"ab\0cd", 5)));
  EXPECT_EQ(util_.ReadIniKeyValue(ini, L"S", L"n", L""), L"ab");
}

TEST_F(ClsUtilTest, IniWritesThatWouldBreakTheFileAreRefused) {
  const std::wstring ini = Path("safe.ini");
  ASSERT_TRUE(util_.WriteIniKeyValue(ini, L"Main", L"Left", L"1"));
  const std::string before = ReadBytes(dir_ / "safe.ini");
  EXPECT_FALSE(util_.WriteIniKeyValue(ini, L"Main", L"Left", L"1\r\n[Evil]\r\nx=1"));
  EXPECT_FALSE(util_.WriteIniKeyValue(ini, L"Main", L"a=b", L"1"));
  EXPECT_FALSE(util_.WriteIniKeyValue(L"", L"Main", L"a", L"1"));
  EXPECT_EQ(ReadBytes(dir_ / "safe.ini"), before);
  // A file in a folder that cannot exist is reported, not pretended.
  WriteBytes(dir_ / "plain", "x");
  EXPECT_FALSE(util_.WriteIniKeyValue(Path("plain/c.ini"), L"Main", L"a", L"1"));
  fs::create_directory(dir_ / "dir.ini");
  EXPECT_EQ(util_.ReadIniKeyValue(Path("dir.ini"), L"Main", L"a", L"d"), L"d");
  EXPECT_FALSE(util_.WriteIniKeyValue(Path("dir.ini"), L"Main", L"a", L"1"));
  EXPECT_TRUE(fs::is_directory(dir_ / "dir.ini"));
}

// --- Mathematics ------------------------------------------------------------------------

TEST_F(ClsUtilTest, DegreeTrigonometry) {
  EXPECT_DOUBLE_EQ(util_.PI(), 3.14159265358979323846);
  EXPECT_DOUBLE_EQ(util_.ENB(), std::exp(1.0));
  EXPECT_NEAR(util_.SineDeg(30), 0.5, 1e-15);
  EXPECT_EQ(util_.CosineDeg(90), 0.0);
  EXPECT_EQ(util_.CosineDeg(270), 0.0);
  EXPECT_FALSE(std::signbit(util_.CosineDeg(270)));
  EXPECT_NEAR(util_.CosineDeg(60), 0.5, 1e-15);
  EXPECT_EQ(util_.CosineDeg(180), -1.0);
  EXPECT_NEAR(util_.TangentDeg(45), 1.0, 1e-14);
  EXPECT_THROW(util_.TangentDeg(90), OverflowError);
  EXPECT_THROW(util_.TangentDeg(-270), OverflowError);
  try {
    util_.TangentDeg(90);
  } catch (const std::overflow_error& error) {  // usable as a standard exception too
    EXPECT_EQ(dynamic_cast<const OverflowError&>(error).Number(), 6);
  }
}

}  // namespace
}  // namespace tarvik::util
