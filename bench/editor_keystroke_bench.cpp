// What one keystroke in the editor costs the user-interface thread on a 2 MB note, with the
// recovery record kept (/1) and without it (/0): the record may add at most a tenth
// (EditorKeystroke/1 <= 1.1x EditorKeystroke/0). The clock moves on 150 ms per key, a quick
// typist's pace, so the program's timers run as they would between keys and whatever the
// record does on the user-interface thread at its write moments is counted, spread over the
// keys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "main_window_probe.h"
#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

namespace {

namespace fs = std::filesystem;
using Probe = tarvik::app::frmMainProbe;

std::wstring WindowsPath(const fs::path& path) {
  std::wstring wide = path.wstring();
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

void EditorKeystroke(benchmark::State& state) {
  const bool record = state.range(0) != 0;
  const fs::path dir = fs::current_path() / "editor_keystroke_bench_data";
  fs::remove_all(dir);
  fs::create_directories(dir / "Notes");
  // 2 MB as the file holds it (UTF-8), mixed Chinese and ASCII.
  const std::wstring line = L"第一段会议记录：项目进度与风险, some ASCII words.\r\n";
  const std::size_t lineBytes = tarvik::util::ToUtf8(line).size();
  std::wstring text;
  for (std::size_t bytes = 0; bytes < 2 * 1024 * 1024; bytes += lineBytes) text += line;
  {
    std::ofstream file(dir / "Notes" / "Note_1.tvk", std::ios::binary);
    file << tarvik::util::ToUtf8(L"大笔记\r\n" + text);
  }
  tarvik::platform::headless::HeadlessPlatform platform;
  platform.SetProgramFolder(WindowsPath(dir));
  auto main = std::make_unique<tarvik::app::frmMain>(platform);
  if (!main->Load()) state.SkipWithError("the main window did not load");
  Probe::SelectNote(*main, 0);
  Probe::DblClickList1(*main);
  if (!record) Probe::Book(*main).RecordTo(nullptr);
  const std::wstring typed[2] = {text + L"a", text + L"b"};
  auto& box = platform.Get(Probe::Editor(*main).txtNote.hWnd());
  int round = 0;
  for (auto _ : state) {
    box.Type(typed[++round & 1]);
    platform.AdvanceTime(150);
  }
  main.reset();
  std::error_code ec;
  fs::remove_all(dir, ec);
}

BENCHMARK(EditorKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(200)->Repetitions(3);

}  // namespace
