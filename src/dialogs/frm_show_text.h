#pragma once
// frmShowText: the read-only, partly transparent preview of the selected note that the
// floating window pops up beside itself.

#include <vector>

#include "notes/note_store.h"
#include "widgets/controls.h"
#include "widgets/form.h"

namespace tarvik::dialogs {

class frmShowText {
 public:
  static constexpr int kClientWidth = 312;  // pixels (4680 x 3030 twips)
  static constexpr int kClientHeight = 202;
  static constexpr int kOpacityPercent = 75;

  // Makes the window, hidden.
  explicit frmShowText(widgets::FormRoles platform);
  frmShowText(const frmShowText&) = delete;
  frmShowText& operator=(const frmShowText&) = delete;
  ~frmShowText();

  // The note's text as last committed (empty when no note is selected or the index is out of
  // range), at the note box's font size, 75 % opaque.
  void Form_Load(const std::vector<notes::Note>& notes, int listIndex, double fontSize);
  // The text box never keeps the focus: no caret, no typing into it.
  void txtShow_GotFocus();

  widgets::Form Me;
  // Below the visible client area: where the focus goes. Made before the text box, so it is
  // first in the tab order.
  widgets::CommandButton Command1;
  widgets::TextBoxW txtShow;
};

}  // namespace tarvik::dialogs
