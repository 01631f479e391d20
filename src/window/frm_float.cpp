#include "window/frm_float.h"

#include "app/frm_main.h"
#include "dialogs/frm_show_text.h"
#include "window/dock_geometry.h"
#include "window/float_picture.h"
#include "window/mod_borderless.h"
#include "window/mod_topmost.h"

namespace tarvik::window {
namespace {

widgets::PanelDesign PictureDesign() {
  widgets::PanelDesign d;
  d.bounds = {0, 0, kFloatPictureSize, kFloatPictureSize};
  d.backColor = kFloatKeyColor;
  d.borderStyle = 0;
  return d;
}

TwipsGeometry GeometryOf(const widgets::Form& form, const platform::ScreenMetrics& s) {
  TwipsGeometry g;
  g.left = form.Left();
  g.top = form.Top();
  g.width = form.Width();
  g.height = form.Height();
  g.twipsPerPixelX = s.twipsPerPixelX;
  g.twipsPerPixelY = s.twipsPerPixelY;
  g.screenWidth = s.widthPx * s.twipsPerPixelX;
  g.screenHeight = s.heightPx * s.twipsPerPixelY;
  return g;
}

// Window colour 0x00BBGGRR to an opaque drawing colour 0xFFRRGGBB.
platform::Argb OpaqueArgb(platform::Color c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace

frmFloat::frmFloat(app::frmMain& main)
    : Me(main.platform_, L"Form1", {0, 0, kFloatPictureSize, kFloatPictureSize}, kFloatKeyColor, 2),
      Picture(Me, PictureDesign()),
      Timer1(main.platform_, 100, true),
      main_(main) {
  Picture.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Picture.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  Picture.DblClick = [this] { Form_DblClick(); };
  Me.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Me.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  PaintPicture();
}

frmFloat::~frmFloat() {
  Timer1.SetEnabled(false);
  Form_Unload();
  Me.DestroyWindow();
}

void frmFloat::PaintPicture() {
  platform::Canvas* canvas = Picture.hDC();
  if (canvas == nullptr) return;
  canvas->Clear(kFloatKeyColor);
  const platform::PixelImage image = LoadFloatPicture(main_.platform_);
  // Runs of one colour along each row; white is the background already.
  for (int y = 0; y < image.height; ++y) {
    const platform::Color* row = &image.pixels[static_cast<std::size_t>(y * image.width)];
    for (int x = 0; x < image.width;) {
      int end = x + 1;
      while (end < image.width && row[end] == row[x]) ++end;
      if (row[x] != kFloatKeyColor) {
        canvas->FillShape(platform::ShapeKind::Rectangle, {x, y, end - x, 1}, OpaqueArgb(row[x]),
                          false);
      }
      x = end;
    }
  }
  canvas->Refresh();
}

void frmFloat::Form_Load() {
  modTopmost::SetTopmost(Me);
  modTopmost::SetTransparentColor(kFloatKeyColor, Me);
  ownProc_ = main_.MouseWheel.Install(Me.hWnd());
}

void frmFloat::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  main_.Flags.cursorOverFloat = false;
  modTopmost::SetNotTopmost(Me);
  // The main window's chain once more: the wheel handler, edge snapping, the window.
  main_.EdgeSnap.InstallEdgeSnap(main_.platform_, main_.Me.hWnd());
  main_.MouseWheel.Install(main_.Me.hWnd());
  main_.platform_.ReplaceWindowProc(Me.hWnd(), ownProc_);
}

void frmFloat::Form_MouseMove(const platform::MouseArgs& a) {
  main_.Flags.floatShift = a.shift;
  if (a.button != 0) return;
  hover_ = true;
  if (main_.Flags.showTextOpen) return;
  main_.Flags.showTextOpen = true;
  OpenShowText();
}

void frmFloat::OpenShowText() {
  showText_ = std::make_unique<dialogs::frmShowText>(main_.platform_);
  showText_->Form_Load(main_.NoteArray, main_.List1.ListIndex(), main_.txtNote.FontSize());
  widgets::Form& popup = showText_->Me;
  const platform::Point at =
      PopupPosition(GeometryOf(Me, main_.platform_.Screen()), popup.Width(), popup.Height());
  popup.Move(at.x, at.y, popup.Width(), popup.Height());
  // The floating window keeps the activation, so the wheel keeps reaching it.
  popup.ShowWithoutActivating();
  // Above the floating window's band too, or the pop-up could open behind another topmost.
  modTopmost::SetTopmost(popup);
}

void frmFloat::CloseShowText() {
  showText_.reset();
}

void frmFloat::Form_MouseDown(const platform::MouseArgs& a) {
  if (a.button != platform::kButtonLeft) return;
  if (main_.Flags.showTextOpen) {
    CloseShowText();
    main_.Flags.showTextOpen = false;
  }
  BeginDragMove(main_.platform_, Me.hWnd());
}

void frmFloat::Timer1_Timer() {
  modTopmost::SetTopmost(Me);
  main_.Flags.cursor = main_.platform_.CursorPos();
  if (IsCursorInFloat() && hover_) return;
  if (!IsCursorInFloat()) {
    main_.Flags.floatShift = 0;
    if (main_.Flags.showTextOpen) {
      main_.Flags.showTextOpen = false;
      hover_ = false;
      CloseShowText();
    }
  }
}

bool frmFloat::IsCursorInFloat() {
  const bool inside = IsPointInWindow(GeometryOf(Me, main_.platform_.Screen()), main_.Flags.cursor);
  main_.Flags.cursorOverFloat = inside;
  return inside;
}

void frmFloat::Form_DblClick() {
  app::frmMain& m = main_;
  widgets::Form& mainForm = m.Me;
  const platform::ScreenMetrics s = m.platform_.Screen();
  const platform::Point at =
      RestorePosition(Me.Left(), Me.Top(), mainForm.Width(), mainForm.Height(),
                      s.widthPx * s.twipsPerPixelX, s.heightPx * s.twipsPerPixelY);
  mainForm.Move(at.x, at.y, mainForm.Width(), mainForm.Height());
  Timer1.SetEnabled(false);
  if (m.TopmostOptionOn()) modTopmost::SetTopmost(mainForm);
  if (!m.Timer1.Enabled()) m.Timer1.SetEnabled(true);
  mainForm.Show();
  if (m.Flags.showTextOpen) {
    m.Flags.showTextOpen = false;
    CloseShowText();
  }
  m.UnloadFloat();
}

}  // namespace tarvik::window
