#include "util/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("tarvik_file_io_" + std::string(info->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The program's own form of a path: wide, "\" separators.
  std::wstring Path(const std::wstring& name) const {
    std::wstring base = root_.wstring();
    std::replace(base.begin(), base.end(), L'/', L'\\');
    return base + L"\\" + name;
  }
  std::vector<std::string> RawNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
};

TEST_F(FileIoTest, ChineseNamesRoundTripThroughBackslashPaths) {
  const std::wstring path = Path(L"笔记 1.tvk");
  ASSERT_TRUE(WriteFileAtomic(path, "abc\r\n中文"));
  EXPECT_EQ(RawNames(), std::vector<std::string>{"笔记 1.tvk"});
  EXPECT_EQ(ReadFileBytes(path), std::optional<std::string>("abc\r\n中文"));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FolderExists(path));
  EXPECT_EQ(ListFileNames(Path(L"")), std::vector<std::wstring>{L"笔记 1.tvk"});
}

TEST_F(FileIoTest, AtomicWriteReplacesAndLeavesNoTemporary) {
  const std::wstring path = Path(L"a.ini");
  ASSERT_TRUE(WriteFileAtomic(path, "old"));
  ASSERT_TRUE(WriteFileAtomic(path, ""));
  EXPECT_EQ(ReadFileBytes(path), std::optional<std::string>(""));
  EXPECT_EQ(RawNames(), std::vector<std::string>{"a.ini"});
}

TEST_F(FileIoTest, FailedAtomicWriteKeepsOldFileAndCleansUp) {
  // The target is a folder: the rename must fail, the temporary must go.
  fs::create_directories(root_ / "target" / "inner");
  EXPECT_FALSE(WriteFileAtomic(Path(L"target"), "new"));
  EXPECT_EQ(RawNames(), std::vector<std::string>{"target"});
  EXPECT_TRUE(fs::is_directory(root_ / "target" / "inner"));
  // Into a missing folder: nothing is created.
  EXPECT_FALSE(WriteFileAtomic(Path(L"missing\\x.txt"), "new"));
  EXPECT_FALSE(FolderExists(Path(L"missing")));
}

TEST_F(FileIoTest, MissingThingsAreReportedNotThrown) {
  EXPECT_EQ(ReadFileBytes(Path(L"nope")), std::nullopt);
  EXPECT_EQ(ReadFileBytes(Path(L"")), std::nullopt);  // a folder is not a file
  EXPECT_TRUE(ListFileNames(Path(L"nope")).empty());
  EXPECT_EQ(TryListFileNames(Path(L"nope")), std::nullopt);
  EXPECT_TRUE(RemoveFile(Path(L"nope")));
  EXPECT_FALSE(ReplaceFile(Path(L"nope"), Path(L"other")));
}

TEST_F(FileIoTest, ListingSeparatesFilesFromFolders) {
  ASSERT_TRUE(CreateFolder(Path(L"sub\\deeper")));
  ASSERT_TRUE(CreateFolder(Path(L"sub")));  // already there: still true
  ASSERT_TRUE(WriteFileDurable(Path(L"f.txt"), "x"));
  EXPECT_EQ(ListFileNames(Path(L"")), std::vector<std::wstring>{L"f.txt"});
  EXPECT_EQ(ListFolderNames(Path(L"")), std::vector<std::wstring>{L"sub"});
  EXPECT_EQ(ListFolderNames(Path(L"sub")), std::vector<std::wstring>{L"deeper"});
  EXPECT_FALSE(CreateFolder(Path(L"f.txt\\x")));
}

TEST_F(FileIoTest, TemporaryNamesAreDistinctAndMarked) {
  const std::wstring a = TemporarySiblingName(L"C:\\n\\x.tvk");
  const std::wstring b = TemporarySiblingName(L"C:\\n\\x.tvk");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(L"C:\\n\\x.tvk.tmp~", 0), 0u);
}

}  // namespace
}  // namespace tarvik::util
