#include "window/mod_mouse_wheel.h"

#include <memory>

#include "dialogs/frm_show_text.h"
#include "window/dock_geometry.h"
#include "window/program_flags.h"

namespace tarvik::window {

platform::WindowProc modMouseWheel::Install(platform::NativeHandle window) {
  // Each window keeps the handler it had: the floating window's and the main window's are
  // never the same.
  auto previous = std::make_shared<platform::WindowProc>();
  platform::WindowProc proc = platform::MakeWindowProc(
      [this, previous](platform::NativeHandle w, platform::WindowMessage& m) {
        return WheelWndProc(*previous, w, m);
      });
  *previous = hooks_.ReplaceWindowProc(window, proc);
  proc_ = std::move(proc);
  oldProc_ = *previous;
  return *previous;
}

std::intptr_t modMouseWheel::WheelWndProc(const platform::WindowProc& previous,
                                          platform::NativeHandle window,
                                          platform::WindowMessage& message) {
  if (message.id != platform::kMsgMouseWheel || (message.fromChild != 0 && !WantsChildTurn())) {
    return hooks_.PassToWindowProc(previous, window, message);
  }
  Step(platform::WheelParam(message) < 0);
  return 0;
}

bool modMouseWheel::WantsChildTurn() const {
  return host_.Flags().cursorOverFloat || host_.Flags().NoteHoverFlag;
}

void modMouseWheel::Step(bool down) {
  const ProgramFlags& f = host_.Flags();
  // Over the floating window nothing but its two cases happens.
  if (f.cursorOverFloat) {
    if (f.floatShift == platform::kCtrlKey) {
      StepNote(down);
    } else if (f.floatShift == 0 && f.showTextOpen) {
      if (dialogs::frmShowText* show = host_.ShowText()) {
        controls_.ScrollTextBox(show->txtShow.hWnd(),
                                down ? platform::kScrollLineDown : platform::kScrollLineUp);
      }
    }
    return;
  }
  if (f.NoteHoverFlag) {
    widgets::TextBoxW& note = host_.NoteText();
    const std::int64_t size = ToFontUnits(note.FontSize());
    note.SetFontSize(
        FromFontUnits(down ? FontSizeAfterWheelDown(size) : FontSizeAfterWheelUp(size)));
  }
}

void modMouseWheel::StepNote(bool down) {
  if (!host_.StepNote(down)) return;
  if (host_.Flags().showTextOpen) {
    if (dialogs::frmShowText* show = host_.ShowText())
      show->txtShow.SetText(host_.NoteText().Text());
  }
}

}  // namespace tarvik::window
