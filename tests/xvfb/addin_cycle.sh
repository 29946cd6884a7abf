#!/bin/sh
# SPDX-License-Identifier: MIT
# The add-in in its two hosts, with real windows and real key events:
# - the development environment lists "Quillmark 98" last in its Add-Ins menu; choosing it
#   opens the main window; ALT+C there and CTRL+V in the editor pane paste the block; quitting
#   records the open window, and the next start reopens it by itself;
# - the launcher opens the window at once, and closing it records "1".
# - ended by SIGTERM, the launcher still disconnects and records the window;
# - under openbox every dialog is transient for the main window and is minimised with it; a
#   second start brings the window forward and ends, but not another user's or when the lock
#   is held by a program that never answers.
#   addin_cycle.sh PATH/TO/quillmark
# Exit 77 (skipped) when Xvfb, xdotool, xclip or openbox is missing. Run it through cmake/sandbox.sh.
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

# Under a real window manager: every dialog belongs to the main window, so it goes and comes
# back with it; a second start brings the window forward (restored, active, the cursor in the
# name box) and ends; the window's class is the desktop entry's.
command -v openbox >/dev/null 2>&1 || { echo "SKIP: openbox is not installed"; exit 77; }
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
# A window mapped while the window manager is still starting may never be managed.
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q '# 0x'; do
    i=$((i + 1))
    [ $i -gt 50 ] && fail "openbox did not start: $(cat "$work/openbox.log")"
    sleep 0.1
done
start
focus_window "Quillmark 98"
main=$wid
map_state() { xwininfo -id "$1" | sed -n 's/^ *Map State: //p'; }
wm_class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../resources/quillmark.desktop")
xprop -id "$main" WM_CLASS | grep -q "\"$wm_class\"" || fail "WM_CLASS is not the desktop entry's '$wm_class'"
# How each dialog opens (ALT and a letter, or a click on the toolbar at x), and its title.
while IFS='|' read -r how title; do
    case $how in
    click*) keys mousemove --window "$main" "${how#click }" 14 click 1 ;;
    *) alt "$how" ;;
    esac
    focus_window "$title"
    owner=$(xprop -id "$wid" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
    [ "$((owner))" = "$main" ] || fail "\"$title\" is transient for '$owner', not the main window $(printf 0x%x "$main")"
    keys key Escape
    focus_window "Quillmark 98"
done <<EOF
a|Add New Parameter
n|Free Text Comments
click 110|Options
click 197|About Quillmark 98
click 236|Quillmark 98 - Quick Help
EOF
# second_start TITLE: a second launcher ends at once, leaving one window, and TITLE active.
second_start() {
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 timeout 10 "$app" >>"$work/app.log" 2>&1 ||
        fail "a second start did not end by itself"
    [ "$(timeout 5 xdotool search --onlyvisible --name '^Quillmark 98$' | wc -l)" = 1 ] ||
        fail "a second start left more than one window"
    i=0
    until [ "$(map_state "$main")" = IsViewable ] &&
        [ "$(timeout 5 xdotool getactivewindow getwindowname)" = "$1" ]; do
        i=$((i + 1))
        [ $i -gt 30 ] && fail "a second start did not bring \"$1\" forward"
        sleep 0.1
    done
}
alt a
focus_window "Add New Parameter"
dialog=$wid
keys windowminimize --sync "$main"
sleep 0.3
[ "$(map_state "$dialog")" = IsUnMapped ] || fail "the dialog stayed on screen with its window minimised"
second_start "Add New Parameter"
[ "$(map_state "$dialog")" = IsViewable ] || fail "the dialog did not come back with its window"
keys key Escape
focus_window "Quillmark 98"
keys type --delay 30 "Typed"
keys key Tab
keys windowminimize --sync "$main"
second_start "Quillmark 98"
keys type --delay 30 "Forward"
xclip -o -selection clipboard >"$work/before" 2>/dev/null
alt c
wait_clipboard "$work/before"
tr -d '\r' <"$work/clipboard" | grep -qx "'  Public Sub Forward" || fail "what was typed after a second start missed the name box"
# Another user on this display gets a window of their own.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
    chmod 711 "$work"
    mkdir -m 700 "$work/other" && chown 65534:65534 "$work/other"
    setpriv --reuid 65534 --regid 65534 --clear-groups env HOME="$work/other" XDG_CONFIG_HOME="$work/other" \
        XDG_RUNTIME_DIR="$work/other" TMPDIR="$work/other/" QT_QPA_PLATFORM=xcb "$app" >>"$work/app.log" 2>&1 &
    other_pid=$!
    i=0
    until timeout 5 xdotool search --onlyvisible --pid "$other_pid" --name '^Quillmark 98$' >/dev/null; do
        i=$((i + 1))
        [ $i -gt 50 ] && fail "a start by another user (nobody) opened no window of its own"
        sleep 0.1
    done
    [ "$(map_state "$main")" = IsUnMapped ] || fail "a start by another user brought our window forward"
    kill "$other_pid"
else
    echo "note: not run as root, so the row of a second user (nobody) is left out"
fi
keys windowactivate --sync "$main"
kill "$wm_pid"
keys mousemove --window "$main" 14 14 click 1
wait_exit "Exit"

# A lock held by a program that never answers delays a start by a few seconds, no more.
(
    exec 9>"$XDG_RUNTIME_DIR/quillmark-x11_${DISPLAY#:}.lock"
    flock 9 && exec sleep 60
) >/dev/null 2>&1 &
holder=$!
start
focus_window "Quillmark 98"
kill "$holder"

echo "PASS: menu command, copy and paste, reopening, the launcher's close and SIGTERM; one window a user under a window manager, its dialogs with it"
