#pragma once
// frmFloat: the 48 x 48 always-on-top picture that stands in for the hidden main window.
// Hovering pops the selected note up beside it, the wheel pages through the notes or scrolls
// the pop-up, dragging moves it and a double-click brings the main window back in its place.

#include <memory>

#include "platform/platform.h"
#include "widgets/controls.h"
#include "notes/note_store.h"
#include "widgets/form.h"

namespace tarvik::dialogs {
class frmShowText;
}

namespace tarvik::window {

struct ProgramFlags;

// What the floating window needs of the main window it stands in for.
class FloatHost {
 public:
  virtual ProgramFlags& Flags() = 0;
  // The main window: its size places it again where the floating window was.
  virtual widgets::Form& Me() = 0;
  virtual widgets::Timer& Timer1() = 0;
  // The "keep on top" option as the options page shows it.
  virtual bool TopmostOptionOn() const = 0;
  // The pop-up shows the notes, from the selected one, at the note box's font size.
  virtual const std::vector<notes::Note>& NoteArray() const = 0;
  virtual int SelectedNote() const = 0;
  virtual double NoteFontSize() const = 0;
  // Puts the wheel handler in front of a window's handler; returns the one it replaced.
  virtual platform::WindowProc InstallWheel(platform::NativeHandle window) = 0;
  // Edge snapping and the wheel handler back on the main window.
  virtual void InstallHooks() = 0;
  // The floating window's double-click is done with it.
  virtual void UnloadFloat() = 0;

 protected:
  ~FloatHost() = default;
};

// What the floating window uses: its form and the pop-up's, its timer, its window procedure
// in the message chain, the screen and the stored picture.
using FloatRoles =
    platform::Roles<platform::ControlHost, platform::WindowManager, platform::Display,
                    platform::DrawingLibrary, platform::Clock, platform::MessageHooks>;

class frmFloat {
 public:
  // Makes the window (hidden) with its picture; Form_Load sets it up.
  frmFloat(FloatRoles platform, FloatHost& host);
  ~frmFloat();
  frmFloat(const frmFloat&) = delete;
  frmFloat& operator=(const frmFloat&) = delete;

  // Topmost, white made transparent, the wheel handler in its message chain.
  void Form_Load();
  // Gives the main window its edge snapping and wheel handler back, and this window its own
  // handler; the native window goes when the object does.
  void Form_Unload();

  void Form_MouseMove(const platform::MouseArgs& a);
  void Form_MouseDown(const platform::MouseArgs& a);
  void Form_DblClick();
  void Timer1_Timer();

  // Whether the shared cursor point lies inside the window; kept in cursor-over-float too.
  bool IsCursorInFloat();

  // The pop-up while it is open.
  dialogs::frmShowText* ShowText() const { return showText_.get(); }

  widgets::Form Me;
  // The picture, over the whole client area; its mouse input is the window's.
  widgets::PictureBox Picture;
  widgets::Timer Timer1;

 private:
  void PaintPicture();
  void OpenShowText();
  void CloseShowText();

  FloatRoles platform_;
  FloatHost& host_;
  std::unique_ptr<dialogs::frmShowText> showText_;
  bool hover_ = false;
  bool unloaded_ = false;
  // The handler this window had before the wheel handler went in front of it.
  platform::WindowProc ownProc_;
};

}  // namespace tarvik::window
