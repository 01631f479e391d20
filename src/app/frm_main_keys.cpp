// The main window's keyboard: Tab and Shift+Tab through the focusable controls of the page
// shown, wrapping, as a form gives them; the keys that do what only the mouse did (open a
// note, go into the search results, leave a panel); and the request of another start of the
// program to bring this one forward.

#include <algorithm>

#include "app/frm_main.h"

namespace tarvik::app {

using platform::KeyArgs;

void frmMain::WireKeys() {
  widgets::Widget* const stops[] = {&editor_.txtTitle,    &editor_.txtNote, &list_.txtSearch,
                                    &list_.List3,         &list_.List1,     &options_.SSwitch1(0),
                                    &options_.SSwitch1(1)};
  for (widgets::Widget* w : stops) {
    w->PreviewKey = [this, w](const KeyArgs& key) { return Form_KeyPreview(w, key); };
  }
  me_.PreviewKey = [this](const KeyArgs& key) { return Form_KeyPreview(nullptr, key); };
  me_.ShowRequested = [this] { BringForward(); };
  // Screen readers name the painted buttons by their tool tips, the switches by their labels.
  for (int i = 0; i < 5; ++i) {
    widgets::PictureBox& b = menu_.picMenu(i);
    b.SetAccessible({b.ToolTipText(), platform::AccessibleRole::PushButton, false});
  }
  for (int i = 0; i < 6; ++i) {
    widgets::PictureBox& b = list_.picListButton(i);
    b.SetAccessible({b.ToolTipText(), platform::AccessibleRole::PushButton, false});
  }
  options_.SSwitch1(0).SetAccessibleName(options_.Label3_0.Caption());
  options_.SSwitch1(1).SetAccessibleName(options_.Label3_1.Caption());
}

std::vector<widgets::Widget*> frmMain::TabStops() {
  // A panel over the editor is the page shown while it is open.
  std::vector<widgets::Widget*> all;
  if (options_.picOptions.IsShownOnScreen()) {
    all = {&options_.SSwitch1(0), &options_.SSwitch1(1)};
  } else if (tools_.picTools.IsShownOnScreen()) {
    return {};
  } else if (list_.picList.IsShownOnScreen()) {
    all = {&list_.txtSearch, &list_.List3, &list_.List1};
  } else {
    all = {&editor_.txtTitle, &editor_.txtNote};
  }
  std::erase_if(all, [](const widgets::Widget* w) { return !w->IsShownOnScreen(); });
  return all;
}

void frmMain::MoveFocus(widgets::Widget* from, bool backwards) {
  const std::vector<widgets::Widget*> stops = TabStops();
  if (stops.empty()) return;
  const std::size_t n = stops.size();
  const auto at =
      static_cast<std::size_t>(std::find(stops.begin(), stops.end(), from) - stops.begin());
  // From outside the page (the window itself, a control under a panel): its first or last.
  const std::size_t next = at == n ? (backwards ? n - 1 : 0) : (at + (backwards ? n - 1 : 1)) % n;
  stops[next]->SetFocus();
}

bool frmMain::Form_KeyPreview(widgets::Widget* from, const KeyArgs& key) {
  const bool plain = key.shift == 0;
  switch (key.keyCode) {
    case platform::kKeyTab:
      // Notes keep their tabs: only Ctrl+Tab and Shift+Tab leave the note box.
      if (from == &editor_.txtNote && plain) return false;
      if ((key.shift & platform::kAltKey) != 0) return false;
      MoveFocus(from, (key.shift & platform::kShiftKey) != 0);
      return true;
    case platform::kKeyReturn:
      if (!plain) return false;
      if (from == &editor_.txtTitle) {
        editor_.txtNote.SetFocus();
        return true;
      }
      if (from == &list_.List1) {
        List1_DblClick();
        return true;
      }
      if (from == &list_.List3) {
        List3_DblClick();
        return true;
      }
      return false;
    case platform::kKeyDown:
      return plain && from == &list_.txtSearch && EnterSearchResults();
    case platform::kKeyEscape:
      return plain && GoBack();
    default:
      return false;
  }
}

bool frmMain::EnterSearchResults() {
  if (!list_.List3.IsShownOnScreen() || list_.List3.ListCount() == 0) return false;
  if (list_.List3.ListIndex() < 0) list_.List3.SetListIndex(0);
  list_.List3.SetFocus();
  return true;
}

bool frmMain::GoBack() {
  if (options_.picOptions.Visible() || tools_.picTools.Visible()) {
    options_.picOptions.SetVisible(false);
    tools_.picTools.SetVisible(false);
    FocusBackFromPanel();
    return true;
  }
  if (list_.picList.IsShownOnScreen() && list_.picSearch.Visible()) {
    ToggleSearch();
    list_.List1.SetFocus();
    return true;
  }
  return false;
}

void frmMain::RememberFocus() {
  for (widgets::Widget* w : {static_cast<widgets::Widget*>(&editor_.txtTitle),
                             static_cast<widgets::Widget*>(&editor_.txtNote)}) {
    if (w->HasFocus()) focusBeforePanel_ = w;
  }
}

void frmMain::FocusPanel() {
  // Keys left with the editor's box beneath the panel would type into a note out of sight.
  const std::vector<widgets::Widget*> stops = TabStops();
  if (stops.empty()) {
    me_.SetFocus();
  } else {
    stops.front()->SetFocus();
  }
}

void frmMain::FocusBackFromPanel() {
  widgets::Widget* back = focusBeforePanel_;
  focusBeforePanel_ = nullptr;
  if (back == nullptr || !back->IsShownOnScreen()) back = &editor_.txtNote;
  back->SetFocus();
}

void frmMain::FocusPage() {
  if (!me_.Visible()) return;
  if (editor_.picMain.IsShownOnScreen()) {
    editor_.txtNote.SetFocus();
  } else if (list_.picList.IsShownOnScreen()) {
    const std::vector<widgets::Widget*> stops = TabStops();
    if (!stops.empty()) stops.back()->SetFocus();
  }
}

void frmMain::BringForward() {
  if (!loaded_) return;
  if (float_) {
    // As a double-click on the icon: the window comes back where the icon is.
    float_->Form_DblClick();
  } else {
    if (me_.IsMinimized()) me_.Restore();
    me_.Show();
  }
  FocusPage();
}

}  // namespace tarvik::app
