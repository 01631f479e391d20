// One search keystroke of the main window over 10,000 titles, on the headless backend.
// Target: <= 1 ms with all 10,000 titles as results (SearchAll).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "main_window_probe.h"
#include "platform/headless/headless_platform.h"

namespace {

using tarvik::app::frmMain;
using Probe = tarvik::app::frmMainProbe;

constexpr int kNoteCount = 10000;

std::vector<std::wstring> Titles() {
  static const wchar_t kGroups[] = L"零一二三四五六七八九";
  std::vector<std::wstring> titles;
  titles.reserve(kNoteCount);
  for (int i = 0; i < kNoteCount; ++i) {
    titles.push_back(std::wstring(L"会议笔记 第") + kGroups[i % 10] + L"组 " +
                     std::to_wstring(i + 1));
  }
  return titles;
}

// One keystroke from the text before to after, timed; the way back is not.
void Keystroke(benchmark::State& state, const wchar_t* before, const wchar_t* after) {
  tarvik::platform::headless::HeadlessPlatform platform;
  frmMain window(platform);
  Probe::ListTitles(window, Titles());
  Probe::ClickListButton(window, 5);  // the search bar and its result list show
  for (auto _ : state) {
    state.PauseTiming();
    Probe::Native(Probe::Lists(window).txtSearch).Type(before);
    state.ResumeTiming();
    Probe::Native(Probe::Lists(window).txtSearch).Type(after);
    benchmark::DoNotOptimize(Probe::Lists(window).List3.ListCount());
  }
  state.counters["results"] = Probe::Lists(window).List3.ListCount();
}

// Every title holds "第" and "笔记", one in ten "第七". A backspace from 1,000 results to all
// 10,000, a character typed from 10,000 to 1,000, and typing on with the 10,000 kept.
void SearchAll(benchmark::State& state) {
  Keystroke(state, L"第七", L"第");
}
void SearchTenth(benchmark::State& state) {
  Keystroke(state, L"第", L"第七");
}
void SearchTypingOn(benchmark::State& state) {
  Keystroke(state, L"笔", L"笔记");
}

BENCHMARK(SearchAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(SearchTenth)->Unit(benchmark::kMicrosecond);
BENCHMARK(SearchTypingOn)->Unit(benchmark::kMicrosecond);

}  // namespace
