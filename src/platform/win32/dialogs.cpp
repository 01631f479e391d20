#include "platform/win32/dialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/translate.h"

namespace tarvik::platform::win32 {

namespace {

// Room for any path the dialogs can return, long paths included.
constexpr std::size_t kFileBufferChars = 32 * 1024;

// The common dialogs' library is loaded when a dialog is first asked for: linked in, it costs
// every start about a fifth of the time to the first window under Wine, for a dialog most runs
// never show. Only from the system folder, never a same-named file beside the program.
struct CommonDialogs {
  decltype(&::GetOpenFileNameW) open = nullptr;
  decltype(&::GetSaveFileNameW) save = nullptr;
  decltype(&::CommDlgExtendedError) error = nullptr;
};

const CommonDialogs* LoadCommonDialogs() {
  static const CommonDialogs loaded = [] {
    CommonDialogs d;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return d;
    const HMODULE module = ::LoadLibraryW((std::wstring(system) + L"\\comdlg32.dll").c_str());
    if (!module) return d;
    d.open = reinterpret_cast<decltype(d.open)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "GetOpenFileNameW")));
    d.save = reinterpret_cast<decltype(d.save)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "GetSaveFileNameW")));
    d.error = reinterpret_cast<decltype(d.error)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CommDlgExtendedError")));
    return d;
  }();
  return loaded.open && loaded.save && loaded.error ? &loaded : nullptr;
}

}  // namespace

FileDialogResult RunFileDialog(const FileDialogRequest& request) {
  FileDialogResult result;
  std::wstring file(kFileBufferChars, L'\0');
  // An initial name too long for the buffer is dropped rather than cut into another name.
  if (request.fileName.size() < file.size()) {
    file.replace(0, request.fileName.size(), request.fileName);
  }
  const std::wstring filter = FilterToNulSeparated(request.filter);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = reinterpret_cast<HWND>(request.owner);
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex > 0 ? request.filterIndex : 1);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.Flags = OFN_EXPLORER;
  if (request.save && request.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  // With a default extension set, the dialog adds the selected filter's extension instead
  // when that filter names one.
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();

  const CommonDialogs* dialogs = LoadCommonDialogs();
  if (!dialogs) {
    result.outcome = FileDialogResult::Outcome::Failed;
    result.errorCode = ::GetLastError();
    return result;
  }
  const BOOL confirmed = request.save ? dialogs->save(&ofn) : dialogs->open(&ofn);
  if (!confirmed) {
    const DWORD error = dialogs->error();
    result.outcome =
        error == 0 ? FileDialogResult::Outcome::Cancelled : FileDialogResult::Outcome::Failed;
    result.errorCode = error;
    return result;
  }
  file.resize(::wcsnlen(file.c_str(), file.size()));
  result.outcome = FileDialogResult::Outcome::Confirmed;
  result.fileTitle = FileTitleFromOffset(file, ofn.nFileOffset);
  result.fileName = std::move(file);
  return result;
}

std::optional<std::wstring> RunFolderBrowser(NativeHandle owner, const std::wstring& prompt) {
  ComApartment apartment;
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = reinterpret_cast<HWND>(owner);
  info.pszDisplayName = displayName;
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;

  unique_cotaskmem pidl(::SHBrowseForFolderW(&info));
  if (!pidl) return std::nullopt;
  // The Ex form takes a buffer size, so folders deeper than MAX_PATH come back whole.
  std::wstring path(kFileBufferChars, L'\0');
  if (!::SHGetPathFromIDListEx(static_cast<PCIDLIST_ABSOLUTE>(pidl.get()), path.data(),
                               static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
    return std::nullopt;  // a virtual folder (Control Panel, ...) has no file-system path
  }
  path.resize(::wcsnlen(path.c_str(), path.size()));
  return path;
}

}  // namespace tarvik::platform::win32
