// The program on a desk at 150 % (144 dpi): every control where its 96-dpi design puts it,
// scaled by 1.5, and its text in a font half as tall again. Wine reads the desk's DPI
// (HKCU\Control Panel\Desktop LogPixels) when a process starts, so the driver sets it just
// for the launch of the program and puts it back at once. A monitor of another scale is
// played to a window of the driver's own. With TARVIK_E2E_SHOTS set,
// screenshots of the editor, options, list page, question box and floating window.

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

constexpr wchar_t kDeskKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";
// How far a scaled figure may lie from 1.5 x its design figure: rounding at each level.
constexpr int kTolerancePx = 2;

// The desk's DPI for programs started while the object lives; put back (or removed, if it
// was not there) by Restore or at the end.
class DeskDpi {
 public:
  explicit DeskDpi(DWORD dpi) {
    DWORD size = sizeof(old_);
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDeskKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &old_,
                        &size) == ERROR_SUCCESS;
    set_ = Write(dpi);
  }
  ~DeskDpi() { Restore(); }
  bool IsSet() const { return set_; }
  void Restore() {
    if (std::exchange(set_, false) && !(had_ && Write(old_))) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDeskKey, kLogPixels);
    }
  }

 private:
  static bool Write(DWORD dpi) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kDeskKey, kLogPixels, REG_DWORD, &dpi,
                           sizeof(dpi)) == ERROR_SUCCESS;
  }
  DWORD old_ = 0;
  bool had_ = false;
  bool set_ = false;
};

// A control's rectangle in the main window's client area.
RECT InMain(HWND main, HWND control) {
  RECT rc = ScreenRect(control);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

HWND ShownLabel(HWND main, const std::wstring& text) {
  for (HWND c : Descendants(main)) {
    if (ClassOf(c) == L"Static" && IsShown(c) && TextOf(c) == text) return c;
  }
  return nullptr;
}

// The option switches: the panels beside the option labels, top to bottom.
HWND OptionSwitch(HWND main, int index) {
  const HWND label = ShownLabel(main, L"置顶窗口");
  if (label == nullptr) return nullptr;
  std::vector<HWND> switches;
  for (HWND c = GetWindow(GetParent(label), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == L"TarvikPanel" && IsShown(c)) switches.push_back(c);
  }
  if (switches.size() != 2) return nullptr;
  const bool firstOnTop = ScreenRect(switches[0]).top < ScreenRect(switches[1]).top;
  return switches[static_cast<std::size_t>(firstOnTop ? index : 1 - index)];
}

// One visible control and its place and size in the main window's client area at 96 dpi.
struct Placed {
  const wchar_t* name;
  std::function<HWND(const Program&)> find;
  int left, top, width, height;
};

HWND ListButtonAt(const Program& p, std::size_t index) {
  const auto all = p.ListButtons();
  return all.empty() ? nullptr : all[index];
}

// The figures of the window that opens without a Config.ini, on each page in turn.
const std::vector<Placed> kEditorPage = {
    {L"menu bar", [](const Program& p) { return p.MenuBar(); }, 2, 2, 294, 24},
    {L"title label", [](const Program& p) { return ShownLabel(p.Main(), L"Orvel Tarvik"); }, 28,
     3, 88, 20},
    {L"list button", [](const Program& p) { return p.MenuButton(4); }, 4, 4, 20, 20},
    {L"tools button", [](const Program& p) { return p.MenuButton(3); }, 208, 4, 20, 20},
    {L"options button", [](const Program& p) { return p.MenuButton(2); }, 230, 4, 20, 20},
    {L"float button", [](const Program& p) { return p.MenuButton(1); }, 252, 4, 20, 20},
    {L"close button", [](const Program& p) { return p.MenuButton(0); }, 274, 4, 20, 20},
    {L"txtTitle", [](const Program& p) { return p.TextBox(false); }, 6, 32, 286, 17},
    {L"txtNote", [](const Program& p) { return p.TextBox(true); }, 6, 56, 286, 282},
};
const std::vector<Placed> kOptionsPage = {
    {L"on-top label", [](const Program& p) { return ShownLabel(p.Main(), L"置顶窗口"); }, 141, 38,
     80, 20},
    {L"start-up label", [](const Program& p) { return ShownLabel(p.Main(), L"开机启动"); }, 141,
     68, 80, 20},
    {L"on-top switch", [](const Program& p) { return OptionSwitch(p.Main(), 0); }, 249, 36, 33, 17},
    {L"start-up switch", [](const Program& p) { return OptionSwitch(p.Main(), 1); }, 249, 64, 33,
     17},
};
// List1, then the find, new, delete, clear, export and import buttons.
const std::vector<Placed> kListPage = {
    {L"List1", [](const Program& p) { return p.NoteList(); }, 6, 68, 286, 270},
    {L"list button 0", [](const Program& p) { return ListButtonAt(p, 0); }, 6, 32, 29, 29},
    {L"list button 1", [](const Program& p) { return ListButtonAt(p, 1); }, 40, 32, 29, 29},
    {L"list button 2", [](const Program& p) { return ListButtonAt(p, 2); }, 74, 32, 29, 29},
    {L"list button 3", [](const Program& p) { return ListButtonAt(p, 3); }, 108, 32, 29, 29},
    {L"list button 4", [](const Program& p) { return ListButtonAt(p, 4); }, 142, 32, 29, 29},
    {L"list button 5", [](const Program& p) { return ListButtonAt(p, 5); }, 176, 32, 29, 29},
};

constexpr SIZE kDesignClient{298, 344};
// A line of txtNote (9 points) at 96 dpi, with the CJK font the test prefix maps.
constexpr LONG kDesignNoteLine = 14;

bool NearScaled(LONG actual, LONG design, const Program& p) {
  return std::abs(actual - p.Px(design)) <= kTolerancePx;
}

// Empty when every row is where it should be at the program's DPI, else the rows that are not.
std::wstring CheckRows(const Program& p, const std::vector<Placed>& rows) {
  std::wstring problems;
  for (const Placed& row : rows) {
    const HWND control = row.find(p);
    if (control == nullptr) {
      problems += std::wstring(L"; no ") + row.name;
      continue;
    }
    const RECT rc = InMain(p.Main(), control);
    const bool placed = NearScaled(rc.left, row.left, p) && NearScaled(rc.top, row.top, p) &&
                        NearScaled(rc.right - rc.left, row.width, p) &&
                        NearScaled(rc.bottom - rc.top, row.height, p);
    if (!placed) {
      const RECT design{row.left, row.top, row.left + row.width, row.top + row.height};
      problems += std::wstring(L"; ") + row.name + L" at " + Describe(rc) + L", design " +
                  Describe(design);
    }
  }
  return problems;
}

// The height of a line of a multi-line box's text: the height of its font. (The font itself,
// an object of the other process, cannot be read from here.) Gives the box two lines.
std::optional<LONG> LineHeight(HWND box) {
  Bound(box).object.Text(L"字\r\n字");
  DWORD_PTR first = 0;
  DWORD_PTR second = 0;
  if (!SendMessageTimeoutW(box, EM_POSFROMCHAR, 0, 0, SMTO_ABORTIFHUNG, 2000, &first) ||
      !SendMessageTimeoutW(box, EM_POSFROMCHAR, 3, 0, SMTO_ABORTIFHUNG, 2000, &second) ||
      first == static_cast<DWORD_PTR>(-1) || second == static_cast<DWORD_PTR>(-1)) {
    return std::nullopt;
  }
  return static_cast<short>(HIWORD(second)) - static_cast<short>(HIWORD(first));
}

// How wide the glyph painted on a button is: the columns holding a dark pixel, read off the
// screen. (Pixels rather than the drawing calls: this is what the user sees.)
int GlyphWidth(HWND button) {
  const RECT on = ScreenRect(button);
  const RECT rc{0, 0, on.right - on.left, on.bottom - on.top};
  const HDC window = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(window);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, rc.right, rc.bottom, window, on.left, on.top, SRCCOPY);
  int first = rc.right, last = -1;
  for (int y = 0; bits != nullptr && y < rc.bottom; ++y) {
    for (int x = 0; x < rc.right; ++x) {
      const DWORD pixel = static_cast<const DWORD*>(bits)[y * rc.right + x];
      if ((pixel & 0xFF) < 0xB0 && ((pixel >> 8) & 0xFF) < 0xB0) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, window);
  return last - first + 1;
}

std::wstring ClickMenu(const Program& p, int button, const std::wstring& page) {
  const HWND target = p.MenuButton(button);
  if (target == nullptr) return L"the menu bar has not five buttons";
  Sleep(GetDoubleClickTime() + 100);  // never a double-click with the click before
  ClickCentre(target);
  return p.WaitForPage(page);
}

std::wstring LayoutAt(const fs::path& exe, DWORD dpi) {
  const std::wstring tag = L"dpi" + std::to_wstring(dpi) + L"_";
  Program program(exe, L"dpi" + std::to_wstring(dpi));
  program.SetDpi(static_cast<int>(dpi));
  DeskDpi desk(dpi);
  if (!desk.IsSet()) return L"cannot set the desk's DPI";
  if (auto error = program.Start(); !error.empty()) return error;
  desk.Restore();  // read by the program as it started; nothing else is to see it
  std::wstring problems;

  RECT client{};
  GetClientRect(program.Main(), &client);
  if (!NearScaled(client.right, kDesignClient.cx, program) ||
      !NearScaled(client.bottom, kDesignClient.cy, program)) {
    problems += L"; client area " + Describe(client);
  }
  if (auto error = program.WaitForPage(L"editor"); !error.empty()) return error;
  problems += CheckRows(program, kEditorPage);
  const std::optional<LONG> line = LineHeight(program.TextBox(true));
  if (!line || !NearScaled(*line, kDesignNoteLine, program)) {
    problems += L"; txtNote's lines are " +
                (line ? std::to_wstring(*line) + L" pixels apart" : std::wstring(L"unknown"));
  }
  // The close button's cross, (2,2)-(16,16) in 1-pixel strokes at 96 dpi: 15 columns.
  const int cross = program.MenuButton(0) ? GlyphWidth(program.MenuButton(0)) : 0;
  if (!NearScaled(cross, 15, program)) {
    problems += L"; the close button's cross is " + std::to_wstring(cross) + L" pixels wide";
  }
  // The title's underline thickens with the scale: one design pixel, as many device pixels.
  LONG underline = 0;
  for (HWND c : Descendants(program.Main())) {
    const RECT r = ScreenRect(c);
    if (IsShown(c) && r.right - r.left > program.Px(200) && r.bottom - r.top <= 3) {
      underline = r.bottom - r.top;
    }
  }
  if (underline != program.Px(1)) {
    problems += L"; the title's underline is " + std::to_wstring(underline) + L" pixels thick";
  }
  Screenshot(tag + L"editor");

  if (auto error = ClickMenu(program, 2, L"editor+options"); !error.empty()) return error;
  problems += CheckRows(program, kOptionsPage);
  Screenshot(tag + L"options");
  if (auto error = ClickMenu(program, 4, L"list"); !error.empty()) return error;
  problems += CheckRows(program, kListPage);
  Screenshot(tag + L"list");

  if (ScreenshotsWanted()) {
    const HWND close = program.MenuButton(0);
    if (close != nullptr) {
      ClickCentre(close);
      if (const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs)) {
        Screenshot(tag + L"question");
        POINT no{program.Px(kCrossCentre.x), program.Px(kCrossCentre.y)};
        ClientToScreen(box, &no);
        ClickAt(no);
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kReactionTimeoutMs);
      }
    }
    if (const HWND button = program.MenuButton(1)) {
      ClickCentre(button);
      if (WaitUntil([&] { return program.Find(L"Form1") != nullptr; }, kReactionTimeoutMs)) {
        PointerTo({700, 700});
        Sleep(kNoChangeMs);
        Screenshot(tag + L"float");
      }
    }
  }
  return problems.empty() ? std::wstring() : problems.substr(2);
}

// A window of the driver's own, on the backend the program uses: told by the system that it
// is now on a monitor of 120 dpi, it tells the program first, then takes the rectangle the
// system suggests.
std::wstring DpiChangeReachesTheWindow() {
  struct Sink : platform::ControlEvents {
    HWND window = nullptr;
    int dpi = 0;
    RECT whenTold{};
    void OnDpiChanged(int newDpi) override {
      dpi = newDpi;
      whenTold = ScreenRect(window);
    }
  } sink;
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Window;
  settings.borderStyle = 2;
  settings.visible = false;
  settings.bounds = {100, 100, 200, 150};
  const auto window = DriverPlatform().CreateControl(settings, nullptr, &sink);
  sink.window = reinterpret_cast<HWND>(window->Handle());
  if (sink.window == nullptr) return L"no window";
  const RECT before = ScreenRect(sink.window);
  RECT suggested{120, 110, 120 + 250, 110 + 188};
  const LRESULT result = SendMessageW(sink.window, WM_DPICHANGED, MAKEWPARAM(120, 120),
                                      reinterpret_cast<LPARAM>(&suggested));
  const RECT after = ScreenRect(sink.window);
  if (result != 0 || sink.dpi != 120) {
    return L"the window heard of " + std::to_wstring(sink.dpi) + L" dpi, answered " +
           std::to_wstring(result);
  }
  if (!EqualRect(&sink.whenTold, &before)) return L"moved before the program heard of it";
  if (!EqualRect(&after, &suggested)) return L"the window is at " + Describe(after);
  return {};
}

}  // namespace

Cases DpiCases(const fs::path& exe, bool full) {
  Cases cases = {
      {L"dpi_changed_message_reaches_window_and_moves_it", DpiChangeReachesTheWindow},
      {L"dpi_144_controls_and_fonts_scale_by_one_and_a_half",
       [exe] { return LayoutAt(exe, 144); }},
  };
  if (full) cases.push_back({L"dpi_96_controls_as_designed", [exe] { return LayoutAt(exe, 96); }});
  return cases;
}

}  // namespace tarvik::e2e
