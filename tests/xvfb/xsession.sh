# SPDX-License-Identifier: MIT
# Sourced by the real-window tests: a private Xvfb, a deadline, and helpers that wait for
# windows and the clipboard. The sourcing script sets app_pid once it has started a program.
for tool in Xvfb xdotool xclip timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

started=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/xsession.XXXXXX") || exit 1
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$app_pid" ] && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP PIPE

# Every wait checks this, so the whole run ends well inside CTest's timeout.
check_deadline() {
    [ $(($(date +%s) - started)) -le 90 ] || fail "gave up after 90 seconds"
}
fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/app.log" ] && { echo "--- quillmark's output:" >&2; cat "$work/app.log" >&2; }
    exit 1
}

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
    i=$((i + 1))
    [ $i -gt 100 ] && fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb exited: $(cat "$work/xvfb.log")"
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
# The launchers of this session find each other here, and only here.
XDG_RUNTIME_DIR=$work/run
export XDG_RUNTIME_DIR
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Waits for a visible window whose title is exactly $1 and gives it the keyboard (there is no
# window manager to do that).
focus_window() {
    wid=""
    i=0
    while [ -z "$wid" ]; do
        i=$((i + 1))
        check_deadline
        [ $i -gt 200 ] && fail "no window \"$1\" appeared"
        [ -z "$app_pid" ] || kill -0 "$app_pid" 2>/dev/null || fail "quillmark exited while waiting for \"$1\""
        sleep 0.1
        wid=$(timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    done
    timeout 10 xdotool windowfocus --sync "$wid" || fail "could not focus \"$1\""
    sleep 0.3
}
keys() { timeout 20 xdotool "$@" || fail "xdotool $*"; }
# ALT held while the letter goes down and comes up again, as the window's key-up handler needs.
alt() { keys keydown alt key --delay 50 "$1" keyup alt; }
# The copy is over once the clipboard holds text other than $1; the program must still be
# running to serve it.
wait_clipboard() {
    i=0
    while :; do
        if xclip -o -selection clipboard >"$work/clipboard" 2>/dev/null && [ -s "$work/clipboard" ] \
            && ! cmp -s "$work/clipboard" "$1"; then
            return 0
        fi
        i=$((i + 1))
        check_deadline
        [ $i -gt 100 ] && fail "nothing new arrived on the clipboard"
        kill -0 "$app_pid" 2>/dev/null || fail "quillmark exited before the clipboard was read"
        sleep 0.1
    done
}

