// The entry point of Tarvik.exe.

#include <windows.h>

#include "app/tarvik_app.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    const auto platform = tarvik::platform::win32::CreateWin32Platform(instance);
    return tarvik::app::RunTarvik(*platform);
  } catch (...) {
    // Nothing is saved implicitly, so ending here loses only what ending by any other path
    // than the exit command would lose.
    return 3;
  }
}
