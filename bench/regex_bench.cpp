// Regular expressions at the step budget. Targets: the heavy but sound patterns answer (the
// browser's engine takes 19, 53 and 452 ms on them); the pathological ones, on the longest
// text the matcher takes, are refused within a second (counter "refused" = 1).
#include <benchmark/benchmark.h>

#include <string>

#include "util/reg_exp.h"

namespace {

using tarvik::util::RegExpError;

// A note of about 25,000 characters: short lines, the name on every third.
std::wstring Note() {
  std::wstring note;
  for (int line = 0; note.size() < 25000; ++line) {
    note += L"第" + std::to_wstring(line) + L"行 meeting notes, plans and a list";
    if (line % 3 == 0) note += L" for Tarvik";
    note += L" of things to do\r\n";
  }
  return note;
}

void Run(benchmark::State& state, const std::wstring& text, const wchar_t* pattern) {
  bool refused = false;
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(tarvik::util::RegExpReplaceAll(text, pattern, L"#"));
    } catch (const RegExpError&) {
      refused = true;
    }
  }
  state.counters["refused"] = refused ? 1 : 0;
}

void LookaheadOverNote(benchmark::State& state) {
  Run(state, Note(), L"(?=.*Tarvik).");
}
void CountedWordRun(benchmark::State& state) {
  Run(state, std::wstring(50000, L'w'), L"\\w{1,100}x");
}
void NestedBackReference(benchmark::State& state) {
  Run(state, std::wstring(20, L'w'), L"(\\w*)*\\1x");
}

// Refused: exponential or quadratic on the longest text.
const std::wstring& Longest() {
  static const std::wstring text(tarvik::util::kMaxRegExpText, L'a');
  return text;
}
void RefusedNestedBackReference(benchmark::State& state) {
  Run(state, Longest(), L"(a*)*\\1b");
}
void RefusedLookaheadPerCharacter(benchmark::State& state) {
  Run(state, Longest(), L"(?=(a+)+b).");
}
void RefusedNestedStars(benchmark::State& state) {
  Run(state, Longest(), L"(((a*)*)*)*\\3b");
}
void RefusedLongClass(benchmark::State& state) {
  std::wstring pattern = L"[";
  for (wchar_t c = 0x100; c < 0x1100; c += 2) pattern += c;  // 2,048 ranges of one
  Run(state, Longest(), (pattern + L"a]*(a)\\1b").c_str());
}

BENCHMARK(LookaheadOverNote)->Unit(benchmark::kMillisecond);
BENCHMARK(CountedWordRun)->Unit(benchmark::kMillisecond);
BENCHMARK(NestedBackReference)->Unit(benchmark::kMillisecond);
BENCHMARK(RefusedNestedBackReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(RefusedLookaheadPerCharacter)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(RefusedNestedStars)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(RefusedLongClass)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
