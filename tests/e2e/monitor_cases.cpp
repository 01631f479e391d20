// Two real monitors side by side (TARVIK_E2E_GROUP=monitors, on the desk scripts/test.sh sets
// up): the primary (0,0)-(1280,800) and a second (1280,0)-(2304,768).

#include <tuple>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

constexpr RECT kPrimary{0, 0, 1280, 800};
constexpr RECT kSecond{1280, 0, 2304, 768};

Program At(const fs::path& exe, int leftPx, int topPx) {
  return Program(exe, L"monitors" + std::to_wstring(leftPx), {},
                 "[Main]\r\nLeft=" + std::to_string(leftPx * 15) +
                     "\r\nTop=" + std::to_string(topPx * 15) + "\r\nWidth=4470\r\nHeight=5160\r\n");
}

bool Within(const RECT& inner, const RECT& outer) {
  RECT both{};
  return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

// Empty once the window's left edge is `left` and stays there a while.
std::wstring LeftSettlesAt(HWND window, LONG left, const std::wstring& when) {
  RECT now{};
  const bool came = WaitUntil([&] { return (now = ScreenRect(window)).left == left; }, 3000);
  Sleep(kNoChangeMs);
  if (came && (now = ScreenRect(window)).left == left) return {};
  return when + L": the window is at " + Describe(now);
}

// Docked at an outer edge it hides, and comes out only at that edge, not at a neighbour's
// edge at the same height; at the shared edge it never hides.
std::wstring HidesAndComesOutOnlyAtOuterEdges(const fs::path& exe) {
  const struct {
    int left;
    LONG hidden;
    POINT elsewhere, edge;
  } rows[] = {
      {0, -298, {1280, 300}, {0, 300}},        // the primary's left
      {2006, 2304, {1279, 300}, {2303, 300}},  // the second's right
      {1280, 1280, {1279, 300}, {1280, 300}},  // shared
  };
  for (const auto& r : rows) {
    Program program = At(exe, r.left, 200);
    PointerTo({r.left + 100, 300});
    if (auto e = program.Start(); !e.empty()) return e;
    const std::wstring from = L"docked at x " + std::to_wstring(r.left);
    for (const auto& [to, left, what] :
         {std::tuple{POINT{700, 700}, r.hidden, L", cursor away"},
          std::tuple{r.elsewhere, r.hidden, L", another edge"},
          std::tuple{r.edge, static_cast<LONG>(r.left), L", its edge"}}) {
      PointerTo(to);
      if (auto e = LeftSettlesAt(program.Main(), left, from + what); !e.empty()) return e;
    }
  }
  return {};
}

// On the second monitor the floating window's pop-up opens right of it (the monitor's left
// half), and the main window comes back in that monitor's corner; the close question is
// centred on the window; its place reopens there. A place on a monitor that is gone opens
// on the primary.
std::wstring StaysOnItsMonitor(const fs::path& exe) {
  Program program = At(exe, 1500, 200);
  if (auto e = program.Start(); !e.empty()) return e;
  const HWND main = program.Main();
  if (!Within(ScreenRect(main), kSecond)) return L"opened at " + Describe(ScreenRect(main));
  ClickCentre(program.MenuButton(0));
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  const RECT b = box ? ScreenRect(box) : RECT{};
  if (box) AnswerQuestion(box, false);
  const RECT m = ScreenRect(main);
  if (std::abs((b.left + b.right) - (m.left + m.right)) > 2 || !Within(b, kSecond)) {
    return L"the question is at " + Describe(b) + L" over " + Describe(m);
  }
  ClickCentre(program.MenuButton(1));
  HWND icon = nullptr, popup = nullptr;
  WaitUntil([&] { return (icon = program.Find(L"Form1")) != nullptr; }, kReactionTimeoutMs);
  const RECT f = icon ? ScreenRect(icon) : RECT{};
  PointerTo({f.left + 20, f.top + 20});
  PointerTo({f.left + 24, f.top + 24});
  WaitUntil([&] { return (popup = program.Find(L"frmShowText")) != nullptr; }, kReactionTimeoutMs);
  const RECT p = popup ? ScreenRect(popup) : RECT{};
  if (p.left != f.right + 8 || !Within(p, kSecond)) {
    return L"the pop-up is at " + Describe(p) + L" beside " + Describe(f);
  }
  const POINT corner{kSecond.right - 24, kSecond.bottom - 24};
  Drag({f.left + 24, f.top + 24}, corner);
  ClickAt(corner, 2);
  WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kReactionTimeoutMs);
  Sleep(kNoChangeMs);
  if (const RECT back = ScreenRect(main);
      back.right != kSecond.right || back.bottom != kSecond.bottom) {
    return L"the main window came back at " + Describe(back);
  }
  program.End();  // one instance at a time
  Program gone = At(exe, 2600, 200);
  if (auto e = gone.Start(); !e.empty()) return L"at x 2600: " + e;
  const RECT g = ScreenRect(gone.Main());
  return Within(g, kPrimary) ? L"" : L"a place on no monitor opened at " + Describe(g);
}

}  // namespace

Cases MonitorCases(const fs::path& exe) {
  std::vector<RECT> found;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR, HDC, LPRECT rc, LPARAM all) {
        reinterpret_cast<std::vector<RECT>*>(all)->push_back(*rc);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  if (found.size() != 2 || !EqualRect(&found[0], &kPrimary) || !EqualRect(&found[1], &kSecond)) {
    return {{L"monitors_desk", [n = found.size()] {
               return L"the desk is not the two monitors expected (" + std::to_wstring(n) + L")";
             }}};
  }
  return {
      {L"monitors_hide_and_come_out_only_at_outer_edges",
       [exe] { return HidesAndComesOutOnlyAtOuterEdges(exe); }},
      {L"monitors_float_popup_question_place_stay_on_their_monitor",
       [exe] { return StaysOnItsMonitor(exe); }},
  };
}

}  // namespace tarvik::e2e
