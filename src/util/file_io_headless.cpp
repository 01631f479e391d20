// POSIX side of the file helpers: the headless build runs on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::util {
namespace {

// Owns one file descriptor.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now so that a failing close (a late write error) can be reported.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool SyncFolder(const std::filesystem::path& folder) {
  UniqueFd fd(OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (!fd) return false;
  return ::fsync(fd.Get()) == 0 && fd.Close();
}

// A rename or unlink is durable only once its folder's entry list is flushed.
bool SyncFolderOf(const std::filesystem::path& path) {
  return SyncFolder(path.parent_path());
}

}  // namespace

std::filesystem::path ToFsPath(const std::wstring& path) {
  std::string narrow = ToUtf8(path);
  for (char& c : narrow) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(narrow);
}

std::wstring FromFsPath(const std::filesystem::path& path) {
  return FromUtf8(path.native());
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  // Straight to open(2): this runs once per note at start-up, so no path objects, no stat.
  std::string narrow = ToUtf8(path);
  std::replace(narrow.begin(), narrow.end(), '\\', '/');
  UniqueFd fd(OpenRetrying(narrow.c_str(), O_RDONLY));
  if (!fd) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;  // EISDIR for a folder among others
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

void ReadFilesInFolder(
    const std::wstring& folder, std::span<const std::wstring> names,
    const std::function<void(std::size_t index, std::optional<std::string> bytes)>& take) {
  for (std::size_t i = 0; i < names.size(); ++i) take(i, ReadFileBytes(folder + L"\\" + names[i]));
}

namespace {

bool WriteAll(const std::wstring& path, std::string_view bytes, bool flush) {
  const std::filesystem::path p = ToFsPath(path);
  UniqueFd fd(OpenRetrying(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (!fd) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return (!flush || ::fsync(fd.Get()) == 0) && fd.Close();
}

}  // namespace

bool WriteFileDurable(const std::wstring& path, std::string_view bytes) {
  return WriteAll(path, bytes, true);
}

bool WriteFileBuffered(const std::wstring& path, std::string_view bytes) {
  return WriteAll(path, bytes, false);
}

bool FlushFiles(const std::vector<std::wstring>& paths) {
  // One syncfs per folder writes back every file and the folder entries together.
  std::vector<std::filesystem::path> folders;
  for (const std::wstring& path : paths) {
    std::filesystem::path folder = ToFsPath(path).parent_path();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
    }
  }
  bool ok = true;
  for (const std::filesystem::path& folder : folders) {
    UniqueFd fd(OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    ok = fd && ::syncfs(fd.Get()) == 0 && ok;
  }
  return ok;
}

bool ReplaceFile(const std::wstring& from, const std::wstring& to) {
  const std::filesystem::path source = ToFsPath(from);
  const std::filesystem::path target = ToFsPath(to);
  if (::rename(source.c_str(), target.c_str()) != 0) return false;
  bool synced = SyncFolderOf(target);
  if (source.parent_path() != target.parent_path()) synced = SyncFolderOf(source) && synced;
  return synced;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  const std::filesystem::path source = ToFsPath(from);
  const std::filesystem::path target = ToFsPath(to);
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool FlushFolder(const std::wstring& folder) {
  return SyncFolder(ToFsPath(folder));
}

bool RemoveFile(const std::wstring& path) {
  const std::filesystem::path p = ToFsPath(path);
  return ::unlink(p.c_str()) == 0 || errno == ENOENT;
}

std::optional<std::vector<std::wstring>> ListFolderEntries(const std::wstring& folder, bool folders,
                                                           ListError* error) {
  namespace fs = std::filesystem;
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
    const bool wanted = folders ? fs::is_directory(status) : fs::is_regular_file(status);
    if (wanted) names.push_back(FromFsPath(it->path().filename()));
  }
  if (ec) return fail(ec);
  return names;
}

std::optional<std::vector<FileStamp>> TryListFileStamps(const std::wstring& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(ToFsPath(folder), ec);
  if (ec) return std::nullopt;
  std::vector<FileStamp> stamps;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return std::nullopt;
    if (!it->is_regular_file(ec) || ec) continue;
    FileStamp stamp;
    stamp.name = FromFsPath(it->path().filename());
    stamp.size = static_cast<std::uint64_t>(it->file_size(ec));
    if (ec) return std::nullopt;
    stamp.lastWrite = static_cast<std::int64_t>(it->last_write_time(ec).time_since_epoch().count());
    if (ec) return std::nullopt;
    stamps.push_back(std::move(stamp));
  }
  if (ec) return std::nullopt;
  return stamps;
}

namespace {

// A folder being deleted is opened up for its owner first, the way a read-only folder is on
// Windows: without write permission not even its entries could go. Opened as itself, so a
// link swapped in meanwhile is not followed.
void MakeWritable(const std::filesystem::path& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat status {};
  if (!fd || ::fstat(fd.Get(), &status) != 0) return;
  if ((status.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd.Get(), (status.st_mode & 07777) | S_IRWXU);
}

void RemoveTreeOf(const std::filesystem::path& folder) {
  MakeWritable(folder);
  std::vector<std::filesystem::path> children;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    children.push_back(it->path());
  }
  for (const std::filesystem::path& child : children) {
    std::error_code childEc;
    // A link is removed as the link; its target lies outside.
    if (std::filesystem::is_directory(std::filesystem::symlink_status(child, childEc)))
      RemoveTreeOf(child);
    std::filesystem::remove(child, childEc);
  }
  std::filesystem::remove(folder, ec);
}

}  // namespace

bool RemoveEmptyFolder(const std::wstring& folder) {
  const std::filesystem::path p = ToFsPath(folder);
  return ::rmdir(p.c_str()) == 0 || errno == ENOENT;
}

void RemoveFolderTree(const std::wstring& folder) {
  const std::filesystem::path path = ToFsPath(folder);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
  if (ec || !std::filesystem::exists(status)) return;
  if (std::filesystem::is_symlink(status)) {
    if (std::filesystem::is_directory(path, ec)) std::filesystem::remove(path, ec);
    return;
  }
  if (std::filesystem::is_directory(status)) RemoveTreeOf(path);
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
  return path;
}

std::wstring TemporarySiblingName(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::wstring(kTemporaryMark) + std::to_wstring(::getpid()) + L"-" +
         std::to_wstring(++counter);
}

std::optional<std::string> FolderIdentity(const std::wstring& folder) {
  struct stat info;
  if (::stat(ToUtf8(folder).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return std::to_string(static_cast<std::uint64_t>(info.st_dev)) + ":" +
         std::to_string(static_cast<std::uint64_t>(info.st_ino));
}

}  // namespace tarvik::util
