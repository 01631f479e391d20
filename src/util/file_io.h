#pragma once
// Whole-file access for the program's paths. Paths are wide and use "\" as the separator,
// as the program builds them (folder + "\" + name); on POSIX builds "\" maps to "/".
//
// Every write that replaces a file goes through a flushed sibling temporary and a rename,
// so a file is either the old one or the new one, never half-written.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::util {

std::filesystem::path ToFsPath(const std::wstring& path);
// The program's wide form of a name or path the file system gave back.
std::wstring FromFsPath(const std::filesystem::path& path);

bool FileExists(const std::wstring& path);    // a regular file (not a folder)
bool FolderExists(const std::wstring& path);  // a folder
bool CreateFolder(const std::wstring& path);  // true when it exists afterwards

// The whole file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// The named files of one folder, each handed to take as ReadFileBytes would give it but tried
// once: the
// folder is opened once and each file relative to it, which spares every open the walk of
// the whole path.
void ReadFilesInFolder(
    const std::wstring& folder, std::span<const std::wstring> names,
    const std::function<void(std::size_t index, std::optional<std::string> bytes)>& take);

// Creates or truncates path, writes bytes and flushes them to the disk. No rename.
bool WriteFileDurable(const std::wstring& path, std::string_view bytes);

// Creates or truncates path and writes bytes without waiting for the disk; FlushFiles then
// makes a whole batch durable at once, far cheaper than a flush per file.
bool WriteFileBuffered(const std::wstring& path, std::string_view bytes);
bool FlushFiles(const std::vector<std::wstring>& paths);

// Renames from over to (replacing it), flushed through to the disk. Retries for about a
// second while another program briefly holds either file.
bool ReplaceFile(const std::wstring& from, const std::wstring& to);

// Writes a sibling temporary, flushes it, renames it over path. On failure the old file is
// unchanged, the temporary is removed and the result is false.
bool WriteFileAtomic(const std::wstring& path, std::string_view bytes);

// Renames from over to (replacing it) without waiting for the disk; several renames in one
// folder are then made durable together with FlushFolder. Retries like ReplaceFile.
bool RenameFile(const std::wstring& from, const std::wstring& to);

// Makes the creations, renames and removals in folder durable.
bool FlushFolder(const std::wstring& folder);

// True when the file is gone afterwards. Not flushed: see FlushFolder.
bool RemoveFile(const std::wstring& path);

// Removes the folder only when it is empty; true when it is gone afterwards. A link in its
// place is removed as the link.
bool RemoveEmptyFolder(const std::wstring& folder);

// Deletes the folder and everything in it as far as it can, going on past what it cannot
// remove. A symbolic link or junction, inside or as the folder itself, is removed as the link
// and never entered, so nothing outside the folder is touched.
void RemoveFolderTree(const std::wstring& folder);

// On Windows, path in the "\\?\" form when it is long enough to need it (a temporary's suffix
// would push it past MAX_PATH); otherwise, and elsewhere, path unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Names (without folder) of the regular files / subfolders directly in folder, in the
// order the file system lists them; empty when the folder is missing.
std::vector<std::wstring> ListFileNames(const std::wstring& folder);
std::vector<std::wstring> ListFolderNames(const std::wstring& folder);
// The same, telling a folder that cannot be read (or not to the end) apart from an empty one;
// error, when given, says whether the folder is simply missing.
enum class ListError { kNone, kMissing, kFailed };
std::optional<std::vector<std::wstring>> TryListFileNames(const std::wstring& folder,
                                                          ListError* error = nullptr);
std::optional<std::vector<std::wstring>> TryListFolderNames(const std::wstring& folder,
                                                            ListError* error = nullptr);

// Each backend's listing behind the ones above: the names of the files (folders false) or
// subfolders (true) directly in folder; nothing when it cannot be listed, with error (when
// given) telling a missing folder from one that could not be read.
std::optional<std::vector<std::wstring>> ListFolderEntries(const std::wstring& folder, bool folders,
                                                           ListError* error);

// The regular files directly in folder with their sizes and last-write times, as one listing
// gives them (no file is opened); nothing when the folder cannot be listed to the end.
struct FileStamp {
  std::wstring name;
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;  // in the file system's own ticks; only compared for equality
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
std::optional<std::vector<FileStamp>> TryListFileStamps(const std::wstring& folder);

// The name WriteFileAtomic gives its temporary for path: path + ".tmp~" + a token unique to
// this process and call. Leftovers after a crash are recognised by the ".tmp~" part.
std::wstring TemporarySiblingName(const std::wstring& path);
inline constexpr std::wstring_view kTemporaryMark = L".tmp~";

// The folder's identity on this machine (its volume and its number there), the same through
// every spelling of its path: a link, a junction, a substituted or mapped drive. Nothing when
// the folder cannot be opened.
std::optional<std::string> FolderIdentity(const std::wstring& folder);

}  // namespace tarvik::util
