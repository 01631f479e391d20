#include "app/frm_main.h"

#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/text_rules.h"

namespace tarvik::app {
namespace {

using platform::Rect;
using platform::Rgb;

constexpr platform::Color kPageGrey = Rgb(244, 244, 244);
constexpr platform::Color kPanelGrey = Rgb(240, 240, 240);
constexpr platform::Color kLineGrey = Rgb(136, 136, 136);
constexpr platform::Color kWhite = Rgb(255, 255, 255);

// A number as decimal text, without a string of its own.
class DecimalDigits {
 public:
  std::wstring_view Of(std::size_t n) {
    wchar_t* first = std::end(digits_);
    do {
      *--first = static_cast<wchar_t>(L'0' + n % 10);
      n /= 10;
    } while (n != 0);
    return {first, static_cast<std::size_t>(std::end(digits_) - first)};
  }

 private:
  wchar_t digits_[24];
};

platform::FontInfo Yahei(double points) {
  return platform::FontInfo{L"微软雅黑", points, 400, 134};
}

// The window's design size: a client area of 298 x 344 pixels, centred on the screen.
Rect DesignWindowRect(platform::Platform& p) {
  const platform::ScreenMetrics s = p.Screen();
  const int width = 4470 / s.twipsPerPixelX;
  const int height = 5160 / s.twipsPerPixelY;
  return {(s.widthPx - width) / 2, (s.heightPx - height) / 2, width, height};
}

widgets::PanelDesign Panel(Rect bounds, platform::Color back, bool visible, int border = 1) {
  widgets::PanelDesign d;
  d.bounds = bounds;
  d.backColor = back;
  d.visible = visible;
  d.borderStyle = border;
  return d;
}

widgets::ListBoxDesign HiddenList(Rect bounds) {
  widgets::ListBoxDesign d;
  d.bounds = bounds;
  d.visible = false;
  d.neverShown = true;
  return d;
}

widgets::ListBoxDesign TitleList(Rect bounds, bool visible) {
  widgets::ListBoxDesign d;
  d.bounds = bounds;
  d.font = Yahei(9);
  d.backColor = kPageGrey;
  d.borderStyle = 1;
  d.visible = visible;
  return d;
}

widgets::TextBoxDesign SearchBox() {
  widgets::TextBoxDesign d;
  d.bounds = {4, 4, 145, 17};
  d.font = Yahei(9);
  d.backColor = kPageGrey;
  d.borderStyle = 0;
  d.toolTip = L"在此输入查找字符串。";
  return d;
}

widgets::TextBoxDesign NoteBox() {
  widgets::TextBoxDesign d;
  d.bounds = {4, 28, 237, 137};
  d.font = Yahei(9);
  d.backColor = Rgb(248, 248, 248);
  d.borderStyle = 0;
  d.multiLine = true;
  d.scrollBars = 2;
  return d;
}

widgets::TextBoxDesign TitleBox() {
  widgets::TextBoxDesign d;
  d.bounds = {4, 4, 237, 17};
  d.font = Yahei(9);
  d.backColor = Rgb(224, 224, 224);
  d.borderStyle = 0;
  d.alignment = 2;
  d.toolTip = L"在此输入标题。";
  return d;
}

widgets::LabelDesign Text(Rect bounds, const std::wstring& caption, platform::Color back,
                          double points = 9, std::wstring toolTip = {}) {
  widgets::LabelDesign d;
  d.bounds = bounds;
  d.caption = caption;
  d.font = Yahei(points);
  d.backColor = back;
  d.toolTip = std::move(toolTip);
  return d;
}

widgets::LabelDesign FormTitle() {
  // The bar turns white at start-up; the title sits on it.
  widgets::LabelDesign d = Text({28, 4, 88, 20}, L"Orvel Tarvik", kWhite, 10.5);
  d.foreColor = 0x333333;
  return d;
}

}  // namespace

std::array<std::unique_ptr<widgets::PictureBox>, 6> frmMain::MakeListButtons(
    widgets::PictureBox& parent) {
  static constexpr int kLeft[6] = {38, 72, 106, 140, 174, 4};
  static const wchar_t* const kTips[6] = {L"新建笔记", L"删除笔记", L"清空笔记",
                                          L"导出笔记", L"导入笔记", L"查找笔记"};
  std::array<std::unique_ptr<widgets::PictureBox>, 6> buttons;
  for (int i = 0; i < 6; ++i) {
    widgets::PanelDesign d = Panel({kLeft[i], 4, 29, 29}, kPageGrey, true);
    d.toolTip = kTips[i];
    buttons[static_cast<std::size_t>(i)] = std::make_unique<widgets::PictureBox>(parent, d);
  }
  return buttons;
}

std::array<std::unique_ptr<widgets::PictureBox>, 5> frmMain::MakeMenuButtons(
    widgets::PictureBox& parent) {
  static const wchar_t* const kTips[5] = {L"关闭", L"浮窗", L"选项", L"工具", L"列表"};
  std::array<std::unique_ptr<widgets::PictureBox>, 5> buttons;
  for (int i = 0; i < 5; ++i) {
    widgets::PanelDesign d = Panel({200 - i * 22, 12, 20, 20}, kWhite, true, 0);
    d.toolTip = kTips[i];
    buttons[static_cast<std::size_t>(i)] = std::make_unique<widgets::PictureBox>(parent, d);
  }
  return buttons;
}

frmMain::frmMain(platform::Platform& platform)
    : platform_(platform),
      Me(platform, L"Tarvik", DesignWindowRect(platform), kWhite),
      Timer1(platform, 100, true),
      picList(Me, Panel({44, 140, 225, 289}, kPageGrey, false)),
      List4(picList, HiddenList({104, 48, 37, 16})),
      List3(picList, TitleList({36, 76, 209, 172}, false)),
      picSearch(picList, Panel({36, 4, 165, 29}, kPageGrey, false)),
      txtSearch(picSearch, SearchBox()),
      LineSearch(picSearch, {20, 20}, {44, 20}, kLineGrey),
      List2(picList, HiddenList({144, 52, 37, 16})),
      List1(picList, TitleList({4, 40, 209, 172}, true)),
      picTools(Me, Panel({156, 304, 165, 165}, kPanelGrey, false)),
      Label4_2(picTools, Text({8, 8, 149, 20}, L"工具还在设计中", kPanelGrey)),
      picOptions(Me, Panel({108, 96, 165, 165}, kPanelGrey, false)),
      Label3_0(picOptions, Text({8, 10, 80, 20}, L"置顶窗口", kPanelGrey, 9,
                                L"设置“Tarvik”的界面是否保持在最前端。")),
      Label3_1(picOptions, Text({8, 40, 80, 20}, L"开机启动", kPanelGrey, 9,
                                L"设置是否在开机后（包括切换用户后）自动启动“Tarvik”。")),
      Label4_0(picOptions, Text({8, 116, 149, 18}, L"版本：0.1 测试", kPanelGrey)),
      Label4_1(picOptions, Text({8, 138, 149, 18}, L"OrvelVorovi 出品", kPanelGrey)),
      picMain(Me, Panel({32, 100, 249, 213}, kWhite, true)),
      txtNote(picMain, NoteBox()),
      txtTitle(picMain, TitleBox()),
      lineTitle(picMain, {40, 24}, {64, 24}, kLineGrey),
      Label1(picMain, Text({4, 4, 36, 17}, L"标题：", kWhite, 9, L"设置笔记的标题。")),
      picMenuBar(Me, Panel({28, 40, 249, 45}, Rgb(224, 224, 224), true)),
      lblFormTitle(picMenuBar, FormTitle()) {
  txtTitle.Tag = kUntitledTitle;
  WireEvents();
}

frmMain::~frmMain() {
  Unload();
}

void frmMain::WireEvents() {
  Me.Resize = [this] { Form_Resize(); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  // Alt+F4, the system menu, the taskbar: the same question and save as the close button.
  Me.CloseRequested = [this] {
    if (!asking_) picMenu_Click(0);
  };
  Me.EndSession = [this] { Form_EndSession(); };
  List1.DblClick = [this] { List1_DblClick(); };
  List3.DblClick = [this] { List3_DblClick(); };
  txtSearch.Change = [this] { txtSearch_Change(); };
  txtTitle.GotFocus = [this] { txtTitle_GotFocus(); };
  txtTitle.LostFocus = [this] { txtTitle_LostFocus(); };
  txtNote.MouseDown = [this](const platform::MouseArgs& a) { txtNote_MouseDown(a); };
  txtNote.MouseMove = [this](const platform::MouseArgs& a) { txtNote_MouseMove(a); };
  txtNote.MouseEnter = [this] { txtNote_MouseEnter(); };
  picMain.MouseMove = [this](const platform::MouseArgs& a) { picMain_MouseMove(a); };
  picMenuBar.MouseDown = [this](const platform::MouseArgs& a) { picMenuBar_MouseDown(a); };
  picMenuBar.MouseMove = [this](const platform::MouseArgs& a) { picMenuBar_MouseMove(a); };
  picMenuBar.MouseUp = [this](const platform::MouseArgs& a) { picMenuBar_MouseUp(a); };
  // The title is part of the bar: a press or a move on it is one on the bar.
  lblFormTitle.MouseDown = [this](const platform::MouseArgs& a) { picMenuBar_MouseDown(a); };
  lblFormTitle.MouseMove = [this](const platform::MouseArgs& a) { picMenuBar_MouseMove(a); };
  picList.MouseMove = [this](const platform::MouseArgs& a) { picList_MouseMove(a); };
  Me.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  Me.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Me.MouseUp = [this](const platform::MouseArgs& a) { Form_MouseUp(a); };
  for (int i = 0; i < 6; ++i) {
    picListButton(i).Click = [this, i] { picListButton_Click(i); };
    picListButton(i).MouseMove = [this, i](const platform::MouseArgs& a) {
      picListButton_MouseMove(i, a);
    };
  }
  for (int i = 0; i < 5; ++i) {
    picMenu(i).MouseMove = [this, i](const platform::MouseArgs& a) { picMenu_MouseMove(i, a); };
  }
  for (int i = 0; i < 5; ++i) {
    picMenu(i).Click = [this, i] { picMenu_Click(i); };
  }
  for (int i = 0; i < 2; ++i) SSwitch1(i).Click = [this, i] { SSwitch1_Click(i); };
}

bool frmMain::Load() {
  if (loaded_) return true;
  // 1. The shared objects.
  Util = std::make_unique<util::clsUtil>(platform_);
  Win = std::make_unique<util::clsWindow>(platform_);
  // 2. The drawing library; without it the program cannot show itself and ends.
  if (Drawing.InitGDIPlus(true, true, L"GDI+ 初始化错误。程序即将关闭。", 16, L"初始化错误") != 0) {
    return false;
  }
  // 3. The look of the bar and the editor.
  picMenuBar.SetBorderStyle(0);
  picMenuBar.SetBackColor(kWhite);
  picMain.SetBorderStyle(0);
  txtTitle.SetBackColor(kWhite);
  // 4. Buttons start in their normal look. A list button loses its border before it is
  // painted, so its image is made at its final size.
  for (int i = 0; i < 6; ++i) {
    if (i < 5) {
      picMenu(i).Tag = L"0";
      PaintMenuButton(i, false);
    }
    picListButton(i).Tag = L"0";
    picListButton(i).SetBorderStyle(0);
    PaintListButton(i, false);
  }
  // 5. The program draws its own bar and edges.
  Borderless.RemoveFrame(platform_, Me.hWnd());
  // 6. Borderless pages and lists.
  picOptions.SetBorderStyle(0);
  picTools.SetBorderStyle(0);
  picList.SetBorderStyle(0);
  List1.SetBorderStyle(0);
  List3.SetBorderStyle(0);
  picSearch.SetBorderStyle(0);
  // 7. Position, size, topmost state and logon start.
  LoadSettings();
  // 8. The notes.
  LoadNotes();
  // 9. Every start opens on a fresh note in the editor, as a click on New.
  loaded_ = true;
  picListButton_Click(0);
  // 10-11. Edge snapping, and in front of it the wheel handler.
  EdgeSnap.InstallEdgeSnap(platform_, Me.hWnd());
  MouseWheel.Install(Me.hWnd());
  hooksInstalled_ = true;
  Form_Resize();
  return true;
}

void frmMain::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  Util.reset();
  Win.reset();
  // A floating window gives the main window its hooks back as it goes.
  Float.reset();
  retiredFloat_.reset();
  if (hooksInstalled_) {
    // In the reverse order: the window is left with the handler it had before either.
    platform_.ReplaceWindowProc(Me.hWnd(), MouseWheel.OldWindowProc());
    EdgeSnap.RemoveEdgeSnap(platform_, Me.hWnd());
    hooksInstalled_ = false;
  }
  Borderless.RestoreFrame(platform_, Me.hWnd());
  Drawing.TerminateGDIPlus();
}

void frmMain::CloseWithoutSaving() {
  Unload();
  Me.DestroyWindow();
  platform_.Quit(0);
}

// ---- Note store -----------------------------------------------------------------------------

void frmMain::LoadNotes() {
  NotesFolderContents contents = ReadNotesFolderContents(NotesFolder());
  unreadableNotes_ = std::move(contents.unreadable);
  notesFolderListed_ = contents.listed;
  // Titles and texts go into the lists in one bulk update each; the notes themselves move
  // into NoteArray, so each text is held twice (NoteArray and List2) and no more.
  std::vector<std::wstring> titles;
  std::vector<std::wstring> texts;
  titles.reserve(contents.notes.size());
  texts.reserve(contents.notes.size());
  NoteArray.reserve(NoteArray.size() + contents.notes.size());
  for (Note& note : contents.notes) {
    titles.push_back(note.title);
    texts.push_back(note.text);
    NoteArray.push_back(std::move(note));
  }
  List1.AddItems(std::move(titles));
  List2.AddItems(std::move(texts));
}

bool frmMain::SaveNotes() {
  // What the load could not read stays as it is; when it could not tell the folder's notes at
  // all, every note file there does, as the first save finds them.
  KeptFiles keep{unreadableNotes_, !notesFolderListed_};
  const bool saved = WriteNotesFolder(NotesFolder(), NoteArray, keep);
  unreadableNotes_ = std::move(keep.names);
  notesFolderListed_ = !keep.allNoteFiles;
  return saved;
}

// ---- Note list, editor and search -----------------------------------------------------------

void frmMain::List1_DblClick() {
  OpenSelectedNote();
}

void frmMain::OpenSelectedNote() {
  if (List1.ListCount() == 0 || List1.ListIndex() == -1) return;
  LoadIntoEditor(List1.ListIndex());
  picList.SetVisible(false);
  picMain.SetVisible(true);
  picSearch.SetVisible(false);
  if (Me.Visible()) txtNote.SetFocus();
}

void frmMain::LoadIntoEditor(int i) {
  const std::wstring title = List1.List(i);
  txtTitle.SetText(title == kUntitledTitle ? std::wstring() : title);
  txtNote.SetText(List2.List(i));
  openNote_ = i;
}

void frmMain::List3_DblClick() {
  if (List3.ListCount() == 0 || List3.ListIndex() == -1) return;
  const std::optional<int> index = ParseIndex(List4.List(List3.ListIndex()));
  // A result can point past the end once notes were removed after the search; it then opens
  // nothing rather than whatever note happens to be selected.
  if (!index || *index < 0 || !List1.SetListIndex(*index)) return;
  List1_DblClick();
}

void frmMain::txtSearch_Change() {
  // Runs on every keystroke: the titles are compared where they are held, and the results
  // are written over the old ones, one bulk update per list.
  const std::wstring& needle = txtSearch.Text();
  const std::vector<std::wstring>& all = List1.Items();
  List3.RewriteItems([&](widgets::ListBoxW::ItemWriter& titles) {
    List4.RewriteItems([&](widgets::ListBoxW::ItemWriter& positions) {
      if (needle.empty()) return;
      for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].find(needle) == std::wstring::npos) continue;
        titles.Add(all[i]);
        DecimalDigits digits;
        positions.Add(digits.Of(i));
      }
    });
  });
}

void frmMain::txtTitle_GotFocus() {
  if (txtTitle.Text() == txtTitle.Tag) txtTitle.SetText(L"");
}

void frmMain::txtTitle_LostFocus() {
  if (TrimSpaces(txtTitle.Text()).empty()) txtTitle.SetText(txtTitle.Tag);
}

void frmMain::txtNote_MouseDown(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonMiddle && a.shift == platform::kCtrlKey) txtNote.SetFontSize(9);
}

void frmMain::txtNote_MouseMove(const platform::MouseArgs& a) {
  if (a.shift == platform::kCtrlKey) NoteHoverFlag = true;
}

void frmMain::txtNote_MouseEnter() {
  if (Me.MousePointer() != 0) Me.SetMousePointer(0);
}

void frmMain::picMain_MouseMove(const platform::MouseArgs& a) {
  if (Me.MousePointer() != 0) Me.SetMousePointer(0);
  NoteHoverFlag = false;
  picMenuBar_MouseMove(a);
}

void frmMain::picMenuBar_MouseMove(const platform::MouseArgs& /*a*/) {
  if (Me.MousePointer() != 0) Me.SetMousePointer(0);
  int hovered = 0;
  for (int i = 0; i < 5; ++i) hovered += ParseIndex(picMenu(i).Tag).value_or(0);
  if (hovered == 0) return;
  for (int i = 0; i < 5; ++i) {
    if (picMenu(i).Tag == L"1") {
      picMenu(i).Tag = L"0";
      PaintMenuButton(i, false);
    }
  }
}

void frmMain::picList_MouseMove(const platform::MouseArgs& /*a*/) {
  if (Me.MousePointer() != 0) Me.SetMousePointer(0);
  int hovered = 0;
  for (int i = 0; i < 6; ++i) hovered += ParseIndex(picListButton(i).Tag).value_or(0);
  if (hovered == 0) return;
  for (int i = 0; i < 6; ++i) {
    if (picListButton(i).Tag == L"1") {
      picListButton(i).Tag = L"0";
      PaintListButton(i, false);
    }
  }
}

void frmMain::picMenu_MouseMove(int index, const platform::MouseArgs& /*a*/) {
  if (picMenu(index).Tag != L"0") return;
  picMenu(index).Tag = L"1";
  PaintMenuButton(index, true);
}

void frmMain::picListButton_MouseMove(int index, const platform::MouseArgs& /*a*/) {
  if (picListButton(index).Tag != L"0") return;
  picListButton(index).Tag = L"1";
  PaintListButton(index, true);
}

}  // namespace tarvik::app
