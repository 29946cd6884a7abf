#!/bin/sh
# SPDX-License-Identifier: MIT
# The describe-and-copy cycle in a real X server with real key events: types the worked example
# into the main window (two parameters through the Add dialog), presses ALT+C and compares the
# clipboard with the expected block byte for byte; then does the same for a declaration pasted
# into the name box with CTRL+V. After Exit the block is still on the clipboard, served by a
# small process that ends when another program takes the clipboard.
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

# One parameter through the Add New Parameter dialog: name, type, description, optional.
add_param() {
    alt a
    focus_window "Add New Parameter"
    keys type --delay 30 "$1"
    keys key Tab
    keys type --delay 30 "$2"
    keys key Tab
    keys type --delay 30 "$3"
    [ "$4" = yes ] && { keys key Tab; keys key space; }
    keys key Return
    focus_window "Quillmark 98"
}

focus_window "Quillmark 98"
keys type --delay 30 "GetTotal"
keys key Tab
keys type --delay 30 "Adds up the lines of one order"
keys key Tab
keys type --delay 30 "Currency; the order total"
alt f
add_param OrderID Long "Order to total" no
add_param IncludeTax Boolean "Add sales tax" yes
alt c

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
alt c
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

# Exit (the leftmost toolbar button) ends the launcher; there is no clipboard manager here.
focus_window "Quillmark 98"
keys mousemove --window "$wid" 14 14 click 1
# wait_gone PID TENTHS MESSAGE: fails with MESSAGE unless PID ends within TENTHS tenths of a second.
wait_gone() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt "$2" ] && fail "$3"
        sleep 0.1
    done
}
wait_gone "$app_pid" 100 "quillmark did not end after Exit"
wait "$app_pid"
app_pid=""
xclip -o -selection clipboard >"$work/kept" 2>/dev/null || fail "the clipboard is empty after Exit"
cmp -s "$work/kept" "$work/last" || { cat -A "$work/kept"; fail "the clipboard lost the block at Exit"; }

# The process serving it belongs to this display; it ends once another program owns the clipboard.
server=""
for proc in /proc/[0-9]*; do
    tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | grep -q -- '--serve-clipboar[d]' || continue
    tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && server=${proc#/proc/}
done
[ -n "$server" ] || fail "no process serves the clipboard"
printf 'another owner' | xclip -selection clipboard
wait_gone "$server" 50 "the clipboard server $server still runs after another program took over"
echo "PASS: three copies, the last $(wc -c <"$work/last") bytes from a pasted declaration, as expected, kept after Exit"
