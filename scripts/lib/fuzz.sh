# shellcheck shell=bash
# Runs the libFuzzer targets of tests/fuzz. Sourced after common.sh; the caller has
# `set -euo pipefail`.

TARVIK_FUZZ_BUILD="$TARVIK_BUILD/fuzz"

# The targets' names, from their sources (tests/fuzz/<name>_fuzz.cpp).
tarvik_fuzz_targets() {
  local source
  for source in "$TARVIK_ROOT"/tests/fuzz/*_fuzz.cpp; do
    basename "$source" .cpp
  done
}

# Runs one target for the given seconds: first every saved regression input of
# tests/fuzz/regressions/<name>/, then new inputs grown from the corpus under the build tree.
# A failing input is kept in $TARVIK_FUZZ_BUILD/artifacts/ to be added to the regressions.
# Further arguments go to the fuzzer. Returns its status; its output goes to the log file.
tarvik_fuzz_one() {
  local name="$1" seconds="$2" log="$3"
  shift 3
  local corpus="$TARVIK_FUZZ_BUILD/corpus/$name" artifacts="$TARVIK_FUZZ_BUILD/artifacts"
  local regressions="$TARVIK_ROOT/tests/fuzz/regressions/$name"
  mkdir -p "$corpus" "$artifacts"
  local dirs=("$corpus")
  [[ -d "$regressions" ]] && dirs+=("$regressions")
  # -timeout: one input may take this long; -rss_limit_mb: and this much memory.
  "$TARVIK_FUZZ_BUILD/$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/$name-" -print_final_stats=1 "$@" "${dirs[@]}" >"$log" 2>&1
}
