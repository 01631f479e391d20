# shellcheck shell=bash
# Shared helpers for running Tarvik.exe under Wine: a private prefix in the build tree,
# a virtual X display, and clean-up. Sourced after common.sh.

# The test suite's prefix; run.sh picks its own (see there) before calling these helpers.
TARVIK_WINEPREFIX="${TARVIK_WINEPREFIX:-$TARVIK_BUILD/wineprefix}"
TARVIK_XVFB_PID=""
# Bump when the prefix settings below change, so existing prefixes are updated once.
TARVIK_PREFIX_STAMP="tarvik-prefix-2"

tarvik_wine_env() {
  export WINEPREFIX="$TARVIK_WINEPREFIX"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # Keep wineboot from offering to download Mono and Gecko.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine converts command lines and paths with the Unix locale; keep it UTF-8.
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
}

# The font family name the CJK package registers, as fontconfig reports it.
tarvik_cjk_family() {
  local family
  family="$(fc-list : family 2>/dev/null | tr ',' '\n' | grep -m1 -x 'WenQuanYi Micro Hei' || true)"
  printf '%s' "${family:-WenQuanYi Micro Hei}"
}

# Both set-up functions return non-zero on failure and leave the decision to the caller.

# Creates the prefix on first use (wineboot takes ~10 s) and applies our settings once:
# plain X11 windows (Managed=N: otherwise every hide of a top-level window stalls ~2 s)
# and "微软雅黑" (and the fonts of Wine's own dialogs) mapped to the installed CJK font so
# Chinese renders.
tarvik_wine_prepare() {
  tarvik_wine_env
  local stampFile="$WINEPREFIX/.tarvik-stamp"
  if [[ -f "$WINEPREFIX/system.reg" && -f "$stampFile" ]] &&
    [[ "$(cat "$stampFile")" == "$TARVIK_PREFIX_STAMP" ]]; then
    return 0
  fi
  mkdir -p "$WINEPREFIX"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    tarvik_log "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    tarvik_log "wineboot could not create $WINEPREFIX"
    return 1
  fi

  local family regFile
  family="$(tarvik_cjk_family)"
  regFile="$WINEPREFIX/tarvik-settings.reg"
  # regedit reads non-ASCII names reliably only from a UTF-16 file with a BOM.
  {
    printf '\xef\xbb\xbf'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
    printf '"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"微软雅黑"="%s"\r\n' "$family"
    printf '"Microsoft YaHei"="%s"\r\n' "$family"
    # Wine's own dialogs (file dialogs, message boxes) use these; Wine's Tahoma has no CJK.
    printf '"MS Shell Dlg"="%s"\r\n' "$family"
    printf '"MS Shell Dlg 2"="%s"\r\n' "$family"
    printf '"Tahoma"="%s"\r\n' "$family"
  } | iconv -f UTF-8 -t UTF-16LE >"$regFile"
  if ! wine regedit /S "$(winepath -w "$regFile" 2>/dev/null)" >/dev/null 2>&1; then
    tarvik_log "could not apply the Wine settings in $regFile"
    return 1
  fi
  wineserver -w
  printf '%s' "$TARVIK_PREFIX_STAMP" >"$stampFile"
}

# Starts Xvfb on a display number it picks itself (-displayfd) and exports DISPLAY. Optional:
# the screen's geometry (1280x800x24 unless given), then more Xvfb options.
tarvik_start_xvfb() {
  local fifo displayNumber="" geometry="${1:-1280x800x24}"
  shift || true
  fifo="$(mktemp -u /tmp/tarvik-xvfb.XXXXXX)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp "$@" 3>"$fifo" >/dev/null 2>&1 &
  TARVIK_XVFB_PID=$!
  read -r -t 20 displayNumber <"$fifo" || true
  rm -f "$fifo"
  if [[ -z "$displayNumber" ]]; then
    tarvik_log "Xvfb did not start"
    tarvik_stop_xvfb
    return 1
  fi
  export DISPLAY=":$displayNumber"
  tarvik_log "Xvfb on $DISPLAY (pid $TARVIK_XVFB_PID)"
}

# A desk of two monitors side by side: one screen as wide as both, which keeps its monitors
# when its last client leaves (-noreset), split with xrandr into the primary (0,0)-(1280,800)
# and a second (1280,0)-(2304,768). Wine reads them through Xinerama once its prefix has
# UseXRandR=N (tarvik_wine_prepare_two_monitors).
tarvik_start_two_monitor_desk() {
  tarvik_start_xvfb 2304x800x24 -noreset || return 1
  if ! xrandr --setmonitor '*Left' 1280/338x800/212+0+0 screen >/dev/null 2>&1 ||
    ! xrandr --setmonitor Right 1024/270x768/203+1280+0 none >/dev/null 2>&1; then
    tarvik_log "xrandr could not set up the two monitors"
    return 1
  fi
}

# The prefix as tarvik_wine_prepare makes it, reading monitors the Xinerama way. The monitor
# list is read by the first process that starts the prefix's server, so the server is let go.
tarvik_wine_prepare_two_monitors() {
  tarvik_wine_prepare || return 1
  if ! wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f \
    >/dev/null 2>&1; then
    tarvik_log "could not set UseXRandR in $WINEPREFIX"
    return 1
  fi
  wineserver -w
}

tarvik_stop_xvfb() {
  if [[ -n "$TARVIK_XVFB_PID" ]]; then
    kill "$TARVIK_XVFB_PID" 2>/dev/null || true
    wait "$TARVIK_XVFB_PID" 2>/dev/null || true
    TARVIK_XVFB_PID=""
  fi
}

# Ends every Wine process of our prefix (and only of it), then the display we started.
tarvik_cleanup() {
  if [[ -d "$TARVIK_WINEPREFIX" ]]; then
    WINEPREFIX="$TARVIK_WINEPREFIX" wineserver -k 2>/dev/null || true
  fi
  tarvik_stop_xvfb
}

# Waits until a top-level X window with the given name appears; prints its id.
tarvik_wait_x_window() {
  local name="$1" seconds="${2:-30}" id="" i
  for ((i = 0; i < seconds * 5; i++)); do
    id="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$name\"" | awk '{print $1; exit}')"
    if [[ -n "$id" ]]; then
      printf '%s' "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}
