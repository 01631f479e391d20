#pragma once
// The mouse wheel's three jobs, by where the cursor is: over the floating window Ctrl+wheel
// steps through the notes and the plain wheel scrolls the pop-up's text; over the note text,
// once the cursor was moved over it with Ctrl held, the wheel zooms that text. It works as a
// handler in a window's message chain that takes every wheel turn the window receives.

#include "platform/platform.h"
#include "widgets/controls.h"

namespace tarvik::dialogs {
class frmShowText;
}

namespace tarvik::window {

struct ProgramFlags;

// What the wheel acts on: the note text it zooms, the notes it steps through, the pop-up it
// scrolls, and the flags that say which of these the cursor is over.
class WheelHost {
 public:
  virtual const ProgramFlags& Flags() const = 0;
  virtual widgets::TextBoxW& NoteText() = 0;
  // Opens the next or the previous note; false when there is none.
  virtual bool StepNote(bool down) = 0;
  // The pop-up beside the floating window while it is open.
  virtual dialogs::frmShowText* ShowText() const = 0;

 protected:
  ~WheelHost() = default;
};

class modMouseWheel {
 public:
  using Roles = platform::Roles<platform::MessageHooks, platform::ControlHost>;
  modMouseWheel(Roles platform, WheelHost& host)
      : hooks_(platform.Get<platform::MessageHooks>()),
        controls_(platform.Get<platform::ControlHost>()),
        host_(host) {}
  modMouseWheel(const modMouseWheel&) = delete;
  modMouseWheel& operator=(const modMouseWheel&) = delete;

  // Puts WheelWndProc in front of the window's handler and returns the handler it replaced,
  // which is also kept as the old window procedure that WheelWndProc passes messages to.
  platform::WindowProc Install(platform::NativeHandle window);
  // The handler the last Install replaced.
  const platform::WindowProc& OldWindowProc() const { return oldProc_; }
  // The handler the last Install put in.
  const platform::WindowProc& Proc() const { return proc_; }

  // A wheel turn is one step down (wParam negative) or up, whatever its size, and goes no
  // further; every other message is passed on to previous.
  std::intptr_t WheelWndProc(const platform::WindowProc& previous, platform::NativeHandle window,
                             platform::WindowMessage& message);

 private:
  void Step(bool down);
  // Ctrl+wheel over the floating window: the next or previous note into the editor.
  void StepNote(bool down);
  // Whether a turn over the main window's text would do anything; the box scrolls otherwise.
  bool WantsChildTurn() const;

  platform::MessageHooks& hooks_;
  platform::ControlHost& controls_;
  WheelHost& host_;
  platform::WindowProc proc_;
  platform::WindowProc oldProc_;
};

}  // namespace tarvik::window
