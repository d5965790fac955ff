#!/usr/bin/env bash
# Drives the real program under Xvfb with real key presses: opens a C file
# through the open dialog, converts it, saves it under a new name through the
# save dialog (answering its question), and compares the saved bytes with
# the batch converter's output for the same file and tables.
# Usage: smoke_endtoend.sh VELMORA VELMORA_CONVERT
set -uo pipefail
VELMORA=$(realpath "$1")
CONVERT=$(realpath "$2")
CAPTION="Velmora C to Pascal Converter"
source "$(dirname "$0")/xsession.sh"
xsession_start

work="$XSESSION_DIR/work"
mkdir "$work"
printf '==\r\n!=\r\n=\r\n{\r\n}\r\n&&\r\n' >"$work/cpp.tap"
printf '=\r\n<>\r\n:=\r\nbegin\r\nend;\r\nand\r\n' >"$work/pascal.tap"
printf 'int f(int a, int b)\n{\n  if (a == b && a != 0) x = 1;\r\n  return x;\r}\n' >"$work/prog.c"
printf '\xe4\xf6 \xa0 == "Gr\xc3\xb6\xc3\x9fe"\r\n' >>"$work/prog.c"

# Runs a menu command from the keyboard: Alt enters the menu bar at its first
# command, Right moves on to the next.
menu_command() {
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key alt
    sleep 0.2
    for _ in $(seq "$1"); do xdotool key Right; done
    xdotool key Return
}

# Types a file name into the dialog named $1 and confirms it.
answer_dialog() {
    local dialog
    dialog=$(wait_for_window "$1") || fail "no dialog '$1'"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog"
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 5 "$2"
    xdotool key Return
}

(cd "$work" && exec "$VELMORA") &
APP_PID=$!
main=$(wait_for_window "$CAPTION") || fail "no main window"

menu_command 0
answer_dialog "Open C source" "$work/prog.c"
sleep 0.5
window_exists "Open C source" && fail "the open dialog is still open"

menu_command 1
sleep 0.5

menu_command 2
answer_dialog "Save converted file to" "$work/result"
# The save dialog asks before it creates a file; Enter answers Yes.
question=$(wait_for_window "Save converted file to" 5) || fail "no question before creating"
sleep 0.5
xdotool key Return
for _ in $(seq 50); do [ -f "$work/result.pas" ] && break; sleep 0.1; done
[ -f "$work/result.pas" ] || fail "nothing saved as result.pas"

[ -n "${SMOKE_SHOT:-}" ] && import -window root "$SMOKE_SHOT"
wmctrl -c "$CAPTION"
wait_for_exit "$APP_PID" || fail "still running after the window was closed"
APP_PID=
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS, wanted 0"

"$CONVERT" --tables "$work" "$work/prog.c" -o "$work/batch.pas" || fail "the batch converter failed"
cmp "$work/result.pas" "$work/batch.pas" || {
    od -c "$work/result.pas" | head -20 >&2
    fail "the window saved other bytes than the batch converter wrote"
}
echo "ok: opened, converted and saved through the dialogs; $(wc -c <"$work/result.pas") bytes as the batch converter wrote them"
