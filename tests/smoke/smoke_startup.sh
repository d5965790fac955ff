#!/usr/bin/env bash
# Starts the real program under Xvfb with a window manager, as a person would:
#  - in a folder without tables it shows the runtime-error box and, once the
#    box is dismissed, ends with status 217 without ever showing its window;
#  - in a folder with tables it shows its window, and closing the window ends
#    it with status 0.
# Usage: smoke_startup.sh VELMORA
set -uo pipefail
VELMORA=$(realpath "$1")
CAPTION="Velmora C to Pascal Converter"
source "$(dirname "$0")/xsession.sh"
xsession_start

# No tables.
mkdir "$XSESSION_DIR/empty"
(cd "$XSESSION_DIR/empty" && exec "$VELMORA") &
APP_PID=$!
box=$(wait_for_window "Error") || fail "no runtime-error box"
window_exists "$CAPTION" && fail "the main window appeared although start-up failed"
text=$(xdotool getwindowname "$box")
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
wait_for_exit "$APP_PID" || fail "still running after the box was dismissed"
APP_PID=
[ "$EXIT_STATUS" = 217 ] || fail "exit status $EXIT_STATUS after a failed start, wanted 217"
echo "ok: no tables: box '$text', exit status 217"

# With tables.
mkdir "$XSESSION_DIR/tables"
printf '==\r\n!=\r\n' >"$XSESSION_DIR/tables/cpp.tap"
printf '=\r\n<>\r\n' >"$XSESSION_DIR/tables/pascal.tap"
(cd "$XSESSION_DIR/tables" && exec "$VELMORA") &
APP_PID=$!
wait_for_window "$CAPTION" >/dev/null || fail "no main window"
wmctrl -c "$CAPTION"
wait_for_exit "$APP_PID" || fail "still running after the window was closed"
APP_PID=
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after a normal close, wanted 0"
echo "ok: with tables: window shown, closed, exit status 0"
