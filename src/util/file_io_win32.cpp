// Win32 side of the file helpers: wide APIs only, flushed through to the disk.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileW; ours is a different function.
#undef ReplaceFile

#include <atomic>
#include <limits>

#include "util/file_io.h"

namespace tarvik::util {
namespace {

// Owns one kernel file handle.
class UniqueFileHandle {
 public:
  explicit UniqueFileHandle(HANDLE handle) : handle_(handle) {}
  UniqueFileHandle(const UniqueFileHandle&) = delete;
  UniqueFileHandle& operator=(const UniqueFileHandle&) = delete;
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
  Retrying([&] {
    handle = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  return handle;
}

}  // namespace

std::filesystem::path ToFsPath(const std::wstring& path) {
  return std::filesystem::path(path);
}

std::wstring FromFsPath(const std::filesystem::path& path) {
  return path.wstring();
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  UniqueFileHandle file(OpenRetrying(path, GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
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
    if (!::ReadFile(file.Get(), bytes.data() + got, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    got += read;
  }
  bytes.resize(got);
  return bytes;
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
  return Retrying([&] {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  });
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  return Retrying(
      [&] { return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE; });
}

// NTFS journals its folder changes itself, and a folder cannot be flushed without backup
// privileges; the write-through renames and flushed files are what matter there.
bool FlushFolder(const std::wstring& folder) {
  return FolderExists(folder);
}

bool RemoveFile(const std::wstring& path) {
  bool gone = false;
  Retrying([&] {
    if (::DeleteFileW(path.c_str())) return gone = true;
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
std::optional<std::vector<std::wstring>> ListFolderEntries(const std::wstring& folder,
                                                           bool folders) {
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = folder + L"\\*";
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::vector<std::wstring> names;
  if (find == INVALID_HANDLE_VALUE) {
    // An empty volume root lists nothing at all; anything else is a folder we cannot read.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
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
  if (!complete) return std::nullopt;
  return names;
}

std::wstring TemporarySiblingName(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::wstring(kTemporaryMark) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

}  // namespace tarvik::util
