#include "dialogs/frm_question.h"

#include <cmath>

#include "dialogs/gdiplus2.h"
#include "window/dock_geometry.h"
#include "window/mod_topmost.h"

namespace tarvik::dialogs {
namespace {

constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);
constexpr platform::Argb kDiscHover = 0xFF808080;
constexpr platform::Argb kDiscNormal = 0xFFF0F0F0;
constexpr platform::Argb kGlyphHover = 0xFFFFFFFF;
constexpr platform::Argb kGlyphNormal = 0xFF404040;
constexpr int kEllipse = 1;

platform::FontInfo Yahei9() {
  return platform::FontInfo{L"微软雅黑", 9.0, 400, 134};
}

widgets::LabelDesign QuestionLabel() {
  widgets::LabelDesign d;
  d.bounds = {4, 4, 213, 25};
  d.caption = L"提示信息";
  d.font = Yahei9();
  d.backColor = kWhite;
  return d;
}

widgets::ButtonDesign PushButton(int left, const wchar_t* caption, bool isDefault) {
  widgets::ButtonDesign d;
  d.bounds = {left, 100, 73, 37};
  d.caption = caption;
  d.font = Yahei9();
  d.isDefault = isDefault;
  d.isCancel = !isDefault;
  return d;
}

}  // namespace

TwipsPosition CentreOver(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight, int boxWidth,
                         int boxHeight) {
  return {ownerLeft + ownerWidth / 2.0 - boxWidth / 2.0,
          ownerTop + ownerHeight / 2.0 - boxHeight / 2.0};
}

std::array<std::unique_ptr<widgets::PictureBox>, 2> frmQuestion::MakeButtons(widgets::Form& form) {
  std::array<std::unique_ptr<widgets::PictureBox>, 2> buttons;
  for (std::size_t i = 0; i < 2; ++i) {
    widgets::PanelDesign d;
    d.bounds = kPicture1Bounds[i];
    d.backColor = kWhite;
    d.borderStyle = 0;
    buttons[i] = std::make_unique<widgets::PictureBox>(form, d);
  }
  return buttons;
}

frmQuestion::frmQuestion(widgets::FormRoles platform, QuestionAsker& asker)
    : Me(platform, L"提示", {0, 0, kClientWidth, kClientHeight}, kWhite, 1),
      Label1(Me, QuestionLabel()),
      Picture1s(MakeButtons(Me)),
      Command1(Me, PushButton(144, L"确定", true)),
      Command2(Me, PushButton(176, L"取消", false)),
      asker_(asker) {
  // The client area is what the layout is made for; the frame comes on top of it.
  Me.SetClientSize(kClientWidth, kClientHeight);
  Me.DpiChanged = [this] {
    for (int i = 0; i < 2; ++i) DrawQuestionButton(i, Picture1(i).Tag == L"1");
  };

  Me.MouseMove = [this](const platform::MouseArgs& a) { Form_MouseMove(a); };
  Me.CloseRequested = [this] { Form_CloseRequest(); };
  for (int i = 0; i < 2; ++i) {
    Picture1(i).Click = [this, i] { Picture1_Click(i); };
    Picture1(i).MouseMove = [this, i](const platform::MouseArgs& a) { Picture1_MouseMove(i, a); };
    // Off the button however fast: the form may hear no move on the way. Only this one:
    // the leave may come after the pointer lit its neighbour.
    Picture1(i).MouseLeave = [this, i] {
      if (Picture1(i).Tag != L"1") return;
      Picture1(i).Tag = L"0";
      DrawQuestionButton(i, false);
    };
  }
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
  // The tick and the cross stand for the two push buttons, which lie out of sight: they carry
  // their names for screen readers and show the focus mark while their button has the focus.
  Picture1(1).SetAccessible({Command1.Caption(), platform::AccessibleRole::PushButton, false});
  Picture1(0).SetAccessible({Command2.Caption(), platform::AccessibleRole::PushButton, false});
  Command1.GotFocus = [this] { Picture1(1).SetFocusMark(true); };
  Command1.LostFocus = [this] { Picture1(1).SetFocusMark(false); };
  Command2.GotFocus = [this] { Picture1(0).SetFocusMark(true); };
  Command2.LostFocus = [this] { Picture1(0).SetFocusMark(false); };
  Form_Load();
}

void frmQuestion::Form_Load() {
  DrawQuestionButton(0, false);
  DrawQuestionButton(1, false);
}

void frmQuestion::Form_MouseMove(const platform::MouseArgs& /*a*/) {
  for (int i = 0; i < 2; ++i) {
    if (Picture1(i).Tag == L"1") {
      Picture1(i).Tag = L"0";
      DrawQuestionButton(i, false);
    }
  }
}

void frmQuestion::Form_CloseRequest() {
  // Closed any other way than by its two actions (system close, Alt+F4, another program):
  // that is no confirmation.
  Command2_Click();
}

void frmQuestion::Picture1_Click(int index) {
  if (index == 0) {
    Command2_Click();
  } else {
    Command1_Click();
  }
}

void frmQuestion::Picture1_MouseMove(int index, const platform::MouseArgs& /*a*/) {
  if (Picture1(index).Tag == L"1") return;
  Picture1(index).Tag = L"1";
  DrawQuestionButton(index, true);
}

void frmQuestion::Command1_Click() {
  asker_.SetQuestionResult(true);
  Unload();
}

void frmQuestion::Command2_Click() {
  asker_.SetQuestionResult(false);
  Unload();
}

void frmQuestion::Unload() {
  unloaded_ = true;
  Me.DestroyWindow();
}

void frmQuestion::DrawQuestionButton(int index, bool hover) {
  widgets::PictureBox& button = Picture1(index);
  button.Cls();
  button.SetBackColor(kWhite);
  platform::Canvas* dc = button.hDC();
  GDIPlus2& drawing = asker_.Drawing();
  const platform::Argb disc = hover ? kDiscHover : kDiscNormal;
  drawing.DrawShapeGDIPlus(dc, 1, 1, 28, 28, disc, disc, kEllipse, kShapeFill, 1);
  const platform::Argb glyph = hover ? kGlyphHover : kGlyphNormal;
  if (index == 0) {
    drawing.DrawLineGDIPlus(dc, 9, 9, 21, 21, 1, glyph);
    drawing.DrawLineGDIPlus(dc, 21, 9, 9, 21, 1, glyph);
  } else {
    drawing.DrawLineGDIPlus(dc, 7, 15, 13, 21, 1, glyph);
    drawing.DrawLineGDIPlus(dc, 23, 11, 13, 21, 1, glyph);
  }
  button.Refresh();
}

void ShowQuestion(QuestionAsker& asker, const std::wstring& message, const widgets::Form& owner) {
  asker.Timer1().SetEnabled(false);
  frmQuestion box(owner.GetPlatform(), asker);
  box.Label1.SetCaption(message);
  window::PlaceAtItsScale(box.Me, [&](int width, int height) {
    const TwipsPosition at =
        CentreOver(owner.Left(), owner.Top(), owner.Width(), owner.Height(), width, height);
    return platform::Point{static_cast<int>(std::lround(at.left)),
                           static_cast<int>(std::lround(at.top))};
  });
  // A topmost asking window would cover the box; it gives the place up while the box is up.
  if (asker.TopmostOptionOn()) window::modTopmost::SetNotTopmost(asker.Me());
  box.Me.Show();
  box.Command1.SetFocus();
  box.Me.RunModal();
  // The wait can also end without an answer (the program is told to quit meanwhile); an
  // earlier answer must not stand for this question.
  if (!box.Unloaded()) box.Command2_Click();
  if (asker.TopmostOptionOn()) window::modTopmost::SetTopmost(asker.Me());
}

}  // namespace tarvik::dialogs
