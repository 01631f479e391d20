#include "util/file_io.h"

#include <system_error>

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;

}  // namespace

bool FileExists(const std::wstring& path) {
  std::error_code ec;
  return fs::is_regular_file(ToFsPath(path), ec);
}

bool FolderExists(const std::wstring& path) {
  std::error_code ec;
  return fs::is_directory(ToFsPath(path), ec);
}

bool CreateFolder(const std::wstring& path) {
  std::error_code ec;
  const fs::path p = ToFsPath(path);
  fs::create_directories(p, ec);
  return fs::is_directory(p, ec);
}

bool WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = TemporarySiblingName(path);
  if (!WriteFileDurable(temporary, bytes) || !ReplaceFile(temporary, path)) {
    RemoveFile(temporary);
    return false;
  }
  return true;
}

std::vector<std::wstring> ListFileNames(const std::wstring& folder) {
  return TryListFileNames(folder).value_or(std::vector<std::wstring>{});
}

std::vector<std::wstring> ListFolderNames(const std::wstring& folder) {
  return TryListFolderNames(folder).value_or(std::vector<std::wstring>{});
}

std::optional<std::vector<std::wstring>> TryListFileNames(const std::wstring& folder,
                                                          ListError* error) {
  return ListFolderEntries(folder, false, error);
}

std::optional<std::vector<std::wstring>> TryListFolderNames(const std::wstring& folder,
                                                            ListError* error) {
  return ListFolderEntries(folder, true, error);
}

}  // namespace tarvik::util
