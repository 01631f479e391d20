// clsWindow's core: binding, the debug log, geometry, texts, window state and the process
// behind a window. The finders and the control lookup live in cls_window_find.cpp; mouse,
// closing and the effects in cls_window_input.cpp.

#include "util/cls_window.h"

#include <fstream>
#include <utility>

#include "util/cls_window_log.h"
#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::util {

using namespace cls_window_detail;

namespace {

// The frame DeleteEdge takes off: caption and sizing border, and the edges of the extended
// style (dialog frame, client, static and window edge).
constexpr std::uint32_t kFrameStyle = 0x00C00000u | 0x00040000u;
constexpr std::uint32_t kFrameExStyle = 0x00000001u | 0x00000200u | 0x00020000u | 0x00000100u;

}  // namespace

clsWindow::clsWindow(Roles platform) : clsWindow(platform, nullptr) {}

clsWindow::clsWindow(Roles platform, std::shared_ptr<WindowSystem> system)
    : roles_(platform),
      windows_(platform.Get<platform::WindowManager>()),
      display_(platform.Get<platform::Display>()),
      clock_(platform.Get<platform::Clock>()),
      system_(std::move(system)) {
  if (!system_) system_ = CreateNativeWindowSystem();
}

clsWindow::~clsWindow() = default;

// ---- debug log ----------------------------------------------------------------------------

bool clsWindow::writeToFile(const std::wstring& strFileName, const std::wstring& strContent,
                            bool isCover) {
  const std::string bytes = ToUtf8(strContent + L"\r\n");
  if (isCover) return WriteFileAtomic(strFileName, bytes);
  // Appending never puts the lines already there at risk, so no temporary is needed.
  std::ofstream out(ToFsPath(strFileName), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

void clsWindow::Log(LogKind kind, const wchar_t* name, LogPhase phase, const LogArgs& args) {
  if (!DebugMe) return;
  writeToFile(L"DEBUG.txt", DebugLogLine(CurrentLogDateTime(), kind, name, phase, args), false);
}

void clsWindow::LogText(const std::wstring& text) {
  if (!DebugMe) return;
  writeToFile(L"DEBUG.txt", text, false);
}

// ---- binding ------------------------------------------------------------------------------

clsWindow& clsWindow::Result() {
  if (!result_) {
    result_ = std::make_unique<clsWindow>(roles_, system_);
    result_->savedFrames_ = savedFrames_;
  }
  return *result_;
}

clsWindow& clsWindow::Bind(WindowHandle handle) {
  hwnd = handle;
  clsWindow& result = Result();
  result.hwnd = handle;
  result.DebugMe = DebugMe;
  return result;
}

// ---- geometry -----------------------------------------------------------------------------

void clsWindow::SetBoundsPart(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                              std::optional<int> height) {
  if (hwnd == 0) return;
  const auto current = system_->Bounds(hwnd);
  if (!current) return;
  const platform::Rect target{x.value_or(current->left), y.value_or(current->top),
                              width.value_or(current->width), height.value_or(current->height)};
  system_->SetBounds(hwnd, target);
}

void clsWindow::Move(std::optional<int> x, std::optional<int> y, std::optional<int> nWidth,
                     std::optional<int> nHeight) {
  Log(LogKind::Function, L"Move", LogPhase::Called,
      {{L"x", Opt(x)}, {L"y", Opt(y)}, {L"nWidth", Opt(nWidth)}, {L"nHeight", Opt(nHeight)}});
  SetBoundsPart(x, y, nWidth, nHeight);
}

void clsWindow::MoveToCenter() {
  Log(LogKind::Function, L"MoveToCenter", LogPhase::Called, {});
  if (hwnd == 0) return;
  const auto bounds = system_->Bounds(hwnd);
  if (!bounds) return;
  const platform::Rect work = display_.Screen().workArea;
  SetBoundsPart(work.left + (work.width - bounds->width) / 2,
                work.top + (work.height - bounds->height) / 2, std::nullopt, std::nullopt);
}

int clsWindow::Left() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->left : 0;
}
void clsWindow::Left(int value) {
  SetBoundsPart(value, std::nullopt, std::nullopt, std::nullopt);
}
int clsWindow::Top() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->top : 0;
}
void clsWindow::Top(int value) {
  SetBoundsPart(std::nullopt, value, std::nullopt, std::nullopt);
}
int clsWindow::Width() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->width : 0;
}
void clsWindow::Width(int value) {
  SetBoundsPart(std::nullopt, std::nullopt, value, std::nullopt);
}
int clsWindow::Height() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->height : 0;
}
void clsWindow::Height(int value) {
  SetBoundsPart(std::nullopt, std::nullopt, std::nullopt, value);
}

// ---- texts and classes --------------------------------------------------------------------

// Caption, Text, Value and Title are one text, read one way: the window's whole text.
std::wstring clsWindow::Caption() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Caption(const std::wstring& value) {
  if (hwnd != 0) system_->SetText(hwnd, value);
}
std::wstring clsWindow::Text() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Text(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::Value() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Value(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::Title() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Title(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::ClassName() {
  return GetClassNameByHwnd(hwnd);
}

// A handle of 0 means the bound window.
std::wstring clsWindow::GetCaptionByHwnd(WindowHandle hWnd1) {
  return GetTextByHwnd(hWnd1);
}
std::wstring clsWindow::GetTextByHwnd(WindowHandle hWnd1) {
  if (hWnd1 == 0) hWnd1 = hwnd;
  return hWnd1 != 0 ? system_->Text(hWnd1) : std::wstring();
}
std::wstring clsWindow::GetClassNameByHwnd(WindowHandle hWnd1) {
  if (hWnd1 == 0) hWnd1 = hwnd;
  return hWnd1 != 0 ? system_->ClassName(hWnd1) : std::wstring();
}
std::wstring clsWindow::GetWindowTextByHwnd(WindowHandle hWnd1) {
  return GetTextByHwnd(hWnd1);
}

// ---- state --------------------------------------------------------------------------------

void clsWindow::SetPosFront() {
  Log(LogKind::Function, L"SetPosFront", LogPhase::Called, {});
  SetTop(true);
}

void clsWindow::SetPosBottom() {
  Log(LogKind::Function, L"SetPosBottom", LogPhase::Called, {});
  if (hwnd == 0) return;
  windows_.SetTopMost(static_cast<platform::NativeHandle>(hwnd), false);
  system_->SetZOrder(hwnd, ZPlace::Bottom);
}

void clsWindow::SetPosNormal() {
  Log(LogKind::Function, L"SetPosNormal", LogPhase::Called, {});
  SetTop(false);
}

void clsWindow::Minimized() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Minimize);
}
void clsWindow::Maximized() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Maximize);
}
void clsWindow::Hide() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Hide);
}
void clsWindow::Show() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Show);
}
void clsWindow::Normal() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Normal);
}

bool clsWindow::Focus() {
  return hwnd != 0 && system_->Activate(hwnd, false);
}
bool clsWindow::Focus2() {
  return hwnd != 0 && system_->Activate(hwnd, true);
}
bool clsWindow::SetFocus() {
  return hwnd != 0 && system_->SetKeyboardFocus(hwnd);
}

int clsWindow::WindowState() {
  return hwnd != 0 ? system_->ShowState(hwnd) : 0;
}
void clsWindow::WindowState(int value) {
  if (value == 1) {
    Minimized();
  } else if (value == 2) {
    Maximized();
  } else {
    Normal();
  }
}

bool clsWindow::Visible() {
  return hwnd != 0 && system_->IsVisible(hwnd);
}
void clsWindow::Visible(bool value) {
  value ? Show() : Hide();
}
bool clsWindow::Enabled() {
  return hwnd != 0 && system_->IsEnabled(hwnd);
}
void clsWindow::Enabled(bool value) {
  if (hwnd != 0) system_->Enable(hwnd, value);
}
void clsWindow::Refresh() {
  if (hwnd != 0) system_->Redraw(hwnd);
}

void clsWindow::SetTop(bool isSetTop) {
  Log(LogKind::Function, L"SetTop", LogPhase::Called, {{L"isSetTop", Flag(isSetTop)}});
  // Another program's window is placed without waiting for its thread.
  if (hwnd != 0) windows_.SetTopMost(static_cast<platform::NativeHandle>(hwnd), isSetTop);
}

bool clsWindow::IsTopMost(WindowHandle hWnd) {
  Log(LogKind::Function, L"IsTopMost", LogPhase::Finished, {{L"hWnd", Num(hWnd)}});
  const WindowHandle target = Target(hWnd);
  return target != 0 && windows_.IsTopMost(static_cast<platform::NativeHandle>(target));
}

bool clsWindow::IsForegroundWindow() {
  return hwnd != 0 && system_->Foreground() == hwnd;
}

void clsWindow::ZOrder(int position) {
  if (hwnd != 0) system_->SetZOrder(hwnd, position == 0 ? ZPlace::Top : ZPlace::Bottom);
}

void clsWindow::DeleteEdge() {
  const auto window = static_cast<platform::NativeHandle>(hwnd);
  const std::optional<std::uint32_t> exStyle =
      hwnd != 0 ? windows_.ExtendedStyle(window) : std::nullopt;
  if (!exStyle) return;
  const std::uint32_t style = windows_.GetWindowStyle(window);
  // Remember what frame the window had, so RecoverEdge gives exactly that back.
  savedFrames_->try_emplace(hwnd, style & kFrameStyle, *exStyle & kFrameExStyle);
  if ((*exStyle & kFrameExStyle) != 0) windows_.SetExtendedStyle(window, *exStyle & ~kFrameExStyle);
  windows_.SetWindowStyle(window, style & ~kFrameStyle);
}
void clsWindow::RecoverEdge() {
  const auto window = static_cast<platform::NativeHandle>(hwnd);
  const std::optional<std::uint32_t> exStyle =
      hwnd != 0 ? windows_.ExtendedStyle(window) : std::nullopt;
  if (!exStyle) return;
  std::pair<std::uint32_t, std::uint32_t> frame{kFrameStyle, 0};
  if (const auto saved = savedFrames_->find(hwnd); saved != savedFrames_->end()) {
    frame = saved->second;
    savedFrames_->erase(saved);
  }
  if (frame.second != 0) windows_.SetExtendedStyle(window, *exStyle | frame.second);
  windows_.SetWindowStyle(window, windows_.GetWindowStyle(window) | frame.first);
}
std::intptr_t clsWindow::hDC() {
  return hwnd != 0 ? system_->DeviceContext(hwnd) : 0;
}

void clsWindow::Wait(std::int32_t milliseconds) {
  clock_.PassTime(milliseconds > 0 ? static_cast<std::uint32_t>(milliseconds) : 0u);
}

// ---- process ------------------------------------------------------------------------------

std::uint32_t clsWindow::ProcessID(WindowHandle hWnd1) {
  const WindowHandle target = Target(hWnd1);
  return target != 0 ? system_->ProcessId(target) : 0;
}
std::uint32_t clsWindow::pid() {
  return ProcessID(0);
}
bool clsWindow::IsWin64() {
  const std::uint32_t id = pid();
  return id != 0 && system_->IsProcess64Bit(id);
}
std::wstring clsWindow::AppPath() {
  const std::uint32_t id = pid();
  return id != 0 ? system_->ProcessPath(id) : std::wstring();
}
std::wstring clsWindow::AppName() {
  return FileNameOfPath(AppPath());
}
std::wstring clsWindow::AppCommandLine(std::uint32_t lPid) {
  Log(LogKind::Function, L"AppCommandLine", LogPhase::Called, {{L"lPid", Num(lPid)}});
  return lPid != 0 ? system_->ProcessCommandLine(lPid) : std::wstring();
}
std::wstring clsWindow::CommandLine() {
  return AppCommandLine(pid());
}

}  // namespace tarvik::util
