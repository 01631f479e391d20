// The commands of the list page's buttons and of the menu bar, and the step that copies the
// editor back into the notes before each menu command.

#include <algorithm>
#include <string>

#include "app/frm_main.h"
#include "app/text_rules.h"
#include "dialogs/frm_question.h"
#include "util/file_io.h"

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
  widgets::CommonDialog dialog(platform_, Me.hWnd());
  PaintListButton(index, false);
  picListButton(index).Tag = L"0";
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
  if (closing && !Timer1.Enabled()) Timer1.SetEnabled(true);
}

void frmMain::NewNote() {
  List1.AddItem(std::wstring(kUntitledTitle));
  List2.AddItem(L"");
  NoteArray.resize(static_cast<std::size_t>(List1.ListCount()));
  NoteArray.back() = Note{};
  txtTitle.SetText(std::wstring(kUntitledTitle));
  txtNote.SetText(L"");
  picList.SetVisible(false);
  picMain.SetVisible(true);
  List1.SetListIndex(List1.ListCount() - 1);
  openNote_ = List1.ListIndex();
  if (Me.Visible()) txtNote.SetFocus();
}

bool frmMain::DeleteNote() {
  if (List1.ListCount() == 0 || List1.ListIndex() == -1) return false;
  const int k = List1.ListIndex();
  List2.RemoveItem(k);
  List1.RemoveItem(k);
  const int n = List1.ListCount();
  if (n == 0) {
    NoteArray.clear();
    NewNote();
    return true;
  }
  NoteArray.assign(static_cast<std::size_t>(n), Note{});
  for (int i = 0; i < n; ++i) {
    std::wstring title = TrimSpaces(List1.List(i));
    if (title == kUntitledTitle) title.clear();
    NoteArray[static_cast<std::size_t>(i)] = Note{std::move(title), List2.List(i)};
  }
  List1.SetListIndex(k - 1);
  if (List1.ListIndex() == -1) List1.SetListIndex(0);
  // The editor must never keep a note that is gone: the next commit would write it over
  // another one. It shows the newly selected note instead.
  if (openNote_ == k) {
    LoadIntoEditor(List1.ListIndex());
  } else if (openNote_ > k) {
    --openNote_;
  }
  return true;
}

bool frmMain::ExportNote(widgets::CommonDialog& dialog) {
  if (List1.ListCount() == 0 || List1.ListIndex() == -1) return false;
  dialog.Filter = kNoteFilter;
  dialog.DialogTitle = L"导出文件";
  dialog.Flags = widgets::CommonDialog::kOverwritePrompt;
  // A typed name gets the chosen filter's extension, so the file can be imported back.
  dialog.DefaultExt = L"tvk";
  if (dialog.ShowSave()) return true;  // the dialog failed: nothing to write
  const int k = List1.ListIndex();
  if (dialog.FileName.empty() || k < 0) return true;  // cancelled
  const std::wstring content = List1.List(k) + L"\r\n" + List2.List(k);
  if (!Util->SaveUTF8File(content, dialog.FileName)) {
    // The user would otherwise believe the note is safe in that file.
    platform_.ShowMessageBox(Me.hWnd(),
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
    const std::wstring content = Util->ReadUTF8File(dialog.FileName);
    note = kind == L"tvk" ? SplitImported(content) : Note{L"", content};
  } catch (const util::FileReadError&) {
    return;  // unreadable: nothing is added
  }
  NoteArray.push_back(note);
  List1.AddItem(note.title);
  List2.AddItem(note.text);
  List1.SetListIndex(List1.ListCount() - 1);
  picMain.SetVisible(true);
  picList.SetVisible(false);
  const int i = List1.ListIndex();
  txtTitle.SetText(List1.List(i));
  txtNote.SetText(List2.List(i));
  if (txtTitle.Text().empty()) txtTitle.SetText(std::wstring(kUntitledTitle));
  openNote_ = i;
  if (Me.Visible()) txtNote.SetFocus();
}

bool frmMain::ClearNotes() {
  if (List1.ListCount() == 0 || List1.ListIndex() == -1) return false;
  if (Ask(L"确定清空全部的笔记吗？")) {
    List1.Clear();
    List2.Clear();
    NoteArray.clear();
    NewNote();
  }
  return true;
}

bool frmMain::Ask(const std::wstring& question) {
  asking_ = true;
  dialogs::ShowQuestion(*this, question, Me);
  asking_ = false;
  return QuestionResult;
}

void frmMain::ToggleSearch() {
  // The search strip and its result list take the place of the note list, or back.
  picSearch.SetVisible(!picSearch.Visible());
  List1.SetVisible(!List1.Visible());
  List3.SetVisible(!List3.Visible());
  if (picSearch.Visible()) {
    txtSearch.SetText(L"");
    if (txtSearch.IsShownOnScreen()) txtSearch.SetFocus();
  }
}

// ---- Exit ------------------------------------------------------------------------------------

bool frmMain::ExitCommand() {
  picOptions.SetVisible(false);
  picTools.SetVisible(false);
  if (picList.Visible()) {
    picList.SetVisible(false);
    picMain.SetVisible(true);
  }
  CommitOpenNote();
  if (!Ask(L"你确定要退出“Tarvik”吗？")) return false;
  SaveSettings();
  // A save that failed left the old files as they were; ending now would lose every edit of
  // this run, so the user decides, and staying keeps all notes in memory for another try.
  if (!SaveNotes() && !Ask(L"笔记保存失败。仍要退出“Tarvik”吗？")) return false;
  CloseWithoutSaving();
  return true;
}

void frmMain::Form_EndSession() {
  if (!loaded_) return;
  CommitOpenNote();
  SaveSettings();
  SaveNotes();
  // A question still up belongs to a command that no one will finish; the session ends
  // around it. Otherwise the program ends now, as after the close button.
  if (!asking_) CloseWithoutSaving();
}

// ---- Menu bar ---------------------------------------------------------------------------------

void frmMain::CommitOpenNote() {
  const int i = openNote_;
  if (i < 0 || i >= List1.ListCount() || i >= static_cast<int>(NoteArray.size())) return;
  std::wstring title = TrimSpaces(txtTitle.Text());
  // The placeholder the title box shows for an untitled note is no title.
  if (title == kUntitledTitle) title.clear();
  List1.SetList(i, title.empty() ? std::wstring(kUntitledTitle) : title);
  List2.SetList(i, txtNote.Text());
  NoteArray[static_cast<std::size_t>(i)] = Note{std::move(title), txtNote.Text()};
}

void frmMain::OpenFloat() {
  if (Float) return;
  // Snapping goes, and the wheel handler in front of it with it; the floating window's
  // unload puts both back.
  EdgeSnap.RemoveEdgeSnap(platform_, Me.hWnd());
  CommitOpenNote();
  picOptions.SetVisible(false);
  picTools.SetVisible(false);
  retiredFloat_.reset();
  Float = std::make_unique<window::frmFloat>(*this);
  Float->Form_Load();
  Float->Me.Move(Me.Left(), Me.Top(), Float->Me.Width(), Float->Me.Height());
  Float->Me.Show();
  Me.Hide();
}

void frmMain::UnloadFloat() {
  if (!Float) return;
  Float->Form_Unload();
  Float->Me.Hide();
  retiredFloat_ = std::move(Float);
}

void frmMain::picMenu_Click(int index) {
  picMenu(index).Tag = L"0";
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
      if (picList.Visible()) {
        picList.SetVisible(false);
        picMain.SetVisible(true);
      }
      widgets::PictureBox& page = index == 2 ? picOptions : picTools;
      widgets::PictureBox& other = index == 2 ? picTools : picOptions;
      page.SetVisible(!page.Visible());
      other.SetVisible(false);
      break;
    }
    case 4:
      picSearch.SetVisible(false);
      List1.SetVisible(true);
      List3.SetVisible(false);
      CommitOpenNote();
      picOptions.SetVisible(false);
      picTools.SetVisible(false);
      picList.SetVisible(!picList.Visible());
      picMain.SetVisible(!picMain.Visible());
      break;
    default:
      break;
  }
  if (!Timer1.Enabled()) Timer1.SetEnabled(true);
}

}  // namespace tarvik::app
