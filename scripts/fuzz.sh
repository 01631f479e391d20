#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for a while:
#   scripts/fuzz.sh [seconds per target, default 600] [target ...]
# New inputs gather in build/fuzz/corpus/; an input that fails lands in build/fuzz/artifacts/.
# Copy such an input into tests/fuzz/regressions/<target>/ once it is fixed: every later run,
# the short one in scripts/test.sh included, tries it first.
set -euo pipefail
# shellcheck source=lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=lib/fuzz.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/fuzz.sh"

main() {
  local seconds="${1:-600}"
  shift || true
  local targets=("$@")
  ((${#targets[@]})) || mapfile -t targets < <(tarvik_fuzz_targets)
  tarvik_ensure_packages
  tarvik_build_preset fuzz || tarvik_die "the fuzz build failed"
  mkdir -p "$TARVIK_FUZZ_BUILD/logs"
  local failed=0 name
  for name in "${targets[@]}"; do
    tarvik_log "fuzzing $name for $seconds s"
    if tarvik_fuzz_one "$name" "$seconds" "$TARVIK_FUZZ_BUILD/logs/$name.log"; then
      tarvik_log "$name: no failure"
    else
      tarvik_log "$name: FAILED, see $TARVIK_FUZZ_BUILD/logs/$name.log"
      failed=$((failed + 1))
    fi
  done
  ((failed == 0))
}

main "$@"
