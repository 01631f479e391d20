#include "window/mod_mouse_wheel.h"

#include <memory>

#include "app/frm_main.h"
#include "dialogs/frm_show_text.h"
#include "window/dock_geometry.h"
#include "window/frm_float.h"

namespace tarvik::window {

platform::WindowProc modMouseWheel::Install(platform::NativeHandle window) {
  // Each window keeps the handler it had: the floating window's and the main window's are
  // never the same.
  auto previous = std::make_shared<platform::WindowProc>();
  platform::WindowProc proc = platform::MakeWindowProc(
      [this, previous](platform::NativeHandle w, platform::WindowMessage& m) {
        return WheelWndProc(*previous, w, m);
      });
  *previous = main_.platform_.ReplaceWindowProc(window, proc);
  proc_ = std::move(proc);
  oldProc_ = *previous;
  return *previous;
}

std::intptr_t modMouseWheel::WheelWndProc(const platform::WindowProc& previous,
                                          platform::NativeHandle window,
                                          platform::WindowMessage& message) {
  if (message.id != platform::kMsgMouseWheel || (message.fromChild != 0 && !WantsChildTurn())) {
    return main_.platform_.PassToWindowProc(previous, window, message);
  }
  Step(platform::WheelParam(message) < 0);
  return 0;
}

bool modMouseWheel::WantsChildTurn() const {
  return main_.Flags.cursorOverFloat || main_.NoteHoverFlag;
}

void modMouseWheel::Step(bool down) {
  if (down) {
    WheelDown();
  } else {
    WheelUp();
  }
}

void modMouseWheel::WheelDown() {
  const ProgramFlags& f = main_.Flags;
  if (f.cursorOverFloat) {
    if (f.floatShift == platform::kCtrlKey) {
      StepNote(true);
    } else if (f.floatShift == 0 && f.showTextOpen) {
      if (dialogs::frmShowText* show = main_.ShowText()) {
        main_.platform_.ScrollTextBox(show->txtShow.hWnd(), platform::kScrollLineDown);
      }
    }
    return;
  }
  if (main_.NoteHoverFlag) {
    main_.txtNote.SetFontSize(
        FromFontUnits(FontSizeAfterWheelDown(ToFontUnits(main_.txtNote.FontSize()))));
  }
}

void modMouseWheel::WheelUp() {
  const ProgramFlags& f = main_.Flags;
  // The mirror of WheelDown: over the floating window nothing but its two cases happens.
  if (f.cursorOverFloat) {
    if (f.floatShift == platform::kCtrlKey) {
      StepNote(false);
    } else if (f.floatShift == 0 && f.showTextOpen) {
      if (dialogs::frmShowText* show = main_.ShowText()) {
        main_.platform_.ScrollTextBox(show->txtShow.hWnd(), platform::kScrollLineUp);
      }
    }
    return;
  }
  if (main_.NoteHoverFlag) {
    main_.txtNote.SetFontSize(
        FromFontUnits(FontSizeAfterWheelUp(ToFontUnits(main_.txtNote.FontSize()))));
  }
}

void modMouseWheel::StepNote(bool down) {
  const std::optional<int> next =
      StepNoteIndex(main_.List1.ListIndex(), main_.List1.ListCount(), down);
  if (!next) return;
  main_.List1.SetListIndex(*next);
  main_.txtNote.SetText(main_.List2.List(*next));
  main_.txtTitle.SetText(main_.List1.List(*next));
  // The editor shows this note now: the next commit must go to it, not to the one before.
  main_.SetOpenNote(*next);
  if (main_.Flags.showTextOpen) {
    if (dialogs::frmShowText* show = main_.ShowText()) show->txtShow.SetText(main_.txtNote.Text());
  }
}

}  // namespace tarvik::window
