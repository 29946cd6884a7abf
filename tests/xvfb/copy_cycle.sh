#!/bin/sh
# SPDX-License-Identifier: MIT
# The describe-and-copy cycle in a real X server with real key events: types the worked example
# into the main window (two parameters through the Add dialog), presses ALT+C and compares the
# clipboard with the expected block byte for byte; then does the same for a declaration pasted
# into the name box with CTRL+V. After Exit the block is still on the clipboard, served by a
# small process that ends when another program takes the clipboard: one at most after several
# runs, none holding a pipe of its starter, and one too where a clipboard manager never answers.
#   copy_cycle.sh PATH/TO/quillmark
# Exit 77 (skipped) when Xvfb, xdotool or xclip is missing. Run it through cmake/sandbox.sh, so
# XDG_CONFIG_HOME and TMPDIR are fresh.
set -u
app=${1:?usage: copy_cycle.sh PATH/TO/quillmark}
. "$(dirname "$0")/xsession.sh"

mkdir -p "$XDG_CONFIG_HOME/quillmark"
printf '[General]\r\nPersonal Name=A. Developer\r\nComments Type=0\r\n[Param Types VB]\r\nNumber=2\r\nParam1=Long\r\nParam2=Boolean\r\n' \
    >"$XDG_CONFIG_HOME/quillmark/Qmark98.ini"

# The date as the block prints it, taken now and again after the copy in case midnight passed.
today() { LC_ALL=C date +%d-%b-%y; }
date_before=$(today)

QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$app" >"$work/app.log" 2>&1 &
app_pid=$!

# One parameter through the Add New Parameter dialog: name, type, description, optional; the
# boxes reached by ALT keys rolled off as people do (xdotool key alt+t: ALT goes up first).
add_param() {
    alt a
    focus_window "Add New Parameter"
    keys type --delay 30 "$1"
    keys key alt+t
    keys type --delay 30 "$2"
    keys key alt+d
    keys type --delay 30 "$3"
    [ "$4" = yes ] && { keys key Tab; keys key space; }
    keys key Return
    focus_window "Quillmark 98"
}

focus_window "Quillmark 98"
keys type --delay 30 "GetTotal"
keys key alt+e
keys type --delay 30 "Adds up the lines of one order"
keys key alt+i
keys type --delay 30 "Currency; the order total"
alt f
add_param OrderID Long "Order to total" no
add_param IncludeTax Boolean "Add sales tax" yes
# ALT+C held past the start of the server's own key auto-repeat copies once, at the release.
keys keydown alt keydown c
sleep 1.2
keys keyup c keyup alt

# The block for a description typed on a freshly reset window: the name, kind Sub, access Public,
# purpose and returns left empty, no parameters ($3 = "reset"); the worked example's read from its
# declaration ($3 = "pasted": no purpose, no descriptions); or the worked example's as typed.
expected() {
    double=$(printf '%72s' '' | tr ' ' '=')
    single=$(printf '%72s' '' | tr ' ' '-')
    printf "'%s\r\n" "$double"
    if [ "$3" = reset ]; then
        printf "'  Public Sub %s\r\n'  Purpose:\r\n'      \r\n'  Parameters:\r\n" "$2"
        printf "'\r\n'\r\n'  Returns:\r\n'      \r\n"
    elif [ "$3" = pasted ]; then
        printf "'  Public Function %s\r\n'  Purpose:\r\n'      \r\n'  Parameters:\r\n" "$2"
        printf "'      Long                 OrderID           \r\n"
        printf "'      Optional Boolean     IncludeTax        \r\n"
        printf "'\r\n'\r\n'  Returns:\r\n'      Currency\r\n"
    else
        printf "'  Public Function %s\r\n" "$2"
        printf "'  Purpose:\r\n"
        printf "'      Adds up the lines of one order\r\n"
        printf "'  Parameters:\r\n"
        printf "'      Long                 OrderID           Order to total\r\n"
        printf "'      Optional Boolean     IncludeTax        Add sales tax\r\n"
        printf "'\r\n'\r\n"
        printf "'  Returns:\r\n"
        printf "'      Currency; the order total\r\n"
    fi
    printf "'%s\r\n" "$single"
    printf "'  History:\r\n"
    printf "'      %s            A. Developer                    Creation Date\r\n" "$1"
    printf "'%s\r\n" "$double"
    printf "'\r\n'\r\n'\r\n"
}

# $1 $2 as for expected(); the date is taken again in case midnight passed during the run.
check_clipboard() {
    expected "$date_before" "$1" "$2" >"$work/expected"
    cmp -s "$work/clipboard" "$work/expected" && return 0
    expected "$(today)" "$1" "$2" >"$work/expected"
    cmp -s "$work/clipboard" "$work/expected" && return 0
    echo "--- expected (^M is CR):"; cat -A "$work/expected"
    echo "--- clipboard:"; cat -A "$work/clipboard"
    fail "the clipboard does not hold the expected block for $1"
}

: >"$work/none"
wait_clipboard "$work/none"
check_clipboard GetTotal example
cp "$work/clipboard" "$work/first"

# The copy reset the window with the focus in the name box: what is typed now is a new Sub.
focus_window "Quillmark 98"
keys type --delay 30 "Second"
keys key alt+c
wait_clipboard "$work/first"
check_clipboard Second reset

kill -0 "$app_pid" 2>/dev/null || fail "quillmark ended after the copy"

# A declaration over two lines pasted into the name box fills the form by itself.
printf 'Public Function GetTotal(ByVal OrderID As Long, _\n    Optional IncludeTax As Boolean = True) As Currency\n' \
    >"$work/declaration"
xclip -selection clipboard <"$work/declaration" || fail "xclip could not take the clipboard"
focus_window "Quillmark 98"
keys key ctrl+v
alt c
wait_clipboard "$work/declaration"
check_clipboard GetTotal pasted
cp "$work/clipboard" "$work/last"

# wait_gone PID TENTHS MESSAGE: fails with MESSAGE unless PID ends within TENTHS tenths of a second.
wait_gone() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt "$2" ] && fail "$3"
        sleep 0.1
    done
}
# Exit (the leftmost toolbar button) ends the launcher within TENTHS ($1) tenths of a second.
exit_app() {
    focus_window "Quillmark 98"
    keys mousemove --window "$wid" 14 14 click 1
    wait_gone "$app_pid" "$1" "quillmark did not end within $(($1 / 10)) s of Exit"
    wait "$app_pid" 2>/dev/null
    app_pid=""
}
# The clipboard servers of this display, one pid a line.
servers() {
    for proc in /proc/[0-9]*; do
        tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | grep -q -- '--serve-clipboar[d]' || continue
        tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && echo "${proc#/proc/}"
    done
}
# wait_servers N MESSAGE: fails with MESSAGE unless N servers are left within five seconds.
wait_servers() {
    i=0
    while [ "$(servers | wc -l)" -ne "$1" ]; do
        i=$((i + 1))
        [ $i -gt 50 ] && fail "$2: $(servers | wc -l) clipboard servers run"
        sleep 0.1
    done
}
# A fresh launcher copies a block for the name $1 and ends by Exit within $2 tenths of a second;
# the block must still be on the clipboard afterwards.
copy_and_exit() {
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$app" >>"$work/app.log" 2>&1 &
    app_pid=$!
    focus_window "Quillmark 98"
    keys type --delay 30 "$1"
    alt c
    wait_clipboard "$work/last"
    check_clipboard "$1" reset
    cp "$work/clipboard" "$work/last"
    exit_app "$2"
    xclip -o -selection clipboard >"$work/kept" 2>/dev/null || fail "the clipboard is empty after $1's Exit"
    cmp -s "$work/kept" "$work/last" || { cat -A "$work/kept"; fail "the clipboard lost $1's block at Exit"; }
}

# No clipboard manager runs here: after Exit a small process serves the block, and ends once
# another program owns the clipboard.
exit_app 100
xclip -o -selection clipboard >"$work/kept" 2>/dev/null || fail "the clipboard is empty after Exit"
cmp -s "$work/kept" "$work/last" || { cat -A "$work/kept"; fail "the clipboard lost the block at Exit"; }
wait_servers 1 "one process must serve the clipboard after Exit"
printf 'another owner' | xclip -selection clipboard
wait_servers 0 "the clipboard server still runs after another program took over"
printf 'another owner' >"$work/last"

# Each copy ends the server of the one before, so at most one serves; it ends as soon as another
# program owns the clipboard, also after a moment without any owner (a copy's first step). A
# server keeps no pipe of its starter open.
( QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 "$app" 2>&1 | cat >>"$work/app.log"; : >"$work/piped" ) &
focus_window "Quillmark 98"
app_pid=$(xdotool getwindowpid "$wid") || fail "no process owns the window"
keys type --delay 30 "Piped"
alt c
wait_clipboard "$work/last"
cp "$work/clipboard" "$work/last"
exit_app 100
i=0
while [ ! -e "$work/piped" ]; do
    i=$((i + 1))
    [ $i -gt 20 ] && fail "'quillmark | cat' still runs 2 s after quillmark ended: the server holds the pipe"
    sleep 0.1
done
wait_servers 1 "one process must serve the clipboard after a piped run"
copy_and_exit Second 100
copy_and_exit Third 100
wait_servers 1 "three copies and exits must leave one clipboard server"
python3 "$(dirname "$0")/selection.py" clear || fail "could not clear the clipboard"
sleep 0.5
printf 'another owner' | xclip -selection clipboard
wait_servers 0 "the server still runs after the clipboard was cleared and then taken"

# A clipboard manager that claims the role but never stores the text: the server takes over.
python3 "$(dirname "$0")/selection.py" manager >"$work/manager" 2>&1 &
manager_pid=$!
i=0
until grep -q ready "$work/manager"; do
    i=$((i + 1))
    [ $i -gt 50 ] && fail "the stand-in clipboard manager did not start: $(cat "$work/manager")"
    sleep 0.1
done
copy_and_exit Unsaved 40
wait_servers 1 "with a manager that does not answer, one process must serve the clipboard"
kill "$manager_pid"
echo "PASS: three copies, the last $(wc -c <"$work/last") bytes; one server at most, ended by another owner; no pipe held; a silent manager"
