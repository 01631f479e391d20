#!/usr/bin/env bash
# Builds Tarvik.exe if needed and starts it under Wine from build/program/, the program
# folder where its Notes folder and Config.ini live. On a machine without a display it
# starts the program on a virtual one, saves a screenshot, says where, and ends.
set -euo pipefail
# shellcheck source=lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# A prefix apart from the test suite's: a running Tarvik holds the single-instance lock of
# its Wine session, and test.sh ends every process of its own prefix when it finishes.
TARVIK_WINEPREFIX="$TARVIK_BUILD/wineprefix-run"
# shellcheck source=lib/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine.sh"

main() {
  tarvik_ensure_packages
  tarvik_log "building Tarvik.exe"
  tarvik_build_preset windows --target Tarvik

  local exe="$TARVIK_BUILD/windows/Tarvik.exe" programDir="$TARVIK_BUILD/program"
  [[ -f "$exe" ]] || tarvik_die "the build made no $exe"
  mkdir -p "$programDir"
  # The program finds Notes\ and Config.ini beside itself, so it runs from its own folder.
  cmp -s "$exe" "$programDir/Tarvik.exe" || cp "$exe" "$programDir/Tarvik.exe"

  trap tarvik_cleanup EXIT
  if [[ -n "${DISPLAY:-}" ]]; then
    tarvik_wine_prepare || tarvik_die "the Wine prefix could not be set up"
    tarvik_log "starting $programDir/Tarvik.exe on $DISPLAY"
    (cd "$programDir" && wine Tarvik.exe) || true
    return 0
  fi

  tarvik_start_xvfb || tarvik_die "no virtual display"
  tarvik_wine_prepare || tarvik_die "the Wine prefix could not be set up"
  tarvik_log "starting $programDir/Tarvik.exe on a virtual display"
  (cd "$programDir" && exec wine Tarvik.exe) >/dev/null 2>&1 &
  local windowId screenshot="$TARVIK_BUILD/screenshot.png"
  windowId="$(tarvik_wait_x_window Tarvik 30)" ||
    tarvik_die "no window captioned \"Tarvik\" appeared within 30 s"
  sleep 1 # let it finish painting
  import -window "$windowId" "$screenshot" 2>/dev/null ||
    import -window root "$screenshot"
  echo "screenshot saved: $screenshot"
}

main "$@"
