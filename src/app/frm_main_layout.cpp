// The main window's layout pass: the menu bar across the top, the pages below it, the
// drop-down panels under the bar's right end.

#include <cmath>

#include "app/frm_main.h"

namespace tarvik::app {
namespace {

int Px(double value) {
  return static_cast<int>(std::lround(value));
}

}  // namespace

void frmMain::Form_Resize() {
  if (!loaded_ || me_.IsMinimized()) return;
  const int w = me_.ScaleWidth();
  const int h = me_.ScaleHeight();
  if (w - 4 <= 0 || h - 6 - menu_.picMenuBar.Height() <= 0) return;

  menu_.picMenuBar.Move(2, 2, w - 4, 24);
  const int bar = menu_.picMenuBar.Height();
  editor_.picMain.Move(2, bar + 4, w - 4, h - 6 - bar);
  list_.picList.Move(2, bar + 4, w - 4, h - 6 - bar);

  const int mw = menu_.picMenuBar.ScaleWidth();
  const double mh = menu_.picMenuBar.ScaleHeight();
  const double buttonTop = mh / 2 - menu_.picMenu(0).Height() / 2.0;
  for (int i = 0; i < 4; ++i) {
    menu_.picMenu(i).Move(mw - (i + 1) * 2 - (i + 1) * menu_.picMenu(i).Width(), Px(buttonTop));
  }
  menu_.picMenu(4).Move(2, Px(buttonTop));
  menu_.lblFormTitle.Move(26, Px(mh / 2 - menu_.lblFormTitle.Height() / 2.0 - 1));

  const int pw = editor_.picMain.ScaleWidth();
  const int ph = editor_.picMain.ScaleHeight();
  if (pw - 4 - editor_.txtTitle.Left() > 0) {
    editor_.txtTitle.SetWidth(pw - 4 - editor_.txtTitle.Left());
    const int underline = editor_.txtTitle.Top() + editor_.txtTitle.Height() + 2;
    editor_.lineTitle.SetEnds({editor_.txtTitle.Left(), underline}, {pw - 4, underline});
  }
  if (pw - 8 > 0) editor_.txtNote.SetWidth(pw - 8);
  if (ph - 4 - editor_.txtNote.Top() > 0) editor_.txtNote.SetHeight(ph - 4 - editor_.txtNote.Top());

  tools_.picTools.Move(w - tools_.picTools.Width(), 28);
  options_.picOptions.Move(w - options_.picOptions.Width(), 28);

  const int lw = list_.picList.ScaleWidth();
  const int lh = list_.picList.ScaleHeight();
  if (lw - 8 > 0) list_.List1.SetWidth(lw - 8);
  list_.List1.Move(4, 40);
  if (lh - 4 - list_.List1.Top() > 0) list_.List1.SetHeight(lh - 4 - list_.List1.Top());
  list_.List3.Move(list_.List1.Left(), list_.List1.Top(), list_.List1.Width(),
                   list_.List1.Height() + 10);

  if (lw - 6 - list_.picSearch.Left() > 0)
    list_.picSearch.SetWidth(lw - 6 - list_.picSearch.Left());
  const int sw = list_.picSearch.ScaleWidth();
  if (sw - 8 <= 0) return;
  list_.txtSearch.SetWidth(sw - 8);
  const int searchLine = list_.txtSearch.Top() + list_.txtSearch.Height() + 2;
  list_.LineSearch.SetEnds({list_.txtSearch.Left(), searchLine},
                           {list_.txtSearch.Left() + list_.txtSearch.Width(), searchLine});
}

}  // namespace tarvik::app
