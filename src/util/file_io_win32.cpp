// Win32 side of the file helpers: wide APIs only, flushed through to the disk.
#include <windows.h>
#include <winternl.h>
// <windows.h> maps ReplaceFile to ReplaceFileW; ours is a different function.
#undef ReplaceFile

#include <atomic>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/file_io.h"

namespace tarvik::util {
namespace {

// Owns one kernel file handle.
class UniqueFileHandle {
 public:
  explicit UniqueFileHandle(HANDLE handle) : handle_(handle) {}
  UniqueFileHandle(const UniqueFileHandle&) = delete;
  UniqueFileHandle& operator=(const UniqueFileHandle&) = delete;
  UniqueFileHandle(UniqueFileHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  ~UniqueFileHandle() {
    if (*this) ::CloseHandle(handle_);
  }
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  bool Close() {
    const HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return h == INVALID_HANDLE_VALUE || h == nullptr || ::CloseHandle(h) != FALSE;
  }

 private:
  HANDLE handle_;
};

// Virus scanners, indexers and backup tools open files for a moment; wait them out.
bool IsTransientError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 100;

template <typename Attempt>
bool Retrying(Attempt attempt) {
  for (int i = 0;; ++i) {
    if (attempt()) return true;
    if (i + 1 >= kAttempts || !IsTransientError(::GetLastError())) return false;
    ::Sleep(kRetryDelayMs);
  }
}

HANDLE OpenRetrying(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const std::wstring longPath = ExtendedLengthPath(path);
  Retrying([&] {
    handle = ::CreateFileW(longPath.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  return handle;
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  // Below MAX_PATH less room for a temporary's suffix every API takes the plain form; longer
  // absolute paths need the "\\?\" form, which is passed through unparsed, so only paths
  // made of "\" separators without "." or ".." parts are given it.
  constexpr std::size_t kPlainLimit = 200;
  if (path.size() < kPlainLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.find(L'/') != std::wstring::npos || path.find(L"\\.\\") != std::wstring::npos ||
      path.find(L"\\..") != std::wstring::npos) {
    return path;
  }
  const bool drive = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
  if (drive) return L"\\\\?\\" + path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

std::filesystem::path ToFsPath(const std::wstring& path) {
  return std::filesystem::path(path);
}

std::wstring FromFsPath(const std::filesystem::path& path) {
  return path.wstring();
}

namespace {

// Everything after the open: the size, then the bytes until the end, should the file grow.
std::optional<std::string> ReadOpenFile(HANDLE file) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) >
          std::numeric_limits<std::size_t>::max() / 2) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(bytes.size() + 4096);  // the file grew meanwhile
    const std::size_t want = bytes.size() - got;
    DWORD chunk = want > (1u << 30) ? (1u << 30) : static_cast<DWORD>(want);
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data() + got, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    got += read;
  }
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  UniqueFileHandle file(OpenRetrying(path, GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) return std::nullopt;
  return ReadOpenFile(file.Get());
}

void ReadFilesInFolder(
    const std::wstring& folder, std::span<const std::wstring> names,
    const std::function<void(std::size_t index, std::optional<std::string> bytes)>& take) {
  UniqueFileHandle directory(::CreateFileW(
      ExtendedLengthPath(folder).c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::wstring& name = names[i];
    constexpr std::size_t kLongestName = 32767;
    if (!directory || name.empty() || name.size() > kLongestName ||
        name.find_first_of(L"\\/") != std::wstring::npos) {
      take(i, ReadFileBytes(folder + L"\\" + name));
      continue;
    }
    UNICODE_STRING relative{};
    relative.Buffer = const_cast<wchar_t*>(name.c_str());
    relative.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    relative.MaximumLength = relative.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &relative, OBJ_CASE_INSENSITIVE, directory.Get(),
                               nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    constexpr ULONG kOpenExisting = 0x00000001;    // FILE_OPEN
    constexpr ULONG kSynchronousIo = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
    constexpr ULONG kNotADirectory = 0x00000040;   // FILE_NON_DIRECTORY_FILE
    constexpr ULONG kSequentialOnly = 0x00000004;  // FILE_SEQUENTIAL_ONLY
    if (::NtCreateFile(&handle, GENERIC_READ | SYNCHRONIZE, &attributes, &status, nullptr, 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kOpenExisting,
                       kSynchronousIo | kNotADirectory | kSequentialOnly, nullptr, 0) < 0) {
      take(i, std::nullopt);  // held, gone or refused: the caller's own retries take it
      continue;
    }
    std::optional<std::string> bytes;
    {
      UniqueFileHandle file(handle);
      bytes = ReadOpenFile(file.Get());
    }
    take(i, std::move(bytes));
  }
}

namespace {

bool WriteAll(const std::wstring& path, std::string_view bytes, bool flush) {
  UniqueFileHandle file(OpenRetrying(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return (!flush || ::FlushFileBuffers(file.Get()) != FALSE) && file.Close();
}

}  // namespace

bool WriteFileDurable(const std::wstring& path, std::string_view bytes) {
  return WriteAll(path, bytes, true);
}

bool WriteFileBuffered(const std::wstring& path, std::string_view bytes) {
  return WriteAll(path, bytes, false);
}

// Windows has no batch flush short of flushing the whole volume (administrators only).
bool FlushFiles(const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    UniqueFileHandle file(OpenRetrying(path, GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file || !::FlushFileBuffers(file.Get())) return false;
  }
  return true;
}

bool ReplaceFile(const std::wstring& from, const std::wstring& to) {
  const std::wstring source = ExtendedLengthPath(from);
  const std::wstring target = ExtendedLengthPath(to);
  return Retrying([&] {
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  });
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  const std::wstring source = ExtendedLengthPath(from);
  const std::wstring target = ExtendedLengthPath(to);
  return Retrying([&] {
    return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  });
}

// NTFS journals its folder changes itself, and a folder cannot be flushed without backup
// privileges; the write-through renames and flushed files are what matter there.
bool FlushFolder(const std::wstring& folder) {
  return FolderExists(folder);
}

bool RemoveFile(const std::wstring& path) {
  const std::wstring longPath = ExtendedLengthPath(path);
  bool gone = false;
  Retrying([&] {
    if (::DeleteFileW(longPath.c_str())) return gone = true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return gone = true;
    ::SetLastError(error);
    return false;
  });
  return gone;
}

// One pass of FindFirstFileEx: the listing carries each entry's attributes, where asking the
// type of each name afterwards (as std::filesystem does here) costs a file-system round trip
// per entry, a second per thousand notes under Wine. A link to a file counts as a file, as
// it would when opened; a link to a folder counts as a folder.
std::optional<std::vector<std::wstring>> ListFolderEntries(const std::wstring& folder, bool folders,
                                                           ListError* error) {
  if (error) *error = ListError::kNone;
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = ExtendedLengthPath(folder + L"\\*");
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::vector<std::wstring> names;
  if (find == INVALID_HANDLE_VALUE) {
    // An empty volume root lists nothing at all; anything else is a folder we cannot read.
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return names;
    if (error) {
      *error = code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY || code == ERROR_INVALID_NAME
                   ? ListError::kMissing
                   : ListError::kFailed;
    }
    return std::nullopt;
  }
  bool complete = true;
  for (;;) {
    const std::wstring_view name = entry.cFileName;
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != L"." && name != L".." && isFolder == folders) names.emplace_back(name);
    if (!::FindNextFileW(find, &entry)) {
      complete = ::GetLastError() == ERROR_NO_MORE_FILES;
      break;
    }
  }
  ::FindClose(find);
  if (!complete) {
    if (error) *error = ListError::kFailed;
    return std::nullopt;
  }
  return names;
}

std::optional<std::vector<FileStamp>> TryListFileStamps(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = ExtendedLengthPath(folder + L"\\*");
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::vector<FileStamp> stamps;
  if (find == INVALID_HANDLE_VALUE) {
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return stamps;
    return std::nullopt;
  }
  bool complete = true;
  for (;;) {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      FileStamp stamp;
      stamp.name = entry.cFileName;
      stamp.size = static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
      stamp.lastWrite = static_cast<std::int64_t>(
          static_cast<std::uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32 |
          entry.ftLastWriteTime.dwLowDateTime);
      stamps.push_back(std::move(stamp));
    }
    if (!::FindNextFileW(find, &entry)) {
      complete = ::GetLastError() == ERROR_NO_MORE_FILES;
      break;
    }
  }
  ::FindClose(find);
  if (!complete) return std::nullopt;
  return stamps;
}

namespace {

struct FolderEntry {
  std::wstring name;
  DWORD attributes;
};

std::optional<std::vector<FolderEntry>> ListEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const std::wstring pattern = ExtendedLengthPath(folder + L"\\*");
  const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") entries.push_back({data.cFileName, data.dwFileAttributes});
  } while (::FindNextFileW(find, &data));
  const DWORD error = ::GetLastError();
  ::FindClose(find);
  if (error != ERROR_NO_MORE_FILES) return std::nullopt;
  return entries;
}

// An entry is opened as itself, never as what a link leads to. What it was listed as must
// still hold (a link, or not): something swapped in meanwhile is left alone.
UniqueFileHandle OpenEntry(const std::wstring& path, DWORD access, bool link) {
  UniqueFileHandle entry(
      ::CreateFileW(ExtendedLengthPath(path).c_str(), access | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return entry;
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(entry.Get(), FileAttributeTagInfo, &info, sizeof info) ||
      ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) != link) {
    return UniqueFileHandle(INVALID_HANDLE_VALUE);
  }
  return entry;
}

// Deleting a folder takes its read-only files with it, as the shell does; the attribute
// only guards a file against being changed or deleted on its own.
void ClearReadOnly(HANDLE entry) {
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic) ||
      !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    return;
  }
  FILE_BASIC_INFO changed{};  // zero times stay as they are
  changed.FileAttributes = basic.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (changed.FileAttributes == 0) changed.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  ::SetFileInformationByHandle(entry, FileBasicInfo, &changed, sizeof changed);
}

// A symbolic link or junction is removed through a handle on the link itself, never on what
// it leads to. Where the system cannot address the link itself (Wine opens the target even
// when asked for the link) it is left in place.
void RemoveLink(const std::wstring& path) {
  const UniqueFileHandle link = OpenEntry(path, DELETE, true);
  if (!link) return;
  FILE_DISPOSITION_INFO dispose{TRUE};  // delete on close
  ::SetFileInformationByHandle(link.Get(), FileDispositionInfo, &dispose, sizeof dispose);
}

// DeleteFileW removes a link that took the file's place meanwhile, not what it leads to.
void RemoveListedFile(const std::wstring& path, DWORD listedAttributes) {
  if (listedAttributes & FILE_ATTRIBUTE_READONLY) {
    if (const UniqueFileHandle file = OpenEntry(path, FILE_WRITE_ATTRIBUTES, false)) {
      ClearReadOnly(file.Get());
    }
  }
  ::DeleteFileW(ExtendedLengthPath(path).c_str());
}

// Where the path really leads, or nothing when that cannot be told.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(ExtendedLengthPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  std::wstring final(1024, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(file.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (length == 0) return std::nullopt;
    if (length < final.size()) {
      final.resize(length);
      return final;
    }
    final.resize(length + 1);
  }
  return std::nullopt;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void RemoveTreeOf(const std::wstring& folder) {
  // RemoveDirectoryW refuses a read-only folder.
  if (const UniqueFileHandle self = OpenEntry(folder, FILE_WRITE_ATTRIBUTES, false)) {
    ClearReadOnly(self.Get());
  }
  // A link that does not say it is one (Wine shows a link to a file as a plain file) still
  // leads somewhere else than its own place in the folder: such an entry is left alone.
  const std::optional<std::wstring> folderFinal = FinalPath(folder);
  const auto leadsElsewhere = [&](const std::wstring& path, const std::wstring& name) {
    if (!folderFinal) return false;
    const std::optional<std::wstring> final = FinalPath(path);
    return !final || !SamePath(*final, *folderFinal + L"\\" + name);
  };
  if (const auto entries = ListEntries(folder)) {
    for (const FolderEntry& entry : *entries) {
      const std::wstring path = folder + L"\\" + entry.name;
      if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLink(path);
      } else if (leadsElsewhere(path, entry.name)) {
        continue;
      } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeOf(path);
      } else {
        RemoveListedFile(path, entry.attributes);
      }
    }
  }
  ::RemoveDirectoryW(ExtendedLengthPath(folder).c_str());
}

}  // namespace

bool RemoveEmptyFolder(const std::wstring& folder) {
  if (::RemoveDirectoryW(ExtendedLengthPath(folder).c_str())) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void RemoveFolderTree(const std::wstring& folder) {
  std::wstring path = folder;
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    RemoveLink(path);
    return;
  }
  RemoveTreeOf(path);
}

std::wstring TemporarySiblingName(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::wstring(kTemporaryMark) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

std::optional<std::string> FolderIdentity(const std::wstring& folder) {
  const UniqueFileHandle opened(
      ::CreateFileW(ExtendedLengthPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!opened || !::GetFileInformationByHandle(opened.Get(), &info)) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" +
         std::to_string(static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow);
}

}  // namespace tarvik::util
