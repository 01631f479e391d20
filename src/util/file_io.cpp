#include "util/file_io.h"

#include <system_error>

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;

enum class EntryKind { kFile, kFolder };

std::optional<std::vector<std::wstring>> ListEntries(const std::wstring& folder, EntryKind kind) {
  std::error_code ec;
  fs::directory_iterator it(ToFsPath(folder), ec);
  if (ec) return std::nullopt;
  std::vector<std::wstring> names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return std::nullopt;
    std::error_code typeEc;
    const bool wanted =
        kind == EntryKind::kFile ? it->is_regular_file(typeEc) : it->is_directory(typeEc);
    if (wanted && !typeEc) names.push_back(FromFsPath(it->path().filename()));
  }
  if (ec) return std::nullopt;
  return names;
}

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

std::optional<std::vector<std::wstring>> TryListFileNames(const std::wstring& folder) {
  return ListEntries(folder, EntryKind::kFile);
}

std::vector<std::wstring> ListFolderNames(const std::wstring& folder) {
  return ListEntries(folder, EntryKind::kFolder).value_or(std::vector<std::wstring>{});
}

}  // namespace tarvik::util
