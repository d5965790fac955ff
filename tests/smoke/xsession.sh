# Shared by the smoke tests: a private X display with a window manager, and
# helpers to wait for windows. Source it; it cleans up after itself on exit.

XSESSION_DIR=$(mktemp -d)
XVFB_PID=
WM_PID=
APP_PID=

xsession_cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$XSESSION_DIR"
}
trap xsession_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
        import -window root "$XSESSION_DIR/failure.png" 2>/dev/null &&
            cp "$XSESSION_DIR/failure.png" "${SMOKE_SHOT:-/tmp/velmora-smoke-failure.png}" &&
            echo "screen saved as ${SMOKE_SHOT:-/tmp/velmora-smoke-failure.png}" >&2
    fi
    exit 1
}

# Starts Xvfb on a free display number, then openbox on it.
xsession_start() {
    Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$XSESSION_DIR/display" 2>"$XSESSION_DIR/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$XSESSION_DIR/display" ] && break
        sleep 0.1
    done
    [ -s "$XSESSION_DIR/display" ] || fail "Xvfb did not start: $(cat "$XSESSION_DIR/xvfb.log")"
    export DISPLAY=":$(head -n1 "$XSESSION_DIR/display")"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    openbox >"$XSESSION_DIR/openbox.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 100); do
        wmctrl -m >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# Prints the id of the first visible window whose name is exactly $1,
# waiting up to $2 seconds (default 20).
wait_for_window() {
    local name=$1 limit=${2:-20} id
    for _ in $(seq $((limit * 10))); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# True when a visible window named exactly $1 exists now.
window_exists() {
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

# Waits up to $2 seconds for process $1, a child of this shell, to end and
# sets EXIT_STATUS to its exit status. Not for use in a subshell.
wait_for_exit() {
    local pid=$1 limit=${2:-20}
    for _ in $(seq $((limit * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}
