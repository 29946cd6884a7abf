#!/bin/sh
# SPDX-License-Identifier: MIT
# Drives contrib/vim/plugin/quillmark.vim in a headless Vim and compares the files it leaves
# with the expected ones byte for byte: vim_plugin_test.sh QMARK ROOT
set -eu
qmark=$1
root=$2
if ! command -v vim >/dev/null 2>&1; then
  echo "vim is not installed; skipped"
  exit 77
fi
data=$root/tests/contrib/data
work=${TMPDIR:-/tmp/}vim-plugin
rm -rf "$work"
mkdir -p "$work" "$XDG_CONFIG_HOME/quillmark"
cp "$data/sample.bas" "$data/sample.cpp" "$work/"
# The settings say C++ and name the developer: the .bas buffer's filetype must win over them,
# the .cpp buffer (no filetype) follows them.
printf '[General]\nComments Type=1\nPersonal Name=Ada\n' > "$XDG_CONFIG_HOME/quillmark/Qmark98.ini"
# Stands in for 'qmark update FILE': appends a line and reports.
cat > "$work/update.sh" <<'UPDATE'
[ "$1" = update ] && [ "$2" = -- ] || exit 9
printf "' updated\n" >> "$3"
echo "updated $3"
UPDATE

export QMARK="$qmark" WORK="$work"
cat > "$work/test.vim" <<'SCRIPT'
let g:quillmark_command = [$QMARK, '--date', '1998-12-06']
redir! > $WORK/messages
edit $WORK/sample.bas
set filetype=vb
" Not a declaration: the line stays, qmark's message is shown.
1Quillmark
" A declaration over two lines, then an indented one under the cursor.
4,5Quillmark
call search('Private Sub Reset')
Quillmark
write
edit $WORK/sample.cpp
set filetype=
call search('Describe')
.,+1Quillmark
write
" update refuses a modified buffer, then runs on the saved file and reloads it.
let g:quillmark_command = ['sh', $WORK . '/update.sh']
edit $WORK/sample.bas
call append(0, 'unsaved')
QuillmarkUpdate
undo
QuillmarkUpdate
echomsg 'last line: ' . getline('$')
redir END
qall!
SCRIPT
vim -Es -N -u NONE -i NONE --cmd "source $root/contrib/vim/plugin/quillmark.vim" -S "$work/test.vim" || true

status=0
for f in sample.bas sample.cpp; do
  if ! cmp "$work/$f" "$data/$f.expected"; then
    diff "$data/$f.expected" "$work/$f" || true
    status=1
  fi
done
for message in "qmark: " "the buffer has unsaved changes; write it first" "updated $work/sample.bas" "last line: ' updated"; do
  if ! grep -qF "$message" "$work/messages"; then
    echo "no message '$message' in:"
    cat "$work/messages"
    status=1
  fi
done
exit $status
