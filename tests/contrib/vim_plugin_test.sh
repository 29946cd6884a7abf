#!/bin/sh
# SPDX-License-Identifier: MIT
# Drives contrib/vim/plugin/quillmark.vim in a headless Vim, and in Neovim when it is there,
# and compares the files each leaves with the expected ones byte for byte:
#   vim_plugin_test.sh QMARK ROOT
set -eu
export QMARK="$1"
root=$2
data=$root/tests/contrib/data
editors=""
for editor in vim nvim; do
  if command -v $editor >/dev/null 2>&1; then editors="$editors $editor"; fi
done
if [ -z "$editors" ]; then
  echo "neither vim nor nvim is installed; skipped"
  exit 77
fi

# The settings say C++ and name the developer: the .bas buffer's filetype must win over them,
# the .cpp buffer (no filetype) follows them.
mkdir -p "$XDG_CONFIG_HOME/quillmark"
printf '[General]\nComments Type=1\nPersonal Name=Ada\n' > "$XDG_CONFIG_HOME/quillmark/Qmark98.ini"
shared=${TMPDIR:-/tmp/}vim-plugin
rm -rf "$shared"
mkdir -p "$shared"
cat > "$shared/test.vim" <<'SCRIPT'
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
" Reset gains a parameter, so its header is stale: update refuses the modified buffer, then
" brings the saved file's header in step and reloads it.
let g:quillmark_command = [$QMARK, '--date', '1998-12-07']
edit $WORK/sample.bas
%s/Private Sub Reset()/Private Sub Reset(ByVal Hard As Boolean)/
QuillmarkUpdate
write
QuillmarkUpdate
echomsg 'reloaded: ' . getline(search('Boolean              Hard'))
redir END
qall!
SCRIPT

status=0
for editor in $editors; do
  export SHARED="$shared" WORK="$shared/$editor"
  mkdir -p "$WORK"
  cp "$data/sample.bas" "$data/sample.cpp" "$WORK/"
  "$editor" -Es -N -u NONE -i NONE --cmd "source $root/contrib/vim/plugin/quillmark.vim" \
            -S "$shared/test.vim" || true
  for f in sample.bas sample.cpp; do
    if ! cmp "$WORK/$f" "$data/$f.expected"; then
      diff "$data/$f.expected" "$WORK/$f" || true
      status=1
    fi
  done
  for message in "qmark: " "the buffer has unsaved changes; write it first" \
                 "1 header updated" "reloaded:     '      Boolean              Hard"; do
    if ! grep -qF "$message" "$WORK/messages"; then
      echo "$editor: no message '$message' in:"
      cat "$WORK/messages"
      status=1
    fi
  done
done
exit $status
