#include "util/cls_util.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>
#include <vector>

#include "util/file_io.h"
#include "util/ini_file.h"
#include "util/reg_exp.h"
#include "util/text_codec.h"

namespace tarvik::util {
namespace {

constexpr unsigned kChineseCodePage = 936;
constexpr std::size_t kIniReadLimit = 254;  // 255-character buffer less its NUL
constexpr std::size_t kIniWriteLimit = 256;

// The first maxLength characters of text, also ending at a NUL as a C string would. A UTF-16
// surrogate pair is never split.
std::wstring Cut(const std::wstring& text, std::size_t maxLength) {
  std::size_t length = std::min(text.find(L'\0'), text.size());
  if (length > maxLength) {
    length = maxLength;
    if constexpr (sizeof(wchar_t) == 2) {
      const wchar_t last = text[length - 1];
      if (last >= 0xD800 && last <= 0xDBFF) --length;
    }
  }
  return text.substr(0, length);
}

std::wstring Join(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += L'|';
    joined += names[i];
  }
  return joined;
}

// One value in [0, 1) per seed (splitmix64), exactly representable as a float.
float UnitFromSeed(std::int64_t seed) {
  std::uint64_t z = static_cast<std::uint64_t>(seed) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<float>(z >> 40) / 16777216.0f;
}

}  // namespace

void clsUtil::Wait(std::int32_t WaitTime) const {
  clock_.PassTime(WaitTime > 0 ? static_cast<std::uint32_t>(WaitTime) : 0u);
}

void clsUtil::OpenFile(const std::wstring& FileName, std::int32_t ShowWindowMode,
                       platform::NativeHandle hWndOwner) const {
  process_.ShellOpen(FileName, ShowWindowMode, hWndOwner);
}

std::wstring clsUtil::GetInnerStringFromCLSID(std::int32_t InnerClsID) const {
  switch (InnerClsID) {
    case 0:
      return L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    case 1:
      return L"::{645FF040-5081-101B-9F08-00AA002F954E}";
    case 2:
      return L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}";
    case 3:
      return L"::{2227A280-3AEA-1069-A2DE-08002B30309D}";
    case 4:
      return L"::{450D8FBA-AD25-11D0-98A8-0800361B1103}";
    default:
      return L"";
  }
}

std::wstring clsUtil::SelectFolder(platform::NativeHandle ObjForm,
                                   const std::wstring& Prompt) const {
  const std::optional<std::wstring> chosen = dialogs_.BrowseForFolder(ObjForm, Prompt);
  if (!chosen) return L"";
  std::wstring path = Cut(*chosen, std::wstring::npos);
  // A virtual location (no file-system path) gives nothing rather than a bare "\".
  if (path.empty()) return L"";
  if (path.back() != L'\\') path += L'\\';
  return path;
}

void clsUtil::DeleteFolder(const std::wstring& FolderPath) const {
  if (FolderPath.empty()) return;
  RemoveFolderTree(FolderPath);
}

std::wstring clsUtil::EnumFilesInFolder(const std::wstring& FolderPath) const {
  return EnumFolder(FolderPath, false);
}

std::wstring clsUtil::EnumSubFoldersInFolder(const std::wstring& FolderPath) const {
  return EnumFolder(FolderPath, true);
}

std::wstring clsUtil::EnumFolder(const std::wstring& FolderPath, bool folders) const {
  if (FolderPath.empty()) return L"";
  ListError error = ListError::kNone;
  const auto names =
      folders ? TryListFolderNames(FolderPath, &error) : TryListFileNames(FolderPath, &error);
  if (names) return Join(*names);
  if (error == ListError::kMissing) return L"";
  // Half a listing would pass for the whole folder.
  throw FolderListError(FolderPath);
}

std::wstring clsUtil::ReadUTF8File(const std::wstring& FileName) const {
  if (FileName.empty() || !FileExists(FileName)) return L"";
  const std::optional<std::string> bytes = ReadFileBytes(FileName);
  if (!bytes) throw FileReadError(FileName);
  return FromUtf8(StripUtf8Bom(*bytes));
}

bool clsUtil::SaveUTF8File(const std::wstring& Text, const std::wstring& FileName) const {
  if (FileName.empty()) return false;
  return WriteFileAtomic(FileName, ToUtf8(Text));
}

std::wstring clsUtil::ReadANSIFile(const std::wstring& FileName) const {
  if (FileName.empty() || !FileExists(FileName)) return L"";
  const std::optional<std::string> bytes = ReadFileBytes(FileName);
  if (!bytes) throw FileReadError(FileName);
  return codePages_.DecodeCodePage(*bytes, kChineseCodePage);
}

bool clsUtil::SaveANSIFile(const std::wstring& Text, const std::wstring& FileName) const {
  if (FileName.empty()) return false;
  return WriteFileAtomic(FileName, codePages_.EncodeCodePage(Text, kChineseCodePage));
}

std::int16_t clsUtil::RandomInt(std::int16_t minimum, std::int16_t maximum) const {
  constexpr int kMin = std::numeric_limits<std::int16_t>::min();
  constexpr int kMax = std::numeric_limits<std::int16_t>::max();
  // maximum - minimum + 1 in 16-bit arithmetic: each step must fit.
  const int difference = int{maximum} - int{minimum};
  if (difference < kMin || difference > kMax || difference + 1 > kMax) throw OverflowError();
  const int span = difference + 1;
  const double value =
      std::floor(static_cast<double>(span) * static_cast<double>(RandomSingle())) + minimum;
  if (value < kMin || value > kMax) throw OverflowError();
  return static_cast<std::int16_t>(value);
}

float clsUtil::RandomSingle() const {
  const float raw = UnitFromSeed(-static_cast<std::int64_t>(clock_.TickCount()));
  // At most nine decimals, as the value reads when printed with "0.000000000".
  char text[32];
  const std::to_chars_result printed =
      std::to_chars(text, text + sizeof text, raw, std::chars_format::fixed, 9);
  float rounded = raw;
  if (printed.ec == std::errc()) std::from_chars(text, printed.ptr, rounded);
  return rounded;
}

std::wstring clsUtil::StringReplaceByRegExp(const std::wstring& SourceText,
                                            const std::wstring& MatchPattern,
                                            const std::wstring& ReplaceText) const {
  if (SourceText.empty()) return L"";
  if (MatchPattern.empty()) return SourceText;
  return RegExpReplaceAll(SourceText, MatchPattern, ReplaceText);
}

std::int32_t clsUtil::StringSearchByRegExp(const std::wstring& SourceText,
                                           const std::wstring& MatchPattern) const {
  if (SourceText.empty() || MatchPattern.empty()) return 0;
  const std::ptrdiff_t found = RegExpFind(SourceText, MatchPattern);
  if (found < 0) return -1;
  // Texts are far shorter than 2^31 characters (kMaxRegExpText).
  return static_cast<std::int32_t>(found + 1);
}

std::wstring clsUtil::ReadIniKeyValue(const std::wstring& FileName, const std::wstring& Section,
                                      const std::wstring& key,
                                      const std::wstring& DefaultValue) const {
  return Cut(ReadIniValue(FileName, Section, key, DefaultValue), kIniReadLimit);
}

bool clsUtil::WriteIniKeyValue(const std::wstring& FileName, const std::wstring& Section,
                               const std::wstring& key, const std::wstring& Value) const {
  return WriteIniValue(FileName, Section, key, Cut(Value, kIniWriteLimit));
}

double clsUtil::PI() const {
  return 3.1415926535897932384626433832795;
}

double clsUtil::ENB() const {
  return 2.7182818284590452353602874713527;
}

double clsUtil::SineDeg(double Degree) const {
  return std::sin(Degree / 180.0 * PI());
}

double clsUtil::CosineDeg(double Degree) const {
  const double rounded = std::nearbyint(std::cos(Degree / 180.0 * PI()) * 1e15) / 1e15;
  return rounded == 0.0 ? 0.0 : rounded;  // no -0 at 270 degrees
}

double clsUtil::TangentDeg(double Degree) const {
  const double cosine = CosineDeg(Degree);
  if (cosine == 0.0) throw OverflowError();
  return SineDeg(Degree) / cosine;
}

}  // namespace tarvik::util
