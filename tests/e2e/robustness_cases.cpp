// The file and window helpers where Windows (and Wine) differ from the native test build:
// links inside a deleted folder, and windows whose thread is stuck.

#include <cstdlib>
#include <fstream>

#include "e2e_support.h"
#include "util/cls_util.h"
#include "util/file_io.h"

namespace tarvik::e2e {
namespace {

// The link fixture: scripts/test.sh makes it on the Linux side, since Wine cannot create
// links itself. TARVIK_E2E_LINKS is its Unix path: victim/ holds a file, a subfolder, a link
// to the folder outside/ and a link to the file outside/keep.txt.
fs::path LinkFixture() {
  const char* unixPath = std::getenv("TARVIK_E2E_LINKS");
  if (!unixPath || !*unixPath) return {};
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return fs::path(path);
}

std::wstring DeleteFolderLeavesLinkTargets() {
  const fs::path root = LinkFixture();
  if (root.empty()) {
    return L"TARVIK_E2E_LINKS is not set";
  }
  const fs::path victim = root / L"victim";
  const fs::path outside = root / L"outside";
  const DWORD linkAttributes = ::GetFileAttributesW((victim / L"dirlink").c_str());
  if (linkAttributes == INVALID_FILE_ATTRIBUTES ||
      !(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return L"the folder link is no reparse point here: attributes " +
           std::to_wstring(linkAttributes);
  }
  // Read-only files go too, as they do when a folder is deleted in Explorer.
  for (const fs::path& file : {victim / L"file.txt", victim / L"sub" / L"s.txt"}) {
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  util::clsUtil(DriverPlatform()).DeleteFolder(victim.wstring());
  std::error_code ec;
  if (ReadAll(outside / L"keep.txt") != "keep" || ReadAll(outside / L"deep" / L"x.txt") != "x") {
    return L"data outside the folder was deleted through a link";
  }
  if (fs::exists(victim / L"file.txt", ec) || fs::exists(victim / L"sub", ec)) {
    return L"the folder's own files (read-only) were not deleted";
  }
  return {};
}

// What a copy cut short relies on to take itself back: only an empty folder goes.
std::wstring RemoveEmptyFolderKeepsAFolderWithFiles() {
  std::error_code ec;
  const fs::path folder = fs::temp_directory_path(ec) / L"tarvik_e2e_empty_folder";
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  { std::ofstream(folder / L"kept.txt") << "kept"; }
  if (util::RemoveEmptyFolder(folder.wstring()) || ReadAll(folder / L"kept.txt") != "kept") {
    return L"a folder with a file in it was removed";
  }
  fs::remove(folder / L"kept.txt", ec);
  if (!util::RemoveEmptyFolder(folder.wstring()) || fs::exists(folder, ec)) {
    return L"an empty folder stayed";
  }
  if (!util::RemoveEmptyFolder(folder.wstring()))
    return L"a folder already gone counts as not gone";
  return {};
}

// A window whose thread stops answering once it is up, as a hung program's would.
class StuckWindow {
 public:
  StuckWindow() {
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    release_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready_ || !release_) return;
    thread_.reset(::CreateThread(nullptr, 0, &StuckWindow::Main, this, 0, nullptr));
    if (thread_) ::WaitForSingleObject(ready_.get(), 10000);
  }
  ~StuckWindow() {
    if (release_) ::SetEvent(release_.get());
    if (thread_) ::WaitForSingleObject(thread_.get(), 10000);
  }
  StuckWindow(const StuckWindow&) = delete;
  StuckWindow& operator=(const StuckWindow&) = delete;

  HWND Handle() const { return window_; }

 private:
  static DWORD WINAPI Main(LPVOID param) {
    auto* self = static_cast<StuckWindow*>(param);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvikStuckWindow";
    ::RegisterClassExW(&wc);
    self->window_ = ::CreateWindowExW(0, wc.lpszClassName, L"卡住的窗口", WS_OVERLAPPEDWINDOW, 60,
                                      60, 240, 160, nullptr, nullptr, wc.hInstance, nullptr);
    if (self->window_) ::ShowWindow(self->window_, SW_SHOWNOACTIVATE);
    for (int i = 0; i < 10; ++i) {
      PumpMessages();
      ::Sleep(20);
    }
    ::SetEvent(self->ready_.get());
    ::WaitForSingleObject(self->release_.get(), INFINITE);  // stuck: no messages answered
    for (int i = 0; i < 50; ++i) {  // let what was left waiting on it finish
      PumpMessages();
      ::Sleep(10);
    }
    if (self->window_) ::DestroyWindow(self->window_);
    PumpMessages();
    return 0;
  }

  unique_handle ready_;
  unique_handle release_;
  unique_handle thread_;
  HWND window_ = nullptr;
};

std::wstring StuckWindowDoesNotFreezeClsWindow() {
  StuckWindow stuck;
  if (!stuck.Handle()) {
    return L"the stuck window was not made";
  }
  util::clsWindow window(DriverPlatform());
  window.hwnd = ToHandle(stuck.Handle());
  struct Step {
    const wchar_t* name;
    std::function<void()> run;
  };
  const Step steps[] = {
      {L"SetTop", [&] { window.SetTop(true); }},
      {L"SetPosFront", [&] { window.SetPosFront(); }},
      {L"SetPosNormal", [&] { window.SetPosNormal(); }},
      {L"SetPosBottom", [&] { window.SetPosBottom(); }},
      {L"Enabled", [&] { window.Enabled(false); }},
      {L"DeleteEdge", [&] { window.DeleteEdge(); }},
      {L"RecoverEdge", [&] { window.RecoverEdge(); }},
      {L"AlphaBlend", [&] { window.AlphaBlend(200); }},
      {L"Focus2", [&] { window.Focus2(); }},
      {L"Caption", [&] { window.Caption(); }},
  };
  // Each may wait for the target a little, never for as long as it stays stuck.
  constexpr DWORD kLimitMs = 4000;
  for (const Step& step : steps) {
    const DWORD start = ::GetTickCount();
    step.run();
    const DWORD took = ::GetTickCount() - start;
    if (took > kLimitMs) {
      return std::wstring(step.name) + L" waited " + std::to_wstring(took) +
             L" ms for the stuck window";
    }
  }
  if (window.Caption() != L"卡住的窗口") {
    return L"the stuck window's caption read as \"" + window.Caption() + L"\"";
  }
  return {};
}

}  // namespace

Cases RobustnessCases() {
  return {
      {L"delete_folder_leaves_link_targets", DeleteFolderLeavesLinkTargets},
      {L"remove_empty_folder_keeps_a_folder_with_files", RemoveEmptyFolderKeepsAFolderWithFiles},
      {L"stuck_window_does_not_freeze_clswindow", StuckWindowDoesNotFreezeClsWindow}};
}

}  // namespace tarvik::e2e
