// clsWindow's real input (cursor and clicks), closing windows and programs, and the effects
// (shake, fades, transparency).

#include <algorithm>

#include "util/cls_window.h"
#include "util/cls_window_log.h"

namespace tarvik::util {

using namespace cls_window_detail;

// ---- mouse --------------------------------------------------------------------------------

platform::Point clsWindow::ResolvePoint(int x, int y, const std::wstring& PositionMod,
                                        const wchar_t* memberName) {
  auto mode = ParsePositionMode(PositionMod);
  if (!mode) {
    if (DebugMe) LogText(CurrentLogDateTime() + UnknownClickModeText(memberName));
    mode = PositionMode::Relative;
  }
  if (*mode == PositionMode::Absolute || hwnd == 0) return {x, y};
  const auto bounds = system_->Bounds(hwnd);
  if (!bounds) return {x, y};
  return {bounds->left + x, bounds->top + y};
}

void clsWindow::Click() {
  Log(LogKind::Function, L"Click", LogPhase::Called, {});
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (bounds) {
    system_->SetCursorPos(Centre(*bounds));
    Wait(kSettleBeforeClickMs);
  }
  system_->ClickMouse(1);
}

void clsWindow::ClickPoint(int x1, int y1, const std::wstring& PositionMod, int clickTimes,
                           int delayMilliSecondsBefore, int delayMilliSecondsAfter) {
  Log(LogKind::Function, L"ClickPoint", LogPhase::Called,
      {{L"x1", Num(x1)},
       {L"y1", Num(y1)},
       {L"PositionMod", PositionMod},
       {L"clickTimes", Num(clickTimes)},
       {L"delayMilliSecondsBefore", Num(delayMilliSecondsBefore)},
       {L"delayMilliSecondsAfter", Num(delayMilliSecondsAfter)}});
  const platform::Point target = ResolvePoint(x1, y1, PositionMod, L"ClickPoint");
  if (delayMilliSecondsBefore > 0) Wait(delayMilliSecondsBefore);
  system_->SetCursorPos(target);
  Wait(kSettleBeforeClickMs);
  if (clickTimes > 0) system_->ClickMouse(clickTimes);
  if (delayMilliSecondsAfter > 0) Wait(delayMilliSecondsAfter);
}

void clsWindow::ClickCurrentPoint(int clickTimes) {
  Log(LogKind::Function, L"ClickCurrentPoint", LogPhase::Called,
      {{L"clickTimes", Num(clickTimes)}});
  if (clickTimes > 0) system_->ClickMouse(clickTimes);
}

void clsWindow::SetCursor(int x, int y, const std::wstring& PositionMod) {
  Log(LogKind::Function, L"SetCursor", LogPhase::Called,
      {{L"x", Num(x)}, {L"y", Num(y)}, {L"PositionMod", PositionMod}});
  system_->SetCursorPos(ResolvePoint(x, y, PositionMod, L"SetCursor"));
}

void clsWindow::SetPoint(int x, int y) {
  system_->SetCursorPos({x, y});
}

void clsWindow::MoveCursor(int dx, int dy) {
  const platform::Point p = display_.CursorPos();
  system_->SetCursorPos({p.x + dx, p.y + dy});
}

void clsWindow::MoveCursorTo(int x, int y) {
  const platform::Point from = display_.CursorPos();
  for (int i = 1; i <= kGlideSteps; ++i) {
    system_->SetCursorPos(
        {from.x + (x - from.x) * i / kGlideSteps, from.y + (y - from.y) * i / kGlideSteps});
    if (i < kGlideSteps) Wait(kGlideStepMs);
  }
}

platform::Point clsWindow::GetCursorPosCurrent() {
  return display_.CursorPos();
}

platform::Point clsWindow::GetCursorPoint() {
  const platform::Point p = display_.CursorPos();
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (!bounds) return p;
  return {p.x - bounds->left, p.y - bounds->top};
}

// ---- closing ------------------------------------------------------------------------------

bool clsWindow::CloseWindow(WindowHandle hWnd1) {
  Log(LogKind::Function, L"CloseWindow", LogPhase::Called, {{L"hWnd1", Num(hWnd1)}});
  const WindowHandle target = Target(hWnd1);
  return target != 0 && system_->PostClose(target);
}

bool clsWindow::CloseApp(WindowHandle hWnd1) {
  Log(LogKind::Function, L"CloseApp", LogPhase::Called, {{L"hWnd1", Num(hWnd1)}});
  const std::uint32_t id = ProcessID(hWnd1);
  return id != 0 && system_->TerminateProcess(id);
}

// ---- effects ------------------------------------------------------------------------------

bool clsWindow::SetLayered(WindowHandle target, std::uint32_t flag, platform::Color key,
                           std::uint8_t alpha) {
  const auto window = static_cast<platform::NativeHandle>(target);
  // The other attribute the window already has stays.
  platform::LayeredAttributes now =
      windows_.GetLayeredAttributes(window).value_or(platform::LayeredAttributes{});
  // A style that cannot be read is taken as none; setting the attributes then fails.
  const std::uint32_t exStyle = windows_.ExtendedStyle(window).value_or(0);
  if ((exStyle & platform::kExStyleLayered) == 0) {
    windows_.SetExtendedStyle(window, exStyle | platform::kExStyleLayered);
  }
  if (flag == platform::kLayeredAlpha) {
    now.alpha = alpha;
  } else {
    now.key = key;
  }
  return windows_.SetLayeredAttributes(window, now.key, now.alpha, now.flags | flag);
}

bool clsWindow::SetAlpha(WindowHandle target, std::uint8_t alpha) {
  return SetLayered(target, platform::kLayeredAlpha, 0, alpha);
}

void clsWindow::Shake(int shakeShift, int shakeRepeats, int shakePads, int shakeInterval) {
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (bounds) {
    for (const int offset : ShakeOffsets(shakeShift, shakeRepeats, shakePads)) {
      platform::Rect moved = *bounds;
      moved.left += offset;
      system_->SetBounds(hwnd, moved);
      if (offset != 0 && shakeInterval > 0) Wait(shakeInterval);
    }
  }
  Log(LogKind::Function, L"Shake", LogPhase::Finished,
      {{L"shakeShift", Num(shakeShift)},
       {L"shakeRepeats", Num(shakeRepeats)},
       {L"shakePads", Num(shakePads)},
       {L"shakeInterval", Num(shakeInterval)}});
}

void clsWindow::FadeIn(int speed) {
  if (hwnd != 0) {
    SetAlpha(hwnd, 0);
    system_->Show(hwnd, ShowCommand::Show);
    for (const std::uint8_t alpha : FadeSteps(0, 255, speed)) {
      SetAlpha(hwnd, alpha);
      if (alpha != 255) Wait(kFadeStepMs);
    }
  }
  Log(LogKind::Function, L"FadeIn", LogPhase::Finished, {{L"speed", Num(speed)}});
}

void clsWindow::FadeOut(int speed, bool isCloseWindow, bool isCloseApp) {
  const WindowHandle target = hwnd;
  if (target != 0) {
    for (const std::uint8_t alpha : FadeSteps(255, 0, speed)) {
      SetAlpha(target, alpha);
      if (alpha != 0) Wait(kFadeStepMs);
    }
    if (isCloseApp) {
      CloseApp(target);
    } else if (isCloseWindow) {
      CloseWindow(target);
    } else {
      system_->Show(target, ShowCommand::Hide);
      SetAlpha(target, 255);
    }
  }
  Log(LogKind::Function, L"FadeOut", LogPhase::Finished,
      {{L"speed", Num(speed)},
       {L"isCloseWindow", Flag(isCloseWindow)},
       {L"isCloseApp", Flag(isCloseApp)}});
}

bool clsWindow::Transparent(const std::wstring& Percent) {
  Log(LogKind::Function, L"Transparent", LogPhase::Called, {{L"Percent", Percent}});
  const auto opacity = ParseOpacity(Percent);
  return opacity && hwnd != 0 && SetAlpha(hwnd, OpacityToAlpha(*opacity));
}
bool clsWindow::MakeTransparent(const std::wstring& Percent) {
  return Transparent(Percent);
}
bool clsWindow::SetTransparent(const std::wstring& Percent) {
  return Transparent(Percent);
}

bool clsWindow::AlphaBlend(int alpha) {
  Log(LogKind::Function, L"AlphaBlend", LogPhase::Called, {{L"alpha", Num(alpha)}});
  return hwnd != 0 && SetAlpha(hwnd, static_cast<std::uint8_t>(std::clamp(alpha, 0, 255)));
}

bool clsWindow::TransparentColor(platform::Color color) {
  Log(LogKind::Function, L"TransparentColor", LogPhase::Called, {{L"color", Num(color)}});
  return hwnd != 0 && SetLayered(hwnd, platform::kLayeredColorKey, color, 0);
}

}  // namespace tarvik::util
