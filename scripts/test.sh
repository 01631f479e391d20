#!/usr/bin/env bash
# Everything CI runs: installs what is missing, builds both presets, runs the native tests
# and the end-to-end suite under Wine on a private virtual display. The last line printed is
# "N passed, N failed" over all of it; the exit status is non-zero on any failure.
set -euo pipefail
# shellcheck source=lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=lib/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine.sh"
# shellcheck source=lib/fuzz.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/fuzz.sh"

# Seconds each fuzz target runs here; scripts/fuzz.sh runs them longer.
TARVIK_FUZZ_SECONDS="${TARVIK_FUZZ_SECONDS:-20}"

passed=0
failed=0
logDir="$TARVIK_BUILD/test-logs"
trap tarvik_cleanup EXIT

# Adds the counts of ctest's summary ("N tests failed out of M") to the totals.
count_ctest() {
  local log="$1" summary
  summary="$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n1 || true)"
  if [[ -z "$summary" ]]; then
    tarvik_log "native tests: no ctest summary"
    failed=$((failed + 1))
    return
  fi
  local bad total
  bad="$(awk '{print $1}' <<<"$summary")"
  total="$(awk '{print $NF}' <<<"$summary")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Adds the e2e driver's "N passed, N failed" to the totals.
count_e2e() {
  local log="$1" status="$2" summary
  summary="$(tr -d '\r' <"$log" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n1 || true)"
  if [[ -n "$summary" ]]; then
    passed=$((passed + $(awk '{print $1}' <<<"$summary")))
    failed=$((failed + $(awk '{print $3}' <<<"$summary")))
    if ((status != 0)) && [[ "$summary" == *" 0 failed" ]]; then
      tarvik_log "e2e driver exited with status $status"
      failed=$((failed + 1))
    fi
  else
    # The driver died before its summary: keep what it reported, and count the crash.
    passed=$((passed + $(tr -d '\r' <"$log" | grep -c '^PASS ' || true)))
    failed=$((failed + $(tr -d '\r' <"$log" | grep -c '^FAIL ' || true) + 1))
    tarvik_log "e2e driver ended without a summary (status $status)"
  fi
}

# The links of the delete-folder case. Wine cannot make links, so they are made here; the
# driver finds them through TARVIK_E2E_LINKS.
make_link_fixture() {
  local dir="$TARVIK_BUILD/e2e-links"
  rm -rf "$dir"
  mkdir -p "$dir/victim/sub" "$dir/outside/deep"
  printf keep >"$dir/outside/keep.txt"
  printf x >"$dir/outside/deep/x.txt"
  printf f >"$dir/victim/file.txt"
  printf s >"$dir/victim/sub/s.txt"
  ln -s ../outside "$dir/victim/dirlink"
  ln -s ../outside/keep.txt "$dir/victim/filelink"
  export TARVIK_E2E_LINKS="$dir"
}

main() {
  local start=$SECONDS
  tarvik_ensure_packages
  mkdir -p "$logDir"

  local nativeBuilt=1 windowsBuilt=1
  tarvik_log "building the native preset"
  tarvik_build_preset native || { nativeBuilt=0; failed=$((failed + 1)); tarvik_log "native build FAILED"; }
  tarvik_log "building the windows preset"
  tarvik_build_preset windows || { windowsBuilt=0; failed=$((failed + 1)); tarvik_log "windows build FAILED"; }

  if ((nativeBuilt)); then
    tarvik_log "native tests"
    local ctestLog="$logDir/ctest.log"
    ctest --test-dir "$TARVIK_BUILD/native" --output-on-failure -j2 --timeout 120 2>&1 | tee "$ctestLog" || true
    count_ctest "$ctestLog"
  fi

  # Each fuzz target counts as one test: its saved regression inputs and a short fresh run,
  # from a fixed seed so that a slower machine only sees fewer of the same inputs.
  tarvik_log "building the fuzz preset"
  if tarvik_build_preset fuzz; then
    local name
    while read -r name; do
      tarvik_log "fuzzing $name for $TARVIK_FUZZ_SECONDS s"
      if tarvik_fuzz_one "$name" "$TARVIK_FUZZ_SECONDS" "$logDir/fuzz-$name.log" -seed=1; then
        passed=$((passed + 1))
      else
        failed=$((failed + 1))
        tarvik_log "fuzz target $name FAILED:"
        tail -n 30 "$logDir/fuzz-$name.log" >&2
      fi
    done < <(tarvik_fuzz_targets)
  else
    failed=$((failed + 1))
    tarvik_log "fuzz build FAILED"
  fi

  local exe="$TARVIK_BUILD/windows/Tarvik.exe" driver="$TARVIK_BUILD/windows/tarvik_e2e.exe"
  if ((windowsBuilt)) && [[ -f "$exe" && -f "$driver" ]]; then
    tarvik_log "end-to-end suite under Wine"
    if tarvik_start_xvfb && tarvik_wine_prepare; then
      local e2eLog="$logDir/e2e.log" status=0
      make_link_fixture
      timeout 600 wine "$driver" "$(winepath -w "$exe")" 2>&1 | tee "$e2eLog" || status=${PIPESTATUS[0]}
      count_e2e "$e2eLog" "$status"
    else
      failed=$((failed + 1))
    fi
    # The two-monitor group needs a desk of its own: a wide display and a prefix of its own.
    tarvik_log "end-to-end suite on two monitors"
    tarvik_cleanup
    TARVIK_WINEPREFIX="$TARVIK_BUILD/wineprefix-monitors"
    if tarvik_start_two_monitor_desk && tarvik_wine_prepare_two_monitors; then
      local monitorsLog="$logDir/e2e-monitors.log" monitorsStatus=0
      TARVIK_E2E_GROUP=monitors timeout 150 wine "$driver" "$(winepath -w "$exe")" 2>&1 |
        tee "$monitorsLog" || monitorsStatus=${PIPESTATUS[0]}
      count_e2e "$monitorsLog" "$monitorsStatus"
    else
      failed=$((failed + 1))
    fi
  elif ((windowsBuilt)); then
    tarvik_log "Tarvik.exe or tarvik_e2e.exe missing after the build"
    failed=$((failed + 1))
  fi

  tarvik_cleanup
  trap - EXIT
  tarvik_log "done in $((SECONDS - start)) s; logs in $logDir"
  echo "$passed passed, $failed failed"
  ((failed == 0))
}

main "$@"
