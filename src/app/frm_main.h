#pragma once
// The main window: its control tree, its start-up and shutdown, the note store it owns and
// the note list, editor and search.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/note_store.h"
#include "dialogs/gdiplus2.h"
#include "util/cls_util.h"
#include "util/cls_window.h"
#include "widgets/controls.h"
#include "widgets/form.h"
#include "window/frm_float.h"
#include "window/mod_borderless.h"
#include "window/mod_edge_snap.h"
#include "window/mod_mouse_wheel.h"
#include "window/program_flags.h"
#include "widgets/sswitch.h"

namespace tarvik::app {

class frmMain {
 public:
  explicit frmMain(platform::Platform& platform);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Start-up: objects, look, settings, notes. False when the program must end at once.
  bool Load();
  // Shutdown: releases what Load made. Writes nothing to disk. Idempotent.
  void Unload();
  // Unloads, closes the window and ends the message loop. Saves nothing.
  void CloseWithoutSaving();
  // The menu bar's close button: asks, then saves settings and notes and ends. False when
  // the program goes on (the user said no, or chose to stay after a failed save).
  bool ExitCommand();
  // Logoff or shutdown: the edits are saved without a question, since no one can answer.
  void Form_EndSession();

  // The program's folder, where Notes and Config.ini live.
  std::wstring AppPath() const { return platform_.ProgramFolder(); }
  std::wstring NotesFolder() const { return AppPath() + L"\\Notes"; }

  // Settings and logon start.
  void LoadSettings();
  // Writes the window's geometry and the two options to Config.ini in one atomic step.
  bool SaveSettings();
  void EnableAutostart();
  void DisableAutostart();
  std::wstring ConfigPath() const { return AppPath() + L"\\Config.ini"; }

  // Note store.
  void LoadNotes();
  bool SaveNotes();

  // Event handlers (public so the tests and the other windows can run them as the program does).
  void List1_DblClick();
  void List3_DblClick();
  void txtSearch_Change();
  void txtTitle_GotFocus();
  void txtTitle_LostFocus();
  void txtNote_MouseDown(const platform::MouseArgs& a);
  void txtNote_MouseMove(const platform::MouseArgs& a);
  void txtNote_MouseEnter();
  void picMain_MouseMove(const platform::MouseArgs& a);
  void picMenuBar_MouseDown(const platform::MouseArgs& a);
  void picMenuBar_MouseMove(const platform::MouseArgs& a);
  void picMenu_MouseMove(int index, const platform::MouseArgs& a);
  void picListButton_MouseMove(int index, const platform::MouseArgs& a);
  void picList_MouseMove(const platform::MouseArgs& a);
  void picMenuBar_MouseUp(const platform::MouseArgs& a);
  void picListButton_Click(int index);
  void picMenu_Click(int index);
  void SSwitch1_Click(int index);
  void Form_Resize();
  void Form_MouseDown(const platform::MouseArgs& a);
  void Form_MouseMove(const platform::MouseArgs& a);
  void Form_MouseUp(const platform::MouseArgs& a);

  // Timer1: topmost upkeep, the shared cursor point, hiding at a screen edge and coming back.
  void Timer1_Timer();
  // The floating window's double-click is done with it: it goes (after its own handler has
  // returned), the main window's hooks back in place.
  void UnloadFloat();
  // The pop-up beside the floating window while it is open.
  dialogs::frmShowText* ShowText() const { return Float ? Float->ShowText() : nullptr; }
  // The editor now shows note i (the wheel stepped to it).
  void SetOpenNote(int i) { openNote_ = i; }

  // Copies the editor back into the note it shows: the only way edits reach the notes.
  void CommitOpenNote();
  // The index of the note the editor shows (-1: none).
  int OpenNoteIndex() const { return openNote_; }
  // Whether the cursor is over the window's outer rectangle.
  bool IsCursorInWindow() const;
  void Relayout() { Form_Resize(); }

  widgets::PictureBox& picListButton(int index) { return *picListButton_.at(index); }
  widgets::PictureBox& picMenu(int index) { return *picMenu_.at(index); }
  widgets::SSwitch& SSwitch1(int index) { return *SSwitch1_.at(index); }
  bool Loaded() const { return loaded_; }

  // The painted buttons in their normal or hovered look (frm_main_paint.cpp).
  void PaintMenuButton(int index, bool hover);
  void PaintListButton(int index, bool hover);

  // The "keep on top" option as the options page shows it.
  bool TopmostOptionOn() const { return SSwitch1_[0]->Value(); }

  platform::Platform& platform_;
  // The drawing library the painted buttons of every window draw with.
  dialogs::GDIPlus2 Drawing{platform_};

  // The answer of the last question (ShowQuestion): true confirmed, false cancelled.
  bool QuestionResult = false;

  // The notes: element i belongs to item i of List1 (titles) and List2 (texts).
  std::vector<Note> NoteArray;
  // The cursor was moved over the note text with Ctrl held (the wheel then zooms it).
  bool NoteHoverFlag = false;
  // What the floating window, the pop-up and the wheel share.
  window::ProgramFlags Flags;
  // The two hooks of the window's message chain: the wheel handler in front of edge snapping.
  window::modEdgeSnap EdgeSnap;
  window::modMouseWheel MouseWheel{*this};
  // The floating window while the program is reduced to it.
  std::unique_ptr<window::frmFloat> Float;

  std::unique_ptr<util::clsUtil> Util;
  // Asked on every tick of Timer1 whether the window is still topmost.
  std::unique_ptr<util::clsWindow> Win;
  // Keeps the frame style the window had, to put back at unload.
  window::modBorderless Borderless;

  // Controls, in creation order.
  widgets::Form Me;
  widgets::Timer Timer1;
  widgets::PictureBox picList;
  widgets::ListBoxW List4;
  widgets::ListBoxW List3;
  widgets::PictureBox picSearch;
  widgets::TextBoxW txtSearch;
  widgets::Line LineSearch;

 private:
  std::array<std::unique_ptr<widgets::PictureBox>, 6> picListButton_ = MakeListButtons(picList);

 public:
  widgets::ListBoxW List2;
  widgets::ListBoxW List1;
  widgets::PictureBox picTools;
  widgets::Label Label4_2;
  widgets::PictureBox picOptions;
  widgets::Label Label3_0;
  widgets::Label Label3_1;
  widgets::Label Label4_0;
  widgets::Label Label4_1;

 private:
  std::array<std::unique_ptr<widgets::SSwitch>, 2> SSwitch1_ = MakeSwitches(picOptions);

 public:
  widgets::PictureBox picMain;
  widgets::TextBoxW txtNote;
  widgets::TextBoxW txtTitle;
  widgets::Line lineTitle;
  widgets::Label Label1;
  widgets::PictureBox picMenuBar;

 private:
  std::array<std::unique_ptr<widgets::PictureBox>, 5> picMenu_ = MakeMenuButtons(picMenuBar);

 public:
  widgets::Label lblFormTitle;

 private:
  static std::array<std::unique_ptr<widgets::PictureBox>, 6> MakeListButtons(
      widgets::PictureBox& parent);
  static std::array<std::unique_ptr<widgets::PictureBox>, 5> MakeMenuButtons(
      widgets::PictureBox& parent);
  static std::array<std::unique_ptr<widgets::SSwitch>, 2> MakeSwitches(widgets::PictureBox& parent);
  // Shows the logon-start switch on only while a registration exists; when the registry
  // cannot be read, as the user asked.
  void ShowAutostartState(bool wanted);
  void WireEvents();
  void OpenSelectedNote();
  // Puts note i into the title and note boxes; the editor shows it from now on.
  void LoadIntoEditor(int i);
  void ApplyMinimumSize();

  // The list-button commands (frm_main_commands.cpp). Each returns false when it ended at
  // once, skipping the closing steps.
  void NewNote();
  bool DeleteNote();
  bool ExportNote(widgets::CommonDialog& dialog);
  void ImportNote(widgets::CommonDialog& dialog);
  void ToggleSearch();
  bool ClearNotes();
  // Asks with the program's own box; true when confirmed. While a question is up, a close
  // request from outside does not stack a second one.
  bool Ask(const std::wstring& question);
  // The menu's Float command: the floating window in place of the main window.
  void OpenFloat();

  bool loaded_ = false;
  bool asking_ = false;
  bool hooksInstalled_ = false;
  // A floating window whose own double-click closed it, released once its handler is done.
  std::unique_ptr<window::frmFloat> retiredFloat_;
  // The note the editor shows. It is tracked apart from the list's selection, which a single
  // click on another title moves: committing to the selection would copy the open note over
  // the clicked one.
  int openNote_ = -1;
  // Note files the load could not read: never in memory, so the save must leave them be.
  std::vector<std::wstring> unreadableNotes_;
  bool notesFolderListed_ = true;
};

}  // namespace tarvik::app
