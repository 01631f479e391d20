#include "dialogs/frm_show_text.h"

#include "window/mod_topmost.h"

namespace tarvik::dialogs {
namespace {

constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);

widgets::TextBoxDesign ShowBox() {
  widgets::TextBoxDesign d;
  d.bounds = {4, 4, 301, 193};
  d.font = platform::FontInfo{L"微软雅黑", 10.5, 400, 134};
  d.backColor = kWhite;
  d.borderStyle = 0;
  d.multiLine = true;
  d.scrollBars = 2;
  return d;
}

widgets::ButtonDesign HiddenButton() {
  widgets::ButtonDesign d;
  d.bounds = {304, 204, 33, 17};
  d.caption = L"Command1";
  return d;
}

}  // namespace

frmShowText::frmShowText(widgets::FormRoles platform)
    // A tool window: a pop-up that comes and goes with every hover never flashes on the
    // task bar.
    : Me(platform, L"frmShowText", {0, 0, kClientWidth, kClientHeight}, kWhite, 1, 0, true),
      Command1(Me, HiddenButton()),
      txtShow(Me, ShowBox()) {
  // The layout is made for the client area; the thin frame comes on top of it.
  Me.SetClientSize(kClientWidth, kClientHeight);
  txtShow.GotFocus = [this] { txtShow_GotFocus(); };
}

frmShowText::~frmShowText() {
  Me.DestroyWindow();
}

void frmShowText::Form_Load(const std::vector<notes::Note>& notes, int listIndex, double fontSize) {
  const bool selected = listIndex >= 0 && listIndex < static_cast<int>(notes.size());
  txtShow.SetText(selected ? notes[static_cast<std::size_t>(listIndex)].text : std::wstring());
  txtShow.SetFontSize(fontSize);
  window::modTopmost::SetAlphaPercent(kOpacityPercent, Me);
}

void frmShowText::txtShow_GotFocus() {
  Command1.SetFocus();
}

}  // namespace tarvik::dialogs
