#include "app/frm_main.h"

#include <functional>
#include <memory>
#include <string>

#include "app/start_timing.h"
#include "util/text_rules.h"

namespace tarvik::app {
namespace {

constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);

// The window's design size: a client area of 298 x 344 design pixels, centred on the screen.
platform::Rect DesignWindowRect(platform::Display& p) {
  const platform::ScreenMetrics s = p.Screen();
  constexpr int kWidth = 298;
  constexpr int kHeight = 344;
  return {(s.widthPx - widgets::ToDevicePx(kWidth, s.dpi)) / 2,
          (s.heightPx - widgets::ToDevicePx(kHeight, s.dpi)) / 2, kWidth, kHeight};
}

}  // namespace

frmMain::frmMain(platform::Platform& platform)
    : platform_(platform),
      me_(platform, L"Tarvik", DesignWindowRect(platform), kWhite),
      timer1_(platform, 100, true),
      recordTimer_(platform, NoteBook::kEditorCheckMs, false),
      folder_(platform.ProgramFolder()) {
  folder_.ReadOtherTextWith(platform);
  WireEvents();
}

frmMain::~frmMain() {
  Unload();
  // A window that goes without the exit save leaves its record, as a run ended by force.
  notes_.RecordTo(nullptr);
  folder_.StopRecording();
  // A floating window gives its hooks back to this window as it goes, so it goes first.
  float_.reset();
  retiredFloat_.reset();
}

void frmMain::WireEvents() {
  me_.Resize = [this] { Form_Resize(); };
  timer1_.Tick = [this] { Timer1_Timer(); };
  // Alt+F4, the system menu, the taskbar: the same question and save as the close button.
  me_.CloseRequested = [this] {
    if (asking_) return;
    // The question centres on the window: on a minimised one that is the parked place off
    // screen, where nobody would see it.
    if (me_.IsMinimized()) me_.Restore();
    picMenu_Click(0);
  };
  me_.EndSession = [this] { Form_EndSession(); };
  // On a monitor of another scale the painted buttons are painted again at their new size,
  // each in the look it shows.
  me_.DpiChanged = [this] {
    for (int i = 0; i < 5; ++i) PaintMenuButton(i, menu_.picMenu(i).Tag == L"1");
    for (int i = 0; i < 6; ++i) PaintListButton(i, list_.picListButton(i).Tag == L"1");
  };
  list_.List1.DblClick = [this] { List1_DblClick(); };
  list_.List3.DblClick = [this] { List3_DblClick(); };
  list_.txtSearch.Change = [this] { txtSearch_Change(); };
  // Typing reaches the recovery record once it pauses, never key by key; the writer's own
  // thread does the disk work.
  const auto edited = [this] {
    notes_.EditorEdited(platform_.TickCount());
    if (!recordTimer_.Enabled()) recordTimer_.SetEnabled(true);
  };
  editor_.txtTitle.Change = edited;
  editor_.txtNote.Change = edited;
  recordTimer_.Tick = [this] {
    if (!notes_.RecordEditorIfDue(platform_.TickCount())) recordTimer_.SetEnabled(false);
  };
  editor_.txtTitle.GotFocus = [this] { txtTitle_GotFocus(); };
  editor_.txtTitle.LostFocus = [this] { txtTitle_LostFocus(); };
  editor_.txtNote.MouseDown = [this](const platform::MouseArgs& a) { txtNote_MouseDown(a); };
  editor_.txtNote.MouseMove = [this](const platform::MouseArgs& a) { txtNote_MouseMove(a); };
  editor_.txtNote.MouseEnter = [this] { txtNote_MouseEnter(); };
  editor_.picMain.MouseMove = [this](const platform::MouseArgs& a) { picMain_MouseMove(a); };
  menu_.picMenuBar.MouseDown = [this](const platform::MouseArgs& a) { picMenuBar_MouseDown(a); };
  menu_.picMenuBar.MouseMove = [this](const platform::MouseArgs& a) { picMenuBar_MouseMove(a); };
  menu_.picMenuBar.MouseUp = [this](const platform::MouseArgs& a) { picMenuBar_MouseUp(a); };
  // The title is part of the bar: a press or a move on it is one on the bar.
  menu_.lblFormTitle.MouseDown = [this](const platform::MouseArgs& a) { picMenuBar_MouseDown(a); };
  menu_.lblFormTitle.MouseMove = [this](const platform::MouseArgs& a) { picMenuBar_MouseMove(a); };
  list_.picList.MouseMove = [this](const platform::MouseArgs& a) { picList_MouseMove(a); };
  me_.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  me_.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  me_.MouseUp = [this](const platform::MouseArgs& a) { Form_MouseUp(a); };
  for (int i = 0; i < 6; ++i) {
    list_.picListButton(i).Click = [this, i] { picListButton_Click(i); };
    list_.picListButton(i).MouseMove = [this, i](const platform::MouseArgs& a) {
      picListButton_MouseMove(i, a);
    };
    list_.picListButton(i).MouseLeave = [this, i] { picListButton_MouseLeave(i); };
  }
  for (int i = 0; i < 5; ++i) {
    menu_.picMenu(i).MouseMove = [this, i](const platform::MouseArgs& a) {
      picMenu_MouseMove(i, a);
    };
    menu_.picMenu(i).MouseLeave = [this, i] { picMenu_MouseLeave(i); };
  }
  for (int i = 0; i < 5; ++i) {
    menu_.picMenu(i).Click = [this, i] { picMenu_Click(i); };
  }
  for (int i = 0; i < 2; ++i) options_.SSwitch1(i).Click = [this, i] { SSwitch1_Click(i); };
  WireKeys();
}

bool frmMain::Load() {
  if (loaded_) return true;
  util_ = std::make_unique<util::clsUtil>(platform_);
  win_ = std::make_unique<util::clsWindow>(platform_);
  // Without the drawing library the program cannot show itself and ends.
  if (drawing_.InitGDIPlus(true, true, L"GDI+ 初始化错误。程序即将关闭。", 16, L"初始化错误") !=
      0) {
    return false;
  }
  // The look of the bar and the editor.
  menu_.picMenuBar.SetBorderStyle(0);
  menu_.picMenuBar.SetBackColor(kWhite);
  editor_.picMain.SetBorderStyle(0);
  editor_.txtTitle.SetBackColor(kWhite);
  // A list button loses its border before it is painted, so its image is made at its final
  // size.
  for (int i = 0; i < 6; ++i) {
    if (i < 5) {
      menu_.picMenu(i).Tag = L"0";
      PaintMenuButton(i, false);
    }
    list_.picListButton(i).Tag = L"0";
    list_.picListButton(i).SetBorderStyle(0);
    PaintListButton(i, false);
  }
  // The program draws its own bar and edges.
  borderless_.RemoveFrame(platform_, me_.hWnd());
  options_.picOptions.SetBorderStyle(0);
  tools_.picTools.SetBorderStyle(0);
  list_.picList.SetBorderStyle(0);
  list_.List1.SetBorderStyle(0);
  list_.List3.SetBorderStyle(0);
  list_.picSearch.SetBorderStyle(0);
  MarkStartStep("drawing");
  LoadSettings();
  MarkStartStep("settings");
  LoadNotes();
  RecoverNotes();
  MarkStartStep("record.start");
  // Every start opens on a fresh note in the editor, as a click on New.
  loaded_ = true;
  picListButton_Click(0);
  MarkStartStep("fresh");
  // The wheel handler goes in front of edge snapping, and comes off first at unload.
  InstallHooks();
  hooksInstalled_ = true;
  Form_Resize();
  MarkStartStep("layout");
  return true;
}

void frmMain::LoadNotes() {
  std::vector<Note> loaded = folder_.Load();
  MarkStartStep("notes.read");
  notes_.LoadNotes(std::move(loaded));
  MarkStartStep("notes.lists");
}

void frmMain::RecoverNotes() {
  // Not a copy: 10,000 notes copied here would stay in the process's memory as freed heap.
  // The writer keeps only their hashes, and is made before the notes are replaced.
  const NotesFolder::Conversation talk{[this](const std::wstring& q) { return Ask(q); },
                                       [this](const std::wstring& n) { Tell(n); }};
  const std::optional<std::vector<Note>> recovered = folder_.Recover(notes_.NoteArray(), talk);
  notes_.RecordTo(folder_.Record());
  // Shown, not yet saved: the record keeps them against the folder as loaded until the next
  // confirmed exit writes them.
  if (recovered) notes_.Replace(*recovered);
}

void frmMain::Tell(const std::wstring& notice) {
  constexpr unsigned kMessageExclamation = 0x30;  // OK button, warning icon
  platform_.ShowMessageBox(me_.hWnd(), notice, L"Tarvik", kMessageExclamation);
}

void frmMain::InstallHooks() {
  edgeSnap_.InstallEdgeSnap(platform_, me_.hWnd(), [this] { return me_.Dpi(); });
  mouseWheel_.Install(me_.hWnd());
}

void frmMain::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  util_.reset();
  win_.reset();
  // A floating window gives the main window its hooks back as it goes.
  float_.reset();
  retiredFloat_.reset();
  if (hooksInstalled_) {
    // In the reverse order: the window is left with the handler it had before either.
    platform_.ReplaceWindowProc(me_.hWnd(), mouseWheel_.OldWindowProc());
    edgeSnap_.RemoveEdgeSnap(platform_, me_.hWnd());
    hooksInstalled_ = false;
  }
  borderless_.RestoreFrame(platform_, me_.hWnd());
  drawing_.TerminateGDIPlus();
}

void frmMain::CloseWithoutSaving() {
  Unload();
  me_.DestroyWindow();
  platform_.Quit(0);
}

// ---- Note list, editor and search -----------------------------------------------------------

void frmMain::List1_DblClick() {
  if (!notes_.OpenSelected()) return;
  list_.picSearch.SetVisible(false);
  ShowEditor();
}

void frmMain::List3_DblClick() {
  if (notes_.SelectFound()) List1_DblClick();
}

void frmMain::txtSearch_Change() {
  notes_.Search(list_.txtSearch.Text());
}

void frmMain::txtTitle_GotFocus() {
  if (editor_.txtTitle.Text() == editor_.txtTitle.Tag) editor_.txtTitle.SetText(L"");
}

void frmMain::txtTitle_LostFocus() {
  if (util::TrimSpaces(editor_.txtTitle.Text()).empty())
    editor_.txtTitle.SetText(editor_.txtTitle.Tag);
}

void frmMain::txtNote_MouseDown(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonMiddle && a.shift == platform::kCtrlKey)
    editor_.txtNote.SetFontSize(9);
}

void frmMain::txtNote_MouseMove(const platform::MouseArgs& a) {
  if (a.shift == platform::kCtrlKey) flags_.NoteHoverFlag = true;
}

void frmMain::txtNote_MouseEnter() {
  if (me_.MousePointer() != 0) me_.SetMousePointer(0);
}

void frmMain::picMain_MouseMove(const platform::MouseArgs& a) {
  if (me_.MousePointer() != 0) me_.SetMousePointer(0);
  flags_.NoteHoverFlag = false;
  picMenuBar_MouseMove(a);
}

void frmMain::picMenuBar_MouseMove(const platform::MouseArgs& /*a*/) {
  if (me_.MousePointer() != 0) me_.SetMousePointer(0);
  TakeBackHover(
      5, [this](int i) -> widgets::PictureBox& { return menu_.picMenu(i); },
      [this](int i) { PaintMenuButton(i, false); });
}

void frmMain::picList_MouseMove(const platform::MouseArgs& /*a*/) {
  if (me_.MousePointer() != 0) me_.SetMousePointer(0);
  TakeBackHover(
      6, [this](int i) -> widgets::PictureBox& { return list_.picListButton(i); },
      [this](int i) { PaintListButton(i, false); });
}

void frmMain::TakeBackHover(int count, const std::function<widgets::PictureBox&(int)>& button,
                            const std::function<void(int)>& paintNormal) {
  // A button's Tag is "1" while it shows its hover look.
  for (int i = 0; i < count; ++i) {
    if (button(i).Tag == L"1") {
      button(i).Tag = L"0";
      paintNormal(i);
    }
  }
}

void frmMain::picMenu_MouseMove(int index, const platform::MouseArgs& /*a*/) {
  if (menu_.picMenu(index).Tag != L"0") return;
  menu_.picMenu(index).Tag = L"1";
  PaintMenuButton(index, true);
}

void frmMain::picListButton_MouseMove(int index, const platform::MouseArgs& /*a*/) {
  if (list_.picListButton(index).Tag != L"0") return;
  list_.picListButton(index).Tag = L"1";
  PaintListButton(index, true);
}

// The pointer went off a button, maybe too fast to cross the bar or the page on its way.
void frmMain::picMenu_MouseLeave(int index) {
  if (menu_.picMenu(index).Tag != L"1") return;
  menu_.picMenu(index).Tag = L"0";
  PaintMenuButton(index, false);
}

void frmMain::picListButton_MouseLeave(int index) {
  if (list_.picListButton(index).Tag != L"1") return;
  list_.picListButton(index).Tag = L"0";
  PaintListButton(index, false);
}

}  // namespace tarvik::app
