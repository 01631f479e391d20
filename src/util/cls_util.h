#pragma once
// General services of the program: waiting, shell launch, folders, whole-file text in UTF-8
// or the Chinese code page, random numbers, regular expressions, INI keys and degree-based
// trigonometry. The class holds no state of its own; the platform supplies the clock (and with
// it the event pump), the shell, the folder dialog and the code page conversion.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "util/reg_exp.h"

namespace tarvik::util {

// An arithmetic overflow the caller has to handle (runtime error number 6).
class OverflowError : public std::overflow_error {
 public:
  OverflowError() : std::overflow_error("Overflow") {}
  static constexpr int kNumber = 6;
  int Number() const noexcept { return kNumber; }
};

// An existing file that could not be read. Reading never pretends such a file is empty.
class FileReadError : public std::runtime_error {
 public:
  explicit FileReadError(std::wstring fileName)
      : std::runtime_error("The file cannot be read"), fileName_(std::move(fileName)) {}
  const std::wstring& FileName() const noexcept { return fileName_; }

 private:
  std::wstring fileName_;
};

// A folder that exists but could not be listed, or not to the end.
class FolderListError : public std::runtime_error {
 public:
  explicit FolderListError(std::wstring folderPath)
      : std::runtime_error("The folder cannot be listed"), folderPath_(std::move(folderPath)) {}
  const std::wstring& FolderPath() const noexcept { return folderPath_; }

 private:
  std::wstring folderPath_;
};

class clsUtil {
 public:
  using Roles = platform::Roles<platform::Clock, platform::ProcessServices, platform::SystemDialogs,
                                platform::CodePages>;
  explicit clsUtil(Roles roles)
      : clock_(roles.Get<platform::Clock>()),
        process_(roles.Get<platform::ProcessServices>()),
        dialogs_(roles.Get<platform::SystemDialogs>()),
        codePages_(roles.Get<platform::CodePages>()) {}

  // Keeps the user interface responsive while WaitTime milliseconds pass.
  void Wait(std::int32_t WaitTime) const;
  // Opens FileName (a path or a shell location) with the shell's explorer.
  void OpenFile(const std::wstring& FileName, std::int32_t ShowWindowMode,
                platform::NativeHandle hWndOwner) const;
  // "::{CLSID}" of the computer (0), recycle bin (1), control panel (2), printers (3) or
  // documents (4); "" for any other value.
  std::wstring GetInnerStringFromCLSID(std::int32_t InnerClsID) const;
  // The chosen folder with a trailing "\", or "" when cancelled.
  std::wstring SelectFolder(platform::NativeHandle ObjForm, const std::wstring& Prompt) const;

  // Deletes the folder and everything in it, as far as possible; errors are ignored.
  void DeleteFolder(const std::wstring& FolderPath) const;
  // Names of the files / subfolders directly in the folder joined by "|"; "" when the path
  // is empty or the folder is missing. Throws FolderListError when it cannot be listed.
  std::wstring EnumFilesInFolder(const std::wstring& FolderPath) const;
  std::wstring EnumSubFoldersInFolder(const std::wstring& FolderPath) const;

  // The whole file as text; "" for an empty or missing path. A leading byte-order mark is
  // dropped and invalid UTF-8 becomes U+FFFD. Throws FileReadError when the file exists but
  // cannot be read.
  std::wstring ReadUTF8File(const std::wstring& FileName) const;
  // Replaces the file with Text as UTF-8 without a byte-order mark, atomically: on failure
  // the old file stays as it was and the result is false. Callers may ignore the result.
  bool SaveUTF8File(const std::wstring& Text, const std::wstring& FileName) const;
  // The same in code page 936 (GB2312/GBK). Characters it cannot hold are saved as '?'.
  std::wstring ReadANSIFile(const std::wstring& FileName) const;
  bool SaveANSIFile(const std::wstring& Text, const std::wstring& FileName) const;

  // A whole number from minimum up to maximum. Throws OverflowError when
  // maximum - minimum + 1 or the result does not fit in 16 bits.
  std::int16_t RandomInt(std::int16_t minimum, std::int16_t maximum) const;
  // A value in [0, 1) with at most nine decimals, fixed by the millisecond tick count: two
  // calls within the same millisecond give the same value.
  float RandomSingle() const;

  // Case-sensitive, global, multi-line (ECMAScript dialect; "$1" in ReplaceText names a
  // group). Raises RegExpError (util/reg_exp.h) for an invalid pattern, or a pattern or text
  // too large for the engine.
  std::wstring StringReplaceByRegExp(const std::wstring& SourceText,
                                     const std::wstring& MatchPattern,
                                     const std::wstring& ReplaceText) const;
  // The 1-based position of the first match, -1 without a match, 0 when SourceText or
  // MatchPattern is "". Raises RegExpError as StringReplaceByRegExp does.
  std::int32_t StringSearchByRegExp(const std::wstring& SourceText,
                                    const std::wstring& MatchPattern) const;

  // The key's value, at most 254 characters; DefaultValue (cut the same way) when the file,
  // section or key is missing.
  std::wstring ReadIniKeyValue(const std::wstring& FileName, const std::wstring& Section,
                               const std::wstring& key, const std::wstring& DefaultValue) const;
  // Sets the key to the first 256 characters of Value, creating file, section and key as
  // needed and keeping the rest of the file. False, with the file unchanged, when it could
  // not be written or the names or value would break the file's lines.
  bool WriteIniKeyValue(const std::wstring& FileName, const std::wstring& Section,
                        const std::wstring& key, const std::wstring& Value) const;

  double PI() const;
  double ENB() const;
  double SineDeg(double Degree) const;
  // Rounded to 15 decimals, so that 90 degrees gives exactly 0.
  double CosineDeg(double Degree) const;
  // Throws OverflowError where the cosine is 0 (90, 270, ... degrees).
  double TangentDeg(double Degree) const;

 private:
  std::wstring EnumFolder(const std::wstring& FolderPath, bool folders) const;

  platform::Clock& clock_;
  platform::ProcessServices& process_;
  platform::SystemDialogs& dialogs_;
  platform::CodePages& codePages_;
};

}  // namespace tarvik::util
