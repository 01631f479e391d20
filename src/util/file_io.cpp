#include "util/file_io.h"

#include <system_error>

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;

enum class EntryKind { kFile, kFolder };

std::optional<std::vector<std::wstring>> ListEntries(const std::wstring& folder, EntryKind kind,
                                                     ListError* error) {
  const auto fail = [&](const std::error_code& ec) -> std::optional<std::vector<std::wstring>> {
    if (error) {
      *error = ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory
                   ? ListError::kMissing
                   : ListError::kFailed;
    }
    return std::nullopt;
  };
  if (error) *error = ListError::kNone;
  std::error_code ec;
  fs::directory_iterator it(ToFsPath(folder), ec);
  if (ec) return fail(ec);
  std::vector<std::wstring> names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return fail(ec);
    // A link is listed by what it leads to; a dangling one is neither file nor folder.
    const fs::file_status status = it->status(ec);
    if (ec && ec != std::errc::no_such_file_or_directory) return fail(ec);
    const bool wanted =
        kind == EntryKind::kFile ? fs::is_regular_file(status) : fs::is_directory(status);
    if (wanted) names.push_back(FromFsPath(it->path().filename()));
  }
  if (ec) return fail(ec);
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

std::vector<std::wstring> ListFolderNames(const std::wstring& folder) {
  return TryListFolderNames(folder).value_or(std::vector<std::wstring>{});
}

std::optional<std::vector<std::wstring>> TryListFileNames(const std::wstring& folder,
                                                          ListError* error) {
  return ListEntries(folder, EntryKind::kFile, error);
}

std::optional<std::vector<std::wstring>> TryListFolderNames(const std::wstring& folder,
                                                            ListError* error) {
  return ListEntries(folder, EntryKind::kFolder, error);
}

}  // namespace tarvik::util
