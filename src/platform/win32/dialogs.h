#pragma once
// The system's modal dialogs behind the platform's neutral requests.

#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvik::platform::win32 {

FileDialogResult RunFileDialog(const FileDialogRequest& request);
std::optional<std::wstring> RunFolderBrowser(NativeHandle owner, const std::wstring& prompt);

}  // namespace tarvik::platform::win32
