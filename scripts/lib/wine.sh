# Shell functions for running Bramolt under Wine, shared by the end-to-end
# tests and the demo. Source this file; it defines functions only.
#
# The prefix is $BRAMOLT_WINEPREFIX, else <build>/wineprefix when
# $BRAMOLT_BUILD_DIR is set, else what scripts/wine-prefix-path finds.
# Every Wine call runs with WINEDEBUG=-all in that prefix.

BW_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# bw_can_run_32bit - succeeds when this machine runs 32-bit x86 programs. Some kernels
# are built or booted without that ability; there Wine's 32-bit half (the 32-bit script
# host, the NSIS installer) cannot start, and neither can Wine's launcher once that half
# is installed.
bw_can_run_32bit() {
  [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Without 32-bit programs, every `wine` (and `winepath`, which calls `wine-stable`) goes
# straight to the 64-bit loader.
if [[ -x /usr/lib/wine/wine64 ]] && ! bw_can_run_32bit && [[ ":$PATH:" != *":$BW_SCRIPTS_DIR/wine64-only:"* ]]; then
  export PATH="$BW_SCRIPTS_DIR/wine64-only:$PATH"
fi

bw_prefix() {
  if [[ -n "${BRAMOLT_WINEPREFIX:-}" ]]; then
    echo "$BRAMOLT_WINEPREFIX"
  elif [[ -n "${BRAMOLT_BUILD_DIR:-}" ]]; then
    echo "$BRAMOLT_BUILD_DIR/wineprefix"
  else
    "$BW_SCRIPTS_DIR/wine-prefix-path"
  fi
}

# bw_env COMMAND ARGS... - runs a command (wine, winepath, wineserver, or
# `timeout N wine`) in the prefix's environment. Wine's debug channels are
# $BW_WINEDEBUG, else all off.
bw_env() {
  WINEPREFIX=$(bw_prefix) WINEDEBUG=${BW_WINEDEBUG:--all} "$@"
}

# bw_wine PROGRAM ARGS... - runs a Windows program in the prefix.
bw_wine() {
  bw_env wine "$@"
}

# bw_winpath UNIX_PATH - the path as Windows programs see it (Z:\...).
bw_winpath() {
  bw_env winepath -w "$1" 2>/dev/null
}

# bw_script_host [32|64] - sets the array BW_HOST to the command that starts the
# console script host of that bitness (default $BRAMOLT_SCRIPT_HOST, else 64).
# Once Wine's 32-bit half is installed, the plain launcher starts the 32-bit
# builds of Wine's own programs, so the 64-bit host needs the 64-bit loader.
bw_script_host() {
  case ${1:-${BRAMOLT_SCRIPT_HOST:-64}} in
    32) BW_HOST=(wine 'C:\windows\syswow64\cscript.exe') ;;
    64) if [[ -x /usr/lib/wine/wine64 ]]; then BW_HOST=(/usr/lib/wine/wine64 cscript); else BW_HOST=(wine cscript); fi ;;
    *) echo "bw_script_host: bitness must be 32 or 64" >&2; return 2 ;;
  esac
}

# bw_cscript SECONDS SCRIPT ARGS... - runs a VBScript or JScript file with the
# console script host (see bw_script_host), killed after SECONDS; returns the
# script's exit code (124 on time-out).
bw_cscript() {
  local seconds=$1 script=$2
  shift 2
  bw_script_host || return
  bw_env timeout "$seconds" "${BW_HOST[@]}" //nologo "$(bw_winpath "$script")" "$@"
}

# Registry checks read the 64-bit view, where the 64-bit server writes: with
# 32-bit Wine installed, reg.exe would otherwise show the 32-bit one.

# bw_reg_value KEY - prints the default value of a registry key; fails when
# the key does not exist.
bw_reg_value() {
  local output
  output=$(bw_env timeout 60 wine reg query "$1" /ve /reg:64 2>/dev/null | tr -d '\r') || return 1
  # Line format: "    (Default)    REG_SZ    value"
  sed -n 's/^ *([^)]*) *REG_SZ *//p' <<<"$output" | head -n 1
}

# bw_reg_exists KEY - succeeds when the registry key exists.
bw_reg_exists() {
  bw_env timeout 60 wine reg query "$1" /reg:64 >/dev/null 2>&1
}

# bw_prefix_stop - ends every process of the prefix (and its wineserver).
bw_prefix_stop() {
  bw_env wineserver -k 2>/dev/null || true
  bw_env timeout 30 wineserver -w 2>/dev/null || true
}

# bw_xvfb_start - starts a private X server on the first free display from
# :90 upward; sets DISPLAY and BW_XVFB_PID.
bw_xvfb_start() {
  local display
  for display in $(seq 90 140); do
    [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    BW_XVFB_PID=$!
    local tries
    for tries in $(seq 50); do
      if [[ -e /tmp/.X11-unix/X$display ]]; then
        export DISPLAY=":$display"
        return 0
      fi
      kill -0 "$BW_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    # Lost a race for this display, or the server failed: try the next one.
    kill "$BW_XVFB_PID" 2>/dev/null || true
    wait "$BW_XVFB_PID" 2>/dev/null || true
    BW_XVFB_PID=
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

# bw_xvfb_stop - stops the X server bw_xvfb_start started.
bw_xvfb_stop() {
  if [[ -n "${BW_XVFB_PID:-}" ]]; then
    kill "$BW_XVFB_PID" 2>/dev/null || true
    wait "$BW_XVFB_PID" 2>/dev/null || true
    BW_XVFB_PID=
  fi
  unset DISPLAY
}
