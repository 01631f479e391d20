// The painted buttons of the main window: the five menu buttons on the bar and the six list
// buttons of the notes page, each in its normal or hovered look.

#include "app/frm_main.h"

namespace tarvik::app {
namespace {

using platform::Argb;

constexpr int kOutline = dialogs::kShapeOutline;
constexpr int kFill = dialogs::kShapeFill;
constexpr int kEllipse = 1;
constexpr int kRectangle = 0;

constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);
constexpr platform::Color kListButtonBack = platform::Rgb(244, 244, 244);
// Hover backgrounds of the menu buttons: close red, float amber, options green, tools pink,
// list blue.
constexpr platform::Color kMenuHover[5] = {0x6666FF, 0x33CCFF, 0x33FF33, 0xFF66FF, 0xFFCC33};

constexpr Argb kGlyphHover = 0xFFFFFFFF;
constexpr Argb kGlyphNormal = 0xFF666666;
constexpr Argb kDiscHover = 0xFF808080;
constexpr Argb kDiscNormal = 0xFFFFFFFF;

struct Stroke {
  float x1, y1, x2, y2;
};

// The tray of Export and Import: its floor and two sides.
constexpr Stroke kTray[3] = {{6, 21, 23, 21}, {6, 21, 6, 18}, {23, 21, 23, 18}};

}  // namespace

void frmMain::PaintMenuButton(int index, bool hover) {
  widgets::PictureBox& button = menu_.picMenu(index);
  button.Cls();
  button.SetBackColor(hover ? kMenuHover[index] : kWhite);
  platform::Canvas* dc = button.hDC();
  const Argb glyph = hover ? kGlyphHover : kGlyphNormal;
  const auto line = [&](const Stroke& s) {
    drawing_.DrawLineGDIPlus(dc, s.x1, s.y1, s.x2, s.y2, 1, glyph);
  };
  switch (index) {
    case 0:  // close: a cross
      line({2, 2, 16, 16});
      line({16, 2, 2, 16});
      break;
    case 1:  // float: a bar
      line({2, 9, 16, 9});
      break;
    case 2:  // options: three rules
      line({2, 16, 16, 16});
      line({2, 10, 16, 10});
      line({2, 4, 16, 4});
      break;
    case 3:  // tools: a ring
      drawing_.DrawShapeGDIPlus(dc, 2, 2, 15, 15, glyph, glyph, kEllipse, kOutline, 1);
      break;
    case 4:  // list: a sheet with two rules
      drawing_.DrawShapeGDIPlus(dc, 3, 2, 13, 15, glyph, glyph, kRectangle, kOutline, 1);
      line({3, 12, 16, 12});
      line({3, 7, 16, 7});
      break;
    default:
      break;
  }
  button.Refresh();
}

void frmMain::PaintListButton(int index, bool hover) {
  widgets::PictureBox& button = list_.picListButton(index);
  button.Cls();
  button.SetBackColor(kListButtonBack);
  platform::Canvas* dc = button.hDC();
  const Argb disc = hover ? kDiscHover : kDiscNormal;
  drawing_.DrawShapeGDIPlus(dc, 1, 1, 27, 27, disc, disc, kEllipse, kFill, 1);
  const Argb glyph = hover ? kGlyphHover : kGlyphNormal;
  const auto line = [&](const Stroke& s) {
    drawing_.DrawLineGDIPlus(dc, s.x1, s.y1, s.x2, s.y2, 1, glyph);
  };
  switch (index) {
    case 0:  // new: a plus
      line({6, 14, 23, 14});
      line({14, 6, 14, 23});
      break;
    case 1:  // delete: a minus
      line({6, 14, 23, 14});
      break;
    case 2:  // clear: a bin with lid, handle and one stripe
      line({6, 10, 23, 10});
      line({12, 6, 17, 6});
      drawing_.DrawShapeGDIPlus(dc, 9, 10, 11, 13, glyph, glyph, kRectangle, kOutline, 1);
      line({14, 13, 14, 19});
      break;
    case 3:  // export: an arrow up out of the tray
      for (const Stroke& s : kTray) line(s);
      line({14, 8, 14, 17});
      line({14, 8, 10, 12});
      line({14, 8, 18, 12});
      break;
    case 4:  // import: an arrow down into the tray
      for (const Stroke& s : kTray) line(s);
      line({14, 8, 14, 17});
      line({14, 17, 10, 13});
      line({14, 17, 18, 13});
      break;
    case 5:  // find: a magnifier
      drawing_.DrawShapeGDIPlus(dc, 6, 6, 13, 13, glyph, glyph, kEllipse, kOutline, 1);
      line({22, 22, 18, 18});
      break;
    default:
      break;
  }
  button.Refresh();
}

}  // namespace tarvik::app
