#pragma once
// The main window: its pages, its start-up and shutdown, and the commands of its menu bar and
// list page. The notes themselves are the note book's; the floating window, the wheel handler
// and the question box reach this window through the small interfaces it implements.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_pages.h"
#include "app/note_views.h"
#include "notes/note_book.h"
#include "notes/notes_folder.h"
#include "notes/recovery_record.h"
#include "dialogs/frm_question.h"
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

namespace tarvik::app {

using notes::Note;
using notes::NoteBook;
using notes::NotesFolder;

class frmMain : public window::FloatHost, public window::WheelHost, public dialogs::QuestionAsker {
 public:
  explicit frmMain(platform::Platform& platform);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Start-up: objects, look, settings, notes. False when the program must end at once.
  bool Load();
  // The keyboard to the page shown, once the window is: the note box on the editor page, the
  // list on the list page (frm_main_keys.cpp).
  void FocusPage();

  // What the other windows use of this one.
  widgets::Form& Me() override { return me_; }
  widgets::Timer& Timer1() override { return timer1_; }
  // The "keep on top" option as the options page shows it.
  bool TopmostOptionOn() const override { return options_.SSwitch1(0).Value(); }
  window::ProgramFlags& Flags() override { return flags_; }
  const window::ProgramFlags& Flags() const override { return flags_; }
  const std::vector<Note>& NoteArray() const override { return notes_.NoteArray(); }
  int SelectedNote() const override { return notes_.Selected(); }
  bool StepNote(bool down) override { return notes_.StepNote(down); }
  widgets::TextBoxW& NoteText() override { return editor_.txtNote; }
  double NoteFontSize() const override { return editor_.txtNote.FontSize(); }
  dialogs::frmShowText* ShowText() const override { return float_ ? float_->ShowText() : nullptr; }
  platform::WindowProc InstallWheel(platform::NativeHandle window) override {
    return mouseWheel_.Install(window);
  }
  void InstallHooks() override;
  // The floating window goes after its own handler has returned.
  void UnloadFloat() override;
  dialogs::GDIPlus2& Drawing() override { return drawing_; }
  void SetQuestionResult(bool confirmed) override { questionResult_ = confirmed; }

 private:
  // The tests' view of the window (tests/unit/main_window_probe.h).
  friend struct frmMainProbe;

  // Shutdown: releases what Load made. Writes nothing to disk. Idempotent.
  void Unload();

  // Writes the window's geometry and the two options to Config.ini in one atomic step.
  bool SaveSettings();
  // The exit or logoff save: also removes the recovery record once the folder holds the notes.
  bool SaveNotes() { return folder_.Save(notes_.NoteArray()); }
  // Copies the editor back into the note it shows: the only way edits reach the notes.
  void CommitOpenNote() { notes_.CommitOpenNote(); }

  // The handlers a click or a double-click on the controls runs.
  void List1_DblClick();
  void picListButton_Click(int index);
  void picMenu_Click(int index);
  void SSwitch1_Click(int index);
  // Topmost upkeep, the shared cursor point, hiding at a screen edge and coming back.
  void Timer1_Timer();

  // Whether the cursor is over the window's outer rectangle.
  bool IsCursorInWindow() const;
  // The painted buttons in their normal or hovered look (frm_main_paint.cpp).
  void PaintMenuButton(int index, bool hover);
  void PaintListButton(int index, bool hover);

  // The program's folder, where Notes and Config.ini live.
  std::wstring AppPath() const { return platform_.ProgramFolder(); }
  std::wstring ConfigPath() const { return AppPath() + L"\\Config.ini"; }
  // Settings and logon start.
  void LoadSettings();
  void EnableAutostart();
  void DisableAutostart();
  void LoadNotes();
  // After the load: tells what could not be read, offers the notes a run that ended by force
  // left in the recovery record, and starts keeping the record for this run.
  void RecoverNotes();
  // A notice in the program's message box, over the window.
  void Tell(const std::wstring& notice);
  // Unloads, closes the window and ends the message loop. Saves nothing.
  void CloseWithoutSaving();
  // The menu bar's close button: asks, then saves settings and notes and ends. False when
  // the program goes on (the user said no, or chose to stay after a failed save).
  bool ExitCommand();
  bool TryExit();  // its steps, from the page switch on
  // Logoff or shutdown: the edits are saved without a question, since no one can answer.
  void Form_EndSession();

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
  void picMenuBar_MouseUp(const platform::MouseArgs& a);
  void picMenu_MouseMove(int index, const platform::MouseArgs& a);
  void picListButton_MouseMove(int index, const platform::MouseArgs& a);
  void picMenu_MouseLeave(int index);
  void picListButton_MouseLeave(int index);
  void picList_MouseMove(const platform::MouseArgs& a);
  // The buttons showing their hover look go back to their normal one.
  void TakeBackHover(int count, const std::function<widgets::PictureBox&(int)>& button,
                     const std::function<void(int)>& paintNormal);
  void Form_Resize();
  void Form_MouseDown(const platform::MouseArgs& a);
  void Form_MouseMove(const platform::MouseArgs& a);
  void Form_MouseUp(const platform::MouseArgs& a);

  void WireEvents();
  // The keyboard (frm_main_keys.cpp): Tab through the page shown, the keys that do what the
  // mouse does, and another start's request to come forward.
  void WireKeys();
  std::vector<widgets::Widget*> TabStops();
  // A key the focused control (null: the window itself) is about to get; true when used.
  bool Form_KeyPreview(widgets::Widget* from, const platform::KeyArgs& key);
  void MoveFocus(widgets::Widget* from, bool backwards);
  bool EnterSearchResults();
  bool GoBack();
  // The options or tools panel opened: where the keyboard goes back to when it closes.
  void RememberFocus();
  // The keyboard into the panel just opened, and back to where it was when the panel closes.
  void FocusPanel();
  void FocusBackFromPanel();
  void BringForward();
  // Shows the logon-start switch on only while a registration exists; when the registry
  // cannot be read, as the user asked.
  void ShowAutostartState(bool wanted);
  void ApplyMinimumSize();
  // The least outer size at this window's scale, twips.
  window::OuterSize MinimumSize() const;
  // The editor page in place of the list page, with the keyboard when the window is shown.
  void ShowEditor();

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

  platform::Platform& platform_;
  // The drawing library the painted buttons of every window draw with.
  dialogs::GDIPlus2 drawing_{platform_};
  bool questionResult_ = false;
  window::ProgramFlags flags_;
  window::modEdgeSnap edgeSnap_;
  window::modMouseWheel mouseWheel_{platform_, *this};
  std::unique_ptr<window::frmFloat> float_;
  // A floating window whose own double-click closed it, released once its handler is done.
  std::unique_ptr<window::frmFloat> retiredFloat_;
  std::unique_ptr<util::clsUtil> util_;
  // Asked on every tick of Timer1 whether the window is still topmost.
  std::unique_ptr<util::clsWindow> win_;
  // Keeps the frame style the window had, to put back at unload.
  window::modBorderless borderless_;

  // The window and its pages, in the order they are made and stacked.
  widgets::Form me_;
  widgets::Timer timer1_;
  // Runs while typing waits to be handed to the recovery record.
  widgets::Timer recordTimer_;
  ListPage list_{me_};
  ToolsPanel tools_{me_};
  OptionsPanel options_{me_};
  EditorPage editor_{me_};
  MenuBar menu_{me_};
  NoteViews views_{list_.List1, list_.List2, list_.List3, list_.List4, editor_.txtTitle,
                   editor_.txtNote};
  NoteBook notes_{views_.MakeBook()};
  // Where the notes live on disk, with this run's recovery record.
  NotesFolder folder_;

  widgets::Widget* focusBeforePanel_ = nullptr;
  bool loaded_ = false;
  bool asking_ = false;
  bool hooksInstalled_ = false;
};

}  // namespace tarvik::app
