#pragma once

#include <string>

#include "platform/platform.h"

namespace tarvik::app {

// The name of the lock that keeps the program to one instance per logon session.
inline constexpr wchar_t kSingleInstanceName[] = L"Tarvik.SingleInstance.4470x5160";

// The name of the lock that keeps one program folder to one running instance on the whole
// machine: two logon sessions on one Notes folder would overwrite each other's notes. Named by
// the folder's identity when it can be opened, by its path otherwise.
std::wstring FolderLockName(const std::wstring& programFolder);

// Told to the user whose start finds the folder in use by another logon session.
inline constexpr wchar_t kFolderInUseText[] =
    L"“Tarvik”已在另一个用户会话中打开了这个文件夹里的笔记。请先在那里退出“Tarvik”，再在这里启动。";

// Runs the program on a platform until its main window closes; returns the exit code.
int RunTarvik(platform::Platform& platform);

}  // namespace tarvik::app
