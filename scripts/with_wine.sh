#!/usr/bin/env bash
# Runs a command with a fresh Wine prefix of its own and a virtual X display:
# the prefix is made with wineboot, its wineserver and its desktop kept
# running for the whole command (each program then starts in milliseconds,
# and no program of the command starts the desktop), and both are removed at
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
# The desktop stays open, with an explorer.exe whose output goes nowhere,
# for the whole command. Wine closes the desktop one second after its last
# program ended, and the next program that needs it starts
# "explorer.exe /desktop" itself; that explorer inherits the program's Unix
# standard error and keeps it open until the desktop closes again. Under
# ctest, that is the test's output pipe: while other tests keep the desktop
# busy, ctest waits for the pipe after the test program has ended, until the
# test's time-out, and the program waits up to 10 s for the explorer first.
# A program that never ends keeps the desktop open: cmd.exe reading a FIFO
# that it holds open itself (it loads user32, which joins the desktop; it
# ends with the wineserver). Once it runs, rundll32 asks for the desktop
# window, which starts an explorer only if wineboot's is gone already.
keeper=$WINEPREFIX/desktop-keeper
mkfifo "$keeper"
wine64 cmd.exe /k echo keeping the desktop open \
  <>"$keeper" >"$keeper.log" 2>&1 &
keeper_pid=$!
while [ ! -s "$keeper.log" ]; do
  kill -0 "$keeper_pid" 2>/dev/null || die "cmd.exe did not start"
  sleep 0.05
done
wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 ||
  die "no desktop window"
# A crashing program ends at once instead of waiting in Wine's debugger
# until the test's time-out.
wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /d '' /f >/dev/null 2>&1 || true
# Dialogs write in "MS Shell Dlg", which Wine maps to Tahoma; it holds no
# Devanagari, which a dialog then shows as boxes, unless Lohit Devanagari
# heads Tahoma's linked fonts. (Debian's wine has no Tahoma of its own: Lohit
# Devanagari then becomes the dialog font itself, Latin letters and line
# height included. Linked instead under the face Wine draws in Tahoma's
# place, it would leave the dialogs' measures alone, but Wine does not join
# the conjuncts of a linked font.)
system_link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
tahoma_links=$(wine64 reg query "$system_link" /v Tahoma 2>/dev/null |
  sed -n 's/^ *Tahoma *REG_MULTI_SZ *//p' | tr -d '\r' || true)
wine64 reg add "$system_link" /v Tahoma /t REG_MULTI_SZ \
  /d "Lohit-Devanagari.ttf,Lohit Devanagari${tahoma_links:+\\0$tahoma_links}" \
  /f >/dev/null 2>&1 || true
"$@"
