#include "window/frm_float.h"

#include "dialogs/frm_show_text.h"
#include "platform/canvas.h"
#include "window/dock_geometry.h"
#include "widgets/widget.h"
#include "window/float_picture.h"
#include "window/mod_borderless.h"
#include "window/mod_topmost.h"
#include "window/program_flags.h"

namespace tarvik::window {
namespace {

widgets::PanelDesign PictureDesign() {
  widgets::PanelDesign d;
  d.bounds = {0, 0, kFloatPictureSize, kFloatPictureSize};
  d.backColor = kFloatKeyColor;
  d.borderStyle = 0;
  return d;
}

// Window colour 0x00BBGGRR to an opaque drawing colour 0xFFRRGGBB.
platform::Argb OpaqueArgb(platform::Color c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace

frmFloat::frmFloat(FloatRoles platform, FloatHost& host)
    // A tool window: the icon never gets a task bar button of its own.
    : Me(platform, L"Form1", {0, 0, kFloatPictureSize, kFloatPictureSize}, kFloatKeyColor, 2, 0,
         true),
      Picture(Me, PictureDesign()),
      Timer1(platform.Get<platform::Clock>(), 100, true),
      platform_(platform),
      host_(host) {
  Picture.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Picture.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  Picture.DblClick = [this] { Form_DblClick(); };
  Me.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Me.MouseDown = [this](const platform::MouseArgs& a) { Form_MouseDown(a); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  Me.DpiChanged = [this] { PaintPicture(); };
  // Named as the menu button that made it; a double-click brings the main window back.
  Picture.SetAccessible({L"浮窗", platform::AccessibleRole::PushButton, false});
  PaintPicture();
}

frmFloat::~frmFloat() {
  Timer1.SetEnabled(false);
  Form_Unload();
  Me.DestroyWindow();
}

void frmFloat::PaintPicture() {
  // At 96 dpi the stored picture as it is; at any other scale the card drawn afresh for the
  // pixels on screen, since a scaled 48-pixel picture has lines of uneven width.
  const int dpi = Picture.Dpi();
  const bool design = dpi == widgets::kDesignDpi;
  platform::Canvas* canvas = design ? Picture.hDC() : Picture.DeviceDC();
  if (canvas == nullptr) return;
  canvas->Clear(kFloatKeyColor);
  const platform::PixelImage image =
      design ? LoadFloatPicture(platform_.Get<platform::DrawingLibrary>())
             : FloatPictureAt(widgets::ToDevicePx(kFloatPictureSize, dpi));
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
  ownProc_ = host_.InstallWheel(Me.hWnd());
}

void frmFloat::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  host_.Flags().cursorOverFloat = false;
  modTopmost::SetNotTopmost(Me);
  // The main window's chain once more: the wheel handler, edge snapping, the window.
  host_.InstallHooks();
  platform_.Get<platform::MessageHooks>().ReplaceWindowProc(Me.hWnd(), ownProc_);
}

void frmFloat::Form_MouseMove(const platform::MouseArgs& a) {
  host_.Flags().floatShift = a.shift;
  if (a.button != 0) return;
  hover_ = true;
  if (host_.Flags().showTextOpen) return;
  host_.Flags().showTextOpen = true;
  OpenShowText();
}

void frmFloat::OpenShowText() {
  showText_ = std::make_unique<dialogs::frmShowText>(platform_);
  showText_->Form_Load(host_.NoteArray(), host_.SelectedNote(), host_.NoteFontSize());
  widgets::Form& popup = showText_->Me;
  const platform::ScreenMetrics s = platform_.Get<platform::Display>().Screen();
  PlaceAtItsScale(popup, [&](int width, int height) {
    return PopupPosition(GeometryOf(Me, s), width, height,
                         platform_.Get<platform::Display>().Monitors());
  });
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
  if (host_.Flags().showTextOpen) {
    CloseShowText();
    host_.Flags().showTextOpen = false;
  }
  BeginDragMove(platform_.Get<platform::WindowManager>(), Me.hWnd());
}

void frmFloat::Timer1_Timer() {
  modTopmost::SetTopmost(Me);
  host_.Flags().cursor = platform_.Get<platform::Display>().CursorPos();
  if (IsCursorInFloat() && hover_) return;
  if (!IsCursorInFloat()) {
    host_.Flags().floatShift = 0;
    if (host_.Flags().showTextOpen) {
      host_.Flags().showTextOpen = false;
      hover_ = false;
      CloseShowText();
    }
  }
}

bool frmFloat::IsCursorInFloat() {
  const bool inside = IsPointInWindow(GeometryOf(Me, platform_.Get<platform::Display>().Screen()),
                                      host_.Flags().cursor);
  host_.Flags().cursorOverFloat = inside;
  return inside;
}

void frmFloat::Form_DblClick() {
  widgets::Form& mainForm = host_.Me();
  const platform::ScreenMetrics s = platform_.Get<platform::Display>().Screen();
  // Within the work area of the monitor the icon is on, its close button reachable.
  PlaceAtItsScale(mainForm, [&](int width, int height) {
    return RestorePosition(GeometryOf(Me, s), width, height,
                           platform_.Get<platform::Display>().Monitors());
  });
  Timer1.SetEnabled(false);
  if (host_.TopmostOptionOn()) modTopmost::SetTopmost(mainForm);
  if (!host_.Timer1().Enabled()) host_.Timer1().SetEnabled(true);
  mainForm.Show();
  if (host_.Flags().showTextOpen) {
    host_.Flags().showTextOpen = false;
    CloseShowText();
  }
  host_.UnloadFloat();
}

}  // namespace tarvik::window
