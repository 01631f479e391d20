#pragma once
// The pages of the main window, each owning its controls, declared in the order the controls
// are made. frmMain makes the pages, in the order the window has always made them, and wires
// their events.

#include <array>
#include <memory>

#include "widgets/controls.h"
#include "widgets/form.h"
#include "widgets/sswitch.h"

namespace tarvik::app {

// The notes page: the title list, its search strip and result list, and the six list buttons.
struct ListPage {
  explicit ListPage(widgets::Form& form);
  widgets::PictureBox& picListButton(int index) { return *picListButtons.at(index); }
  const widgets::PictureBox& picListButton(int index) const { return *picListButtons.at(index); }

  widgets::PictureBox picList;
  // The positions of the search results in List1; never shown.
  widgets::ListBoxW List4;
  widgets::ListBoxW List3;
  widgets::PictureBox picSearch;
  widgets::TextBoxW txtSearch;
  widgets::Line LineSearch;
  std::array<std::unique_ptr<widgets::PictureBox>, 6> picListButtons;
  // The notes' texts beside their titles in List1; never shown.
  widgets::ListBoxW List2;
  widgets::ListBoxW List1;
};

// The drop-down panel of the menu's tools button.
struct ToolsPanel {
  explicit ToolsPanel(widgets::Form& form);

  widgets::PictureBox picTools;
  widgets::Label Label4_2;
};

// The logon-start label's tool tip, and the one it has while a machine-wide registration that
// only an administrator can remove keeps the program starting at logon.
inline constexpr wchar_t kStartUpTip[] = L"设置是否在开机后（包括切换用户后）自动启动“Tarvik”。";
inline constexpr wchar_t kStartUpMachineTip[] =
    L"“Tarvik”已为所有用户设置开机启动，需要管理员权限才能关闭。";

// The drop-down panel of the menu's options button: the two switches and the version.
struct OptionsPanel {
  explicit OptionsPanel(widgets::Form& form);
  widgets::SSwitch& SSwitch1(int index) { return *switches.at(index); }
  const widgets::SSwitch& SSwitch1(int index) const { return *switches.at(index); }

  widgets::PictureBox picOptions;
  widgets::Label Label3_0;
  widgets::Label Label3_1;
  widgets::Label Label4_0;
  widgets::Label Label4_1;
  // Index 0 keeps the window on top, index 1 starts the program at logon.
  std::array<std::unique_ptr<widgets::SSwitch>, 2> switches;
};

// The editor page: the title box over the note text.
struct EditorPage {
  explicit EditorPage(widgets::Form& form);

  widgets::PictureBox picMain;
  widgets::TextBoxW txtNote;
  widgets::TextBoxW txtTitle;
  widgets::Line lineTitle;
  widgets::Label Label1;
};

// The bar across the top: the five painted menu buttons and the title.
struct MenuBar {
  explicit MenuBar(widgets::Form& form);
  widgets::PictureBox& picMenu(int index) { return *picMenus.at(index); }
  const widgets::PictureBox& picMenu(int index) const { return *picMenus.at(index); }

  widgets::PictureBox picMenuBar;
  std::array<std::unique_ptr<widgets::PictureBox>, 5> picMenus;
  widgets::Label lblFormTitle;
};

}  // namespace tarvik::app
