#!/usr/bin/env bash
# Benchmark of the whole program under Wine (not part of the test suite). Builds the
# Release Tarvik.exe and the measuring driver (wine_bench.cpp), generates 0, 1,000 and
# 10,000 notes of about 1 KB with Chinese titles, and runs the driver once: start to visible
# window for Tarvik, Wine's notepad and a plain read loop, alternating round by round, the
# search keystroke and private memory. Prints medians and the ratios of the targets.
#
#   bench/wine/run.sh [rounds]      (default 7; DISPLAY unset: a private Xvfb)
#   TARVIK_BENCH_EXE=/path/Tarvik.exe bench/wine/run.sh    measures that build instead
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../../scripts/lib/common.sh
source "$here/../../scripts/lib/common.sh"
# A prefix of its own: nothing else running in it, so nothing else is measured.
TARVIK_WINEPREFIX="$TARVIK_BUILD/wineprefix-bench"
# shellcheck source=../../scripts/lib/wine.sh
source "$here/../../scripts/lib/wine.sh"

rounds="${1:-7}"
work="$TARVIK_BUILD/bench-wine"

# Note_<n>.tvk: a Chinese title (every one holds "笔记", one in ten "七组"), CR LF, then
# about 1 KB of mixed Chinese and ASCII text with line breaks.
generate_notes() {
  local folder="$1" count="$2"
  rm -rf "$folder"
  mkdir -p "$folder"
  python3 - "$folder" "$count" <<'EOF'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
groups = "零一二三四五六七八九"
for i in range(count):
    title = f"会议笔记 第{groups[i % 10]}组 {i + 1}"
    text = ""
    while len(text.encode("utf-8")) < 1000:
        text += f"第{i + 1}条笔记的内容：今天讨论了项目进度, some ASCII words too.\r\n"
    with open(os.path.join(folder, f"Note_{i + 1}.tvk"), "wb") as f:
        f.write((title + "\r\n" + text).encode("utf-8"))
EOF
}

main() {
  tarvik_ensure_packages
  local exe="${TARVIK_BENCH_EXE:-}"
  if [[ -z "$exe" ]]; then
    tarvik_log "building the Release Tarvik.exe"
    tarvik_build_preset windows --target Tarvik >/dev/null
    exe="$TARVIK_BUILD/windows/Tarvik.exe"
  fi
  [[ -f "$exe" ]] || tarvik_die "the build made no $exe"

  mkdir -p "$work"
  local driver="$work/wine_bench.exe"
  if [[ ! -f "$driver" || "$here/wine_bench.cpp" -nt "$driver" ]]; then
    tarvik_log "building the driver"
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -municode -static -Wall -Wextra \
      -o "$driver" "$here/wine_bench.cpp"
  fi

  local count
  for count in 0 1000 10000; do
    local folder="$work/t$count"
    if [[ ! -f "$folder/Notes/.count-$count" ]]; then
      tarvik_log "generating $count notes"
      generate_notes "$folder/Notes" "$count"
      touch "$folder/Notes/.count-$count"
    fi
    # A fresh program folder each run: no settings left over from the last one.
    rm -f "$folder/Config.ini" "$folder"/Notes.recovery*
    cp "$exe" "$folder/Tarvik.exe"
  done

  trap tarvik_cleanup EXIT
  if [[ -z "${DISPLAY:-}" ]]; then
    tarvik_start_xvfb || tarvik_die "no display"
  fi
  tarvik_wine_prepare || tarvik_die "the Wine prefix could not be set up"
  # Wine's server and the driver's own start stay out of the figures.
  wineserver -p 2>/dev/null || true
  tarvik_log "measuring, $rounds rounds"
  wine "$driver" "$(winepath -w "$work")" "$rounds"
}

main "$@"
