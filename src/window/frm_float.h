#pragma once
// frmFloat: the 48 x 48 always-on-top picture that stands in for the hidden main window.
// Hovering pops the selected note up beside it, the wheel pages through the notes or scrolls
// the pop-up, dragging moves it and a double-click brings the main window back in its place.

#include <memory>

#include "platform/platform.h"
#include "widgets/controls.h"
#include "widgets/form.h"

namespace tarvik::app {
class frmMain;
}
namespace tarvik::dialogs {
class frmShowText;
}

namespace tarvik::window {

class frmFloat {
 public:
  // Makes the window (hidden) with its picture; Form_Load sets it up.
  explicit frmFloat(app::frmMain& main);
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
  bool HoverMark() const { return hover_; }

  widgets::Form Me;
  // The picture, over the whole client area; its mouse input is the window's.
  widgets::PictureBox Picture;
  widgets::Timer Timer1;

 private:
  void PaintPicture();
  void OpenShowText();
  void CloseShowText();

  app::frmMain& main_;
  std::unique_ptr<dialogs::frmShowText> showText_;
  bool hover_ = false;
  bool unloaded_ = false;
  // The handler this window had before the wheel handler went in front of it.
  platform::WindowProc ownProc_;
};

}  // namespace tarvik::window
