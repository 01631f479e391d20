#include "app/tarvik_app.h"

#include "app/frm_main.h"

namespace tarvik::app {

int RunTarvik(platform::Platform& platform) {
  // A second start ends at once and silently; the running instance is not disturbed.
  const auto instanceLock = platform.AcquireSingleInstance(kSingleInstanceName);
  if (!instanceLock) return 0;
  platform.InitCommonControls();

  frmMain main(platform);
  if (!main.Load()) return 1;
  main.Me().Show();
  return platform.Run();
}

}  // namespace tarvik::app
