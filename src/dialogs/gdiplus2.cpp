#include "dialogs/gdiplus2.h"

namespace tarvik::dialogs {
namespace {

constexpr unsigned kOkOnly = 0;
constexpr unsigned kCritical = 16;
// The exit code of a start-up the drawing library refused.
constexpr unsigned kDrawingStartFailedExitCode = 1;
// The caption of the drawing helpers' own complaints: the program's title.
constexpr wchar_t kAppTitle[] = L"Tarvik";

}  // namespace

int GDIPlus2::InitGDIPlus(bool showMessage, bool endOnFailure, const std::wstring& message,
                          unsigned buttons, const std::wstring& title) {
  if (token_ != 0) return 0;
  std::uintptr_t token = 0;
  const int status = drawing_.StartDrawingLibrary(token);
  if (status == 0) {
    token_ = token;
    return 0;
  }
  if (showMessage) dialogs_.ShowMessageBox(0, message, title, buttons);
  if (endOnFailure) process_.EndProcess(kDrawingStartFailedExitCode);
  return status;
}

void GDIPlus2::TerminateGDIPlus() {
  if (token_ == 0) return;
  drawing_.StopDrawingLibrary(token_);
  token_ = 0;
}

void GDIPlus2::DrawLineGDIPlus(platform::Canvas* hDC, float x1, float y1, float x2, float y2,
                               int thickness, platform::Argb colour) {
  if (thickness <= 0) {
    dialogs_.ShowMessageBox(0, L"参数无效。粗细应大于0。", kAppTitle, kOkOnly);
    return;
  }
  if (hDC == nullptr) return;
  hDC->DrawLine(x1, y1, x2, y2, static_cast<float>(thickness), colour, true);
}

void GDIPlus2::DrawShapeGDIPlus(platform::Canvas* hDC, float x, float y, float width, float height,
                                platform::Argb fillColour, platform::Argb lineColour, int ellipse,
                                int mode, int lineWidth) {
  // "Not greater than zero" also refuses a size that is not a number.
  if (!(width > 0) || !(height > 0)) {
    dialogs_.ShowMessageBox(0, L"参数错误！", L"错误", kCritical);
    return;
  }
  if (hDC == nullptr) return;
  const platform::ShapeKind kind =
      ellipse != 0 ? platform::ShapeKind::Ellipse : platform::ShapeKind::Rectangle;
  const platform::Rect box{RoundHalfEven(x), RoundHalfEven(y), RoundHalfEven(width),
                           RoundHalfEven(height)};
  const auto pen = static_cast<float>(lineWidth);
  switch (mode) {
    case kShapeOutline:
      hDC->DrawShape(kind, box, pen, lineColour, true);
      break;
    case kShapeFill:
      hDC->FillShape(kind, box, fillColour, true);
      break;
    case kShapeFillAndOutline:
      hDC->FillShape(kind, box, fillColour, true);
      hDC->DrawShape(kind, box, pen, lineColour, true);
      break;
    default:
      break;
  }
}

}  // namespace tarvik::dialogs
