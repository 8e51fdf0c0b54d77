#!/usr/bin/env bash
# Runs a command with a fresh Wine prefix of its own and a virtual X display:
# the prefix is made with wineboot, its wineserver kept running for the whole
# command (each program then starts in milliseconds), and both are removed at
# the end. Nothing depends on a prefix left by an earlier run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

if [ -z "${KELVANE_IN_XVFB:-}" ]; then
  export KELVANE_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

wine_dir=/usr/lib/wine
[ -x "$wine_dir/wine64" ] || die "wine64 is not installed"
export PATH="$wine_dir:$PATH"
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kelvane-wine.XXXXXX)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

wineserver -p
wine64 wineboot -i >/dev/null 2>&1 || die "wineboot failed"
# A crashing program ends at once instead of waiting in Wine's debugger
# until the test's time-out.
wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /d '' /f >/dev/null 2>&1 || true
"$@"
