#!/bin/sh
# SPDX-License-Identifier: MIT
# The add-in in its two hosts, with real windows and real key events:
# - the development environment lists "Quillmark 98" last in its Add-Ins menu; choosing it
#   opens the main window; ALT+C there and CTRL+V in the editor pane paste the block; quitting
#   records the open window, and the next start reopens it by itself;
# - the launcher opens the window at once, and closing it records "1".
# - ended by SIGTERM, the launcher still disconnects and records the window.
#   addin_cycle.sh PATH/TO/quillmark
# Exit 77 (skipped) when Xvfb, xdotool or xclip is missing. Run it through cmake/sandbox.sh.
set -u
app=${1:?usage: addin_cycle.sh PATH/TO/quillmark}
. "$(dirname "$0")/xsession.sh"

environment="Quillmark 98 Development Environment"
mkdir -p "$XDG_CONFIG_HOME/quillmark"
printf '[General]\r\nPersonal Name=A. Developer\r\nComments Type=0\r\n' >"$XDG_CONFIG_HOME/quillmark/Qmark98.ini"
"$app" --register-addin || fail "could not register the add-in"
grep -q '^ZI98VudAv.Connect=1' "$XDG_CONFIG_HOME/quillmark/vbaddin.ini" || fail "the add-in list has no entry"

display_on_connect() { sed -n 's/^DisplayOnConnect=//p' "$XDG_CONFIG_HOME/quillmark/DEVivIv.conf" 2>/dev/null; }
start() {
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$app" "$@" >>"$work/app.log" 2>&1 &
    app_pid=$!
}
# Waits until the program has ended by itself.
wait_exit() {
    i=0
    while kill -0 "$app_pid" 2>/dev/null; do
        i=$((i + 1))
        check_deadline
        [ $i -gt 100 ] && fail "quillmark did not end after $1"
        sleep 0.1
    done
    wait "$app_pid"
    app_pid=""
}

start --environment
focus_window "$environment"
sleep 0.5
timeout 5 xdotool search --onlyvisible --name '^Quillmark 98$' >/dev/null && fail "the main window opened unasked"

# The Add-Ins menu opens on its first item; Up wraps round to the last, which must be ours.
alt a
sleep 0.3
keys key Up Return
focus_window "Quillmark 98"
keys type --delay 30 "PasteMe"
alt c
: >"$work/none"
wait_clipboard "$work/none"
grep -q "'  Public Sub PasteMe" "$work/clipboard" || fail "the clipboard holds no block for PasteMe"
cp "$work/clipboard" "$work/block"

# Paste behind a marker, then copy the whole editor pane back to see what it holds.
focus_window "$environment"
keys type --delay 30 "X"
keys key ctrl+v
sleep 0.3
keys key ctrl+a ctrl+c
wait_clipboard "$work/block"
{ printf 'X'; tr -d '\r' <"$work/block"; } >"$work/expected"
tr -d '\r' <"$work/clipboard" >"$work/pasted"
cmp -s "$work/pasted" "$work/expected" || { cat -A "$work/pasted"; fail "the editor pane does not hold the block"; }

# Quitting disconnects the add-in, which records the window as open.
alt f
keys key x
wait_exit "File, Exit"
[ "$(display_on_connect)" = 1 ] || fail "DisplayOnConnect is '$(display_on_connect)', not 1, after quitting"

# The next start reopens the main window without the menu command.
start --environment
focus_window "Quillmark 98"
focus_window "$environment"
alt f
keys key x
wait_exit "File, Exit"

# The launcher: the window opens at once; its Exit button ends the program, recording "1".
printf '[Settings]\nDisplayOnConnect=0\n' >"$XDG_CONFIG_HOME/quillmark/DEVivIv.conf"
start
focus_window "Quillmark 98"
keys mousemove --window "$wid" 14 14 click 1
wait_exit "Exit"
[ "$(display_on_connect)" = 1 ] || fail "the launcher left DisplayOnConnect at '$(display_on_connect)'"

# A session that ends the launcher with SIGTERM still gets the window recorded.
printf '[Settings]\nDisplayOnConnect=0\n' >"$XDG_CONFIG_HOME/quillmark/DEVivIv.conf"
start
focus_window "Quillmark 98"
kill -TERM "$app_pid"
wait_exit "SIGTERM"
[ "$(display_on_connect)" = 1 ] || fail "after SIGTERM DisplayOnConnect is '$(display_on_connect)'"

echo "PASS: menu command, copy and paste, reopening, the launcher's close and SIGTERM"
