// The commands of the list page's buttons and of the menu bar, and the step that copies the
// editor back into the notes before each menu command.

#include <algorithm>
#include <string>
#include <utility>

#include "app/frm_main.h"
#include "dialogs/frm_question.h"
#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::app {
namespace {

const wchar_t kNoteFilter[] = L"Tarvik导出文件(*.tvk)|*.tvk|纯文本格式文件(*.txt)|*.txt";
constexpr unsigned kMessageCritical = 0x10;  // OK button, error icon

std::wstring LowerAscii(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
  });
  return text;
}

// A note as an import file holds it: the title line, CR LF, the text. Without CR LF the
// whole content is the text of an untitled note, as the note store reads its own files.
Note SplitImported(const std::wstring& content) {
  const std::size_t lineEnd = content.find(L"\r\n");
  if (lineEnd == std::wstring::npos) return Note{L"", content};
  return Note{content.substr(0, lineEnd), content.substr(lineEnd + 2)};
}

}  // namespace

// ---- List-page buttons ------------------------------------------------------------------------

void frmMain::picListButton_Click(int index) {
  widgets::CommonDialog dialog(platform_, me_.hWnd());
  PaintListButton(index, false);
  list_.picListButton(index).Tag = L"0";
  bool closing = true;
  switch (index) {
    case 0:
      NewNote();
      break;
    case 1:
      closing = DeleteNote();
      break;
    case 2:
      closing = ClearNotes();
      break;
    case 3:
      closing = ExportNote(dialog);
      break;
    case 4:
      ImportNote(dialog);
      break;
    case 5:
      ToggleSearch();
      break;
    default:
      break;
  }
  // A question box stops the timer while it is up.
  if (closing && !timer1_.Enabled()) timer1_.SetEnabled(true);
}

void frmMain::NewNote() {
  notes_.NewNote();
  ShowEditor();
}

bool frmMain::DeleteNote() {
  if (!notes_.DeleteSelected()) return false;
  // The list never stays empty.
  if (notes_.Count() == 0) NewNote();
  return true;
}

bool frmMain::ExportNote(widgets::CommonDialog& dialog) {
  if (!notes_.HasSelection()) return false;
  dialog.Filter = kNoteFilter;
  dialog.DialogTitle = L"导出文件";
  dialog.Flags = widgets::CommonDialog::kOverwritePrompt;
  // A typed name gets the chosen filter's extension, so the file can be imported back.
  dialog.DefaultExt = L"tvk";
  if (dialog.ShowSave()) return true;  // the dialog failed: nothing to write
  const int k = notes_.Selected();
  if (dialog.FileName.empty() || k < 0) return true;  // cancelled
  const std::wstring content = notes_.ExportText(k);
  if (!util_->SaveUTF8File(content, dialog.FileName)) {
    // The user would otherwise believe the note is safe in that file.
    platform_.ShowMessageBox(me_.hWnd(),
                             L"笔记导出失败：无法写入文件“" + dialog.FileName +
                                 L"”。\r\n请检查该位置是否可写、磁盘空间是否足够。",
                             L"导出文件", kMessageCritical);
  }
  return true;
}

void frmMain::ImportNote(widgets::CommonDialog& dialog) {
  dialog.Filter = kNoteFilter;
  dialog.DialogTitle = L"导入文件";
  dialog.FileName = L"";
  if (dialog.ShowOpen()) return;
  if (dialog.FileName.empty() || !util::FileExists(dialog.FileName)) return;
  if (dialog.FileTitle.size() <= 4) return;
  // Windows names are case-insensitive: "NOTE.TXT" is a text file.
  const std::wstring kind = LowerAscii(dialog.FileTitle.substr(dialog.FileTitle.size() - 3));
  if (kind != L"tvk" && kind != L"txt") return;
  Note note;
  try {
    // Notepad's encodings: UTF-8, UTF-16 behind its mark, else the Chinese code page.
    const std::wstring content = util::ReadTextFile(dialog.FileName, platform_);
    note = kind == L"tvk" ? SplitImported(content) : Note{L"", content};
  } catch (const util::FileReadError&) {
    return;  // unreadable: nothing is added
  }
  notes_.Add(std::move(note));
  ShowEditor();
}

bool frmMain::ClearNotes() {
  if (!notes_.HasSelection()) return false;
  if (Ask(L"确定清空全部的笔记吗？")) {
    notes_.Clear();
    NewNote();
  }
  return true;
}

bool frmMain::Ask(const std::wstring& question) {
  asking_ = true;
  dialogs::ShowQuestion(*this, question, me_);
  asking_ = false;
  return questionResult_;
}

void frmMain::ShowEditor() {
  list_.picList.SetVisible(false);
  editor_.picMain.SetVisible(true);
  if (me_.Visible()) editor_.txtNote.SetFocus();
}

void frmMain::ToggleSearch() {
  // The search strip and its result list take the place of the note list, or back.
  list_.picSearch.SetVisible(!list_.picSearch.Visible());
  list_.List1.SetVisible(!list_.List1.Visible());
  list_.List3.SetVisible(!list_.List3.Visible());
  if (list_.picSearch.Visible()) {
    list_.txtSearch.SetText(L"");
    if (list_.txtSearch.IsShownOnScreen()) list_.txtSearch.SetFocus();
  }
}

// ---- Exit ------------------------------------------------------------------------------------

bool frmMain::ExitCommand() {
  const bool onList = list_.picList.Visible();
  const bool panelOpen = options_.picOptions.Visible() || tools_.picTools.Visible();
  if (TryExit()) return true;
  // Staying: the user is where they were, on the list if they came from it; the keyboard
  // leaves the panel the exit closed.
  if (onList) {
    editor_.picMain.SetVisible(false);
    list_.picList.SetVisible(true);
  }
  if (panelOpen) FocusBackFromPanel();
  return false;
}

bool frmMain::TryExit() {
  options_.picOptions.SetVisible(false);
  tools_.picTools.SetVisible(false);
  if (list_.picList.Visible()) {
    list_.picList.SetVisible(false);
    editor_.picMain.SetVisible(true);
  }
  CommitOpenNote();
  if (!Ask(L"你确定要退出“Tarvik”吗？")) return false;
  SaveSettings();
  bool saved = false;
  if (folder_.ChangedSinceLoad()) {
    if (!Ask(L"“Notes”文件夹在本次运行期间被其他程序修改过。要用当前的笔记替换它吗？被替换的笔记会"
             L"先另存一份副本。")) {
      return false;
    }
    // What the other program wrote is kept whole before the save replaces it, or not replaced.
    if (folder_.CopyAside()) saved = SaveNotes();
  } else {
    saved = SaveNotes();
  }
  // A save that failed left the old files as they were; ending now would lose every edit of
  // this run, so the user decides, and staying keeps all notes in memory for another try.
  if (!saved) {
    if (!Ask(L"笔记保存失败。仍要退出“Tarvik”吗？")) return false;
  }
  CloseWithoutSaving();
  return true;
}

void frmMain::Form_EndSession() {
  if (!loaded_) return;
  CommitOpenNote();
  SaveSettings();
  // No one can answer now: another program's notes are copied aside, then replaced.
  if (!folder_.ChangedSinceLoad() || folder_.CopyAside()) SaveNotes();
  // A question still up belongs to a command that no one will finish; the session ends
  // around it. Otherwise the program ends now, as after the close button.
  if (!asking_) CloseWithoutSaving();
}

// ---- Menu bar ---------------------------------------------------------------------------------

void frmMain::OpenFloat() {
  if (float_) return;
  // Snapping goes, and the wheel handler in front of it with it; the floating window's
  // unload puts both back.
  edgeSnap_.RemoveEdgeSnap(platform_, me_.hWnd());
  CommitOpenNote();
  options_.picOptions.SetVisible(false);
  tools_.picTools.SetVisible(false);
  retiredFloat_.reset();
  float_ = std::make_unique<window::frmFloat>(platform_, *this);
  float_->Form_Load();
  float_->Me.Move(me_.Left(), me_.Top(), float_->Me.Width(), float_->Me.Height());
  float_->Me.Show();
  me_.Hide();
}

void frmMain::UnloadFloat() {
  if (!float_) return;
  float_->Form_Unload();
  float_->Me.Hide();
  retiredFloat_ = std::move(float_);
}

void frmMain::picMenu_Click(int index) {
  menu_.picMenu(index).Tag = L"0";
  PaintMenuButton(index, false);
  switch (index) {
    case 0:
      if (!ExitCommand()) break;
      return;  // the program has ended: nothing is left to switch on
    case 1:
      OpenFloat();
      break;
    case 2:
    case 3: {
      CommitOpenNote();
      if (list_.picList.Visible()) {
        list_.picList.SetVisible(false);
        editor_.picMain.SetVisible(true);
      }
      widgets::PictureBox& page = index == 2 ? options_.picOptions : tools_.picTools;
      widgets::PictureBox& other = index == 2 ? tools_.picTools : options_.picOptions;
      if (!page.Visible() && !other.Visible()) RememberFocus();
      page.SetVisible(!page.Visible());
      other.SetVisible(false);
      if (!me_.Visible()) break;
      if (page.Visible()) {
        FocusPanel();
      } else {
        FocusBackFromPanel();
      }
      break;
    }
    case 4:
      list_.picSearch.SetVisible(false);
      list_.List1.SetVisible(true);
      list_.List3.SetVisible(false);
      CommitOpenNote();
      options_.picOptions.SetVisible(false);
      tools_.picTools.SetVisible(false);
      list_.picList.SetVisible(!list_.picList.Visible());
      editor_.picMain.SetVisible(!editor_.picMain.Visible());
      // The keyboard stays with the page shown, not in a box gone from sight.
      FocusPage();
      break;
    default:
      break;
  }
  if (!timer1_.Enabled()) timer1_.SetEnabled(true);
}

}  // namespace tarvik::app
