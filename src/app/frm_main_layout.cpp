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
  if (!loaded_ || Me.IsMinimized()) return;
  const int w = Me.ScaleWidth();
  const int h = Me.ScaleHeight();
  if (w - 4 <= 0 || h - 6 - picMenuBar.Height() <= 0) return;

  picMenuBar.Move(2, 2, w - 4, 24);
  const int bar = picMenuBar.Height();
  picMain.Move(2, bar + 4, w - 4, h - 6 - bar);
  picList.Move(2, bar + 4, w - 4, h - 6 - bar);

  const int mw = picMenuBar.ScaleWidth();
  const double mh = picMenuBar.ScaleHeight();
  const double buttonTop = mh / 2 - picMenu(0).Height() / 2.0;
  for (int i = 0; i < 4; ++i) {
    picMenu(i).Move(mw - (i + 1) * 2 - (i + 1) * picMenu(i).Width(), Px(buttonTop));
  }
  picMenu(4).Move(2, Px(buttonTop));
  lblFormTitle.Move(26, Px(mh / 2 - lblFormTitle.Height() / 2.0 - 1));

  const int pw = picMain.ScaleWidth();
  const int ph = picMain.ScaleHeight();
  if (pw - 4 - txtTitle.Left() > 0) {
    txtTitle.SetWidth(pw - 4 - txtTitle.Left());
    const int underline = txtTitle.Top() + txtTitle.Height() + 2;
    lineTitle.SetEnds({txtTitle.Left(), underline}, {pw - 4, underline});
  }
  if (pw - 8 > 0) txtNote.SetWidth(pw - 8);
  if (ph - 4 - txtNote.Top() > 0) txtNote.SetHeight(ph - 4 - txtNote.Top());

  picTools.Move(w - picTools.Width(), 28);
  picOptions.Move(w - picOptions.Width(), 28);

  const int lw = picList.ScaleWidth();
  const int lh = picList.ScaleHeight();
  if (lw - 8 > 0) List1.SetWidth(lw - 8);
  List1.Move(4, 40);
  if (lh - 4 - List1.Top() > 0) List1.SetHeight(lh - 4 - List1.Top());
  List3.Move(List1.Left(), List1.Top(), List1.Width(), List1.Height() + 10);

  if (lw - 6 - picSearch.Left() > 0) picSearch.SetWidth(lw - 6 - picSearch.Left());
  const int sw = picSearch.ScaleWidth();
  if (sw - 8 <= 0) return;
  txtSearch.SetWidth(sw - 8);
  const int searchLine = txtSearch.Top() + txtSearch.Height() + 2;
  LineSearch.SetEnds({txtSearch.Left(), searchLine},
                     {txtSearch.Left() + txtSearch.Width(), searchLine});
}

}  // namespace tarvik::app
