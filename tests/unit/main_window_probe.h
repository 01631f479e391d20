#pragma once
// The tests' view of the main window beyond its public surface: its pages read only, the note
// book, what it keeps off screen, and the user's clicks sent through the headless backend.

#include <string>
#include <vector>

#include "app/frm_main.h"
#include "platform/headless/headless_platform.h"

namespace tarvik::app {

// Test fixtures derive from it, so a test reads Lists(w) where it would read w.Lists().
struct frmMainProbe {
  static const ListPage& Lists(const frmMain& w) { return w.list_; }
  static const EditorPage& Editor(const frmMain& w) { return w.editor_; }
  static const OptionsPanel& Options(const frmMain& w) { return w.options_; }
  static const ToolsPanel& Tools(const frmMain& w) { return w.tools_; }
  static const MenuBar& Bar(const frmMain& w) { return w.menu_; }
  static NoteBook& Book(frmMain& w) { return w.notes_; }
  static window::frmFloat* Float(const frmMain& w) { return w.float_.get(); }
  static const window::modMouseWheel& MouseWheel(const frmMain& w) { return w.mouseWheel_; }
  static const window::modEdgeSnap& EdgeSnap(const frmMain& w) { return w.edgeSnap_; }
  static bool QuestionResult(const frmMain& w) { return w.questionResult_; }
  static bool Loaded(const frmMain& w) { return w.loaded_; }
  static void Unload(frmMain& w) { w.Unload(); }
  static bool SaveSettings(frmMain& w) { return w.SaveSettings(); }
  static bool SaveNotes(frmMain& w) { return w.SaveNotes(); }
  static bool FlushRecord(frmMain& w) { return w.folder_.FlushRecord(); }
  static bool IsCursorInWindow(const frmMain& w) { return w.IsCursorInWindow(); }
  // Where a test starts from when no user action leads there in one step: the editor's boxes
  // and the note list holding what the test needs.
  static void SetTitleText(frmMain& w, const std::wstring& t) { w.editor_.txtTitle.SetText(t); }
  static void SetNoteText(frmMain& w, const std::wstring& t) { w.editor_.txtNote.SetText(t); }
  static void SetNoteFontSize(frmMain& w, double size) { w.editor_.txtNote.SetFontSize(size); }
  static void ListTitles(frmMain& w, const std::vector<std::wstring>& titles) {
    w.list_.List1.AddItems(titles);
  }
  static void Unlist(frmMain& w, int index) {
    w.list_.List1.RemoveItem(index);
    w.list_.List2.RemoveItem(index);
  }

  // What a user does, as the backend delivers it to the window's controls.
  static platform::headless::HeadlessPlatform& Backend(const widgets::Container& c) {
    return dynamic_cast<platform::headless::HeadlessPlatform&>(
        c.GetPlatform().Get<platform::ControlHost>());
  }
  static platform::headless::HeadlessControl& Native(const widgets::Widget& c) {
    return Backend(c.Parent()).Get(c.hWnd());
  }
  static platform::headless::HeadlessControl& Native(const widgets::Form& f) {
    return Backend(f).Get(f.hWnd());
  }
  static void ClickMenu(const frmMain& w, int i) { Native(w.menu_.picMenu(i)).Click(); }
  static void ClickListButton(const frmMain& w, int i) { Native(w.list_.picListButton(i)).Click(); }
  static void ClickSwitch(const frmMain& w, int i) {
    Native(w.options_.switches.at(i)->Picture1()).Click();
  }
  // The switch turned to on, by a click when it is not there already.
  static void TurnSwitch(const frmMain& w, int i, bool on) {
    if (w.options_.SSwitch1(i).Value() != on) ClickSwitch(w, i);
  }
  static void DblClickList1(const frmMain& w) { Native(w.list_.List1).DblClick(); }
  // The user picks a note in the list.
  static void SelectNote(const frmMain& w, int i) { Native(w.list_.List1).SelectItem(i); }
};

}  // namespace tarvik::app
