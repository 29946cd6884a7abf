# SPDX-License-Identifier: MIT
# Shared by the editor tables (sourced): the helpers and the set-up of one row.
crlf() { sed 's/$/\r/' "$1"; }
trim() { printf '%s' "$1" | sed 's/^ *//; s/ *$//'; }

# Writes the settings for the row's language, copies its input into $WORK under the row's file
# name and its expected result to $expected; an input ending in " crlf" turns both to CR LF.
prepare_case() {  # LANGUAGE INPUT RESULT FILE
  mkdir -p "$WORK"
  printf '[General]\nComments Type=%s\nPersonal Name=Ada\n' "$(trim "$1")" \
    > "$XDG_CONFIG_HOME/quillmark/Qmark98.ini"
  expected=$WORK/expected
  case $2 in
    *crlf) crlf "$data/${2% crlf}" > "$WORK/$(trim "$4")"; crlf "$data/$3" > "$expected" ;;
    *) cp "$data/$2" "$WORK/$(trim "$4")"; cp "$data/$3" "$expected" ;;
  esac
}

# Compares the row's written buffer with $expected and its probe line with PROBE; a difference
# is reported under LABEL and sets status to 1.
verify_case() {  # LABEL PROBE
  if ! cmp -s "$WORK/result" "$expected"; then
    echo "$1: the buffer is not as expected:"
    diff "$expected" "$WORK/result" || true
    status=1
  fi
  if [ "$(cat "$WORK/probe" 2>/dev/null)" != "$2" ]; then
    echo "$1: expected '$2'"
    echo "$1: got      '$(cat "$WORK/probe" 2>/dev/null)'"
    status=1
  fi
}
