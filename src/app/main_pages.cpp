#include "app/main_pages.h"

#include <string>
#include <utility>

#include "notes/note_store.h"

namespace tarvik::app {
namespace {

using platform::Rect;
using platform::Rgb;

constexpr platform::Color kPageGrey = Rgb(244, 244, 244);
constexpr platform::Color kPanelGrey = Rgb(240, 240, 240);
constexpr platform::Color kLineGrey = Rgb(136, 136, 136);
constexpr platform::Color kWhite = Rgb(255, 255, 255);

platform::FontInfo Yahei(double points) {
  return platform::FontInfo{L"微软雅黑", points, 400, 134};
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

std::array<std::unique_ptr<widgets::PictureBox>, 6> MakeListButtons(widgets::PictureBox& parent) {
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

std::array<std::unique_ptr<widgets::PictureBox>, 5> MakeMenuButtons(widgets::PictureBox& parent) {
  static const wchar_t* const kTips[5] = {L"关闭", L"浮窗", L"选项", L"工具", L"列表"};
  std::array<std::unique_ptr<widgets::PictureBox>, 5> buttons;
  for (int i = 0; i < 5; ++i) {
    widgets::PanelDesign d = Panel({200 - i * 22, 12, 20, 20}, kWhite, true, 0);
    d.toolTip = kTips[i];
    buttons[static_cast<std::size_t>(i)] = std::make_unique<widgets::PictureBox>(parent, d);
  }
  return buttons;
}

std::array<std::unique_ptr<widgets::SSwitch>, 2> MakeSwitches(widgets::PictureBox& parent) {
  // Both switches carry the same design data; only the position differs.
  static constexpr int kTopTwips[2] = {120, 540};
  std::array<std::unique_ptr<widgets::SSwitch>, 2> switches;
  for (int i = 0; i < 2; ++i) {
    widgets::PropertyBag design;
    design.WriteProperty(L"BackColorOff", platform::Rgb(208, 208, 208),
                         widgets::SSwitch::kDefaultBackColorOff);
    design.WriteProperty(L"BackColorOn", platform::Rgb(51, 255, 51),
                         widgets::SSwitch::kDefaultBackColorOn);
    const platform::Rect bounds{1740 / 15, kTopTwips[i] / 15, 495 / 15, 255 / 15};
    switches[static_cast<std::size_t>(i)] =
        std::make_unique<widgets::SSwitch>(parent, bounds, &design);
  }
  return switches;
}

}  // namespace

ListPage::ListPage(widgets::Form& form)
    : picList(form, Panel({44, 140, 225, 289}, kPageGrey, false)),
      List4(picList, HiddenList({104, 48, 37, 16})),
      List3(picList, TitleList({36, 76, 209, 172}, false)),
      picSearch(picList, Panel({36, 4, 165, 29}, kPageGrey, false)),
      txtSearch(picSearch, SearchBox()),
      LineSearch(picSearch, {20, 20}, {44, 20}, kLineGrey),
      picListButtons(MakeListButtons(picList)),
      List2(picList, HiddenList({144, 52, 37, 16})),
      List1(picList, TitleList({4, 40, 209, 172}, true)) {}

ToolsPanel::ToolsPanel(widgets::Form& form)
    : picTools(form, Panel({156, 304, 165, 165}, kPanelGrey, false)),
      Label4_2(picTools, Text({8, 8, 149, 20}, L"工具还在设计中", kPanelGrey)) {}

OptionsPanel::OptionsPanel(widgets::Form& form)
    : picOptions(form, Panel({108, 96, 165, 165}, kPanelGrey, false)),
      Label3_0(picOptions, Text({8, 10, 80, 20}, L"置顶窗口", kPanelGrey, 9,
                                L"设置“Tarvik”的界面是否保持在最前端。")),
      Label3_1(picOptions, Text({8, 40, 80, 20}, L"开机启动", kPanelGrey, 9, kStartUpTip)),
      Label4_0(picOptions, Text({8, 116, 149, 18}, L"版本：0.1 测试", kPanelGrey)),
      Label4_1(picOptions, Text({8, 138, 149, 18}, L"OrvelVorovi 出品", kPanelGrey)),
      switches(MakeSwitches(picOptions)) {}

EditorPage::EditorPage(widgets::Form& form)
    : picMain(form, Panel({32, 100, 249, 213}, kWhite, true)),
      txtNote(picMain, NoteBox()),
      txtTitle(picMain, TitleBox()),
      lineTitle(picMain, {40, 24}, {64, 24}, kLineGrey),
      Label1(picMain, Text({4, 4, 36, 17}, L"标题：", kWhite, 9, L"设置笔记的标题。")) {
  txtTitle.Tag = notes::kUntitledTitle;
}

MenuBar::MenuBar(widgets::Form& form)
    : picMenuBar(form, Panel({28, 40, 249, 45}, Rgb(224, 224, 224), true)),
      picMenus(MakeMenuButtons(picMenuBar)),
      lblFormTitle(picMenuBar, FormTitle()) {}

}  // namespace tarvik::app
