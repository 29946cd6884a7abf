#!/bin/sh
# SPDX-License-Identifier: MIT
# Drives contrib/vim/plugin/quillmark.vim in Vim and in Neovim, each in a terminal of its own
# (script(1) gives it one, no display needed), over the table below:
#   vim_plugin_test.sh QMARK ROOT
# Each case opens a copy of an input file under another name, with the settings' language and a
# setup command, goes to a line and types one command line ("<CR>" separates two). Once the
# editor waits for keys again, a probe records whether it waits at a "Press ENTER" prompt, whether
# the message line is in the error colours, the quickfix list and the last message, and writes
# the buffer out. That file must equal the expected one byte for byte (both turned to CR LF for
# "crlf"), and the probe its expected line.
set -eu
export QMARK="$1"
root=$2
data=$root/tests/contrib/data
for tool in vim nvim script; do
  if ! command -v $tool >/dev/null 2>&1; then
    echo "$tool is missing (Debian packages vim, neovim and bsdutils); skipped"
    exit 77
  fi
done

shared=${TMPDIR:-/tmp}/vim-plugin
rm -rf "$shared"
mkdir -p "$shared" "$XDG_CONFIG_HOME/quillmark"
cat > "$shared/harness.vim" <<'SCRIPT'
let g:quillmark_command = [$QMARK, '--date', '1998-12-06']
execute 'cd' fnameescape($WORK)
execute 'silent edit' fnameescape($CASE_FILE)
execute $CASE_SETUP

" Vim may move the cursor while it starts up, so the case's line is gone to only now.
function! s:Type(timer) abort
  execute $CASE_LINE
  call feedkeys(':' . substitute($CASE_TYPED, '<CR>', "\r:", 'g') . "\r", 't')
  call timer_start(10, function('s:Probe'))
endfunction

" Runs once the typed keys are used up and the editor waits for more.
function! s:Probe(timer) abort
  if getchar(1)
    call timer_start(10, function('s:Probe'))
    return
  endif
  let colour = screenattr(&lines, 1) == screenattr(&lines, &columns) ? 'plain' : 'error'
  let quickfix = join(map(getqflist(), 'v:val.lnum . ":" . v:val.type'), ',')
  let message = get(split(execute('messages'), "\n"), -1, '')
  call writefile(['mode=' . mode(1) . ' hl=' . colour . ' qf=' . quickfix . ' msg=' . message],
        \ $WORK . '/probe')
  silent write! $WORK/result
  " A prompt still waiting would swallow the quit: answer it first.
  call feedkeys("\<CR>:qall!\<CR>", 'nt')
endfunction

call timer_start(10, function('s:Type'))
SCRIPT

. "$root/tests/contrib/cases.sh"

plugin=$root/contrib/vim/plugin/quillmark.vim
status=0
while IFS='|' read -r name file language setup line typed input result probe; do
  case $name in '#'*) continue ;; esac
  name=$(trim "$name") input=$(trim "$input") result=$(trim "$result") probe=$(trim "$probe")
  for editor in vim nvim; do
    WORK=$shared/$editor-$name
    prepare_case "$language" "$input" "$result" "$file"
    export WORK CASE_FILE="$(trim "$file")" CASE_SETUP="$(trim "$setup")" CASE_LINE="$(trim "$line")" \
           CASE_TYPED="$(trim "$typed")"
    TERM=xterm timeout 20 script -qfec "$editor -N -u NONE -i NONE -n --cmd 'source $plugin' \
      -S '$shared/harness.vim'" /dev/null </dev/null >"$WORK/screen" 2>&1 || true
    verify_case "$editor $name" "$probe"
  done
done <<'TABLE'
# case        | open as | lang | setup                           | line | typed                                       | input                | result               | probe
freebasic     | t.bas   | 1    | set ft=freebasic                | 5    | Quillmark Adds up the lines of one order    | sample.bas           | sample.bas.header    | mode=n hl=plain qf= msg=
st-crlf       | t.cls   | 1    | set ft=st                       | 4    | Quillmark Adds up the lines of one order    | sample.bas crlf      | sample.bas.header    | mode=n hl=plain qf= msg=
vb-range      | t.vb    | 1    | set ft=vb                       | 1    | 3,6Quillmark Adds up the lines of one order | sample.bas           | sample.bas.header    | mode=n hl=plain qf= msg=
settings      | t.txt   | 0    | set ft=text                     | 4    | Quillmark Adds up the lines of one order    | sample.bas           | sample.bas.header    | mode=n hl=plain qf= msg=
cpp           | t.cpp   | 0    | set ft=                         | 5    | Quillmark                                   | sample.cpp           | sample.cpp.header    | mode=n hl=plain qf= msg=
caps-dob      | T.DOB   | 1    | set ft=cpp                      | 5    | Quillmark Adds up the lines of one order    | sample.bas           | sample.bas.header    | mode=n hl=plain qf= msg=
one-undo      | t.bas   | 1    | set ft=                         | 5    | Quillmark<CR>silent undo                    | sample.bas           | sample.bas           | mode=n hl=plain qf= msg=
no-decl       | t.bas   | 1    | set ft=                         | 1    | Quillmark                                   | sample.bas           | sample.bas           | mode=n hl=error qf= msg=qmark: line 1: not a Sub, Function or Property declaration
stacked       | t.bas   | 1    | set ft=                         | 23   | Quillmark                                   | sample.bas.header    | sample.bas.header    | mode=n hl=error qf= msg=qmark: line 22 has a header block (line 4); use :QuillmarkUpdate
update-pag    | t.pag   | 1    | set ft=                         | 1    | QuillmarkUpdate                             | stale.bas            | stale.bas.updated    | mode=n hl=plain qf=43:n msg=qmark: 1 header updated, 0 added in 1 file; 0 findings left
update-vb     | t.vb    | 1    | set ft=vb                       | 1    | QuillmarkUpdate                             | stale.bas crlf       | stale.bas.updated    | mode=n hl=plain qf=43:n msg=qmark: 1 header updated, 0 added in 1 file; 0 findings left
unsaved       | t.bas   | 1    | set modified                    | 1    | QuillmarkUpdate                             | stale.bas            | stale.bas            | mode=n hl=error qf= msg=Quillmark: the buffer has unsaved changes; write it first
check         | t.bas   | 1    | call writefile([], expand("%")) | 1    | QuillmarkCheck                              | stale.bas            | stale.bas            | mode=n hl=plain qf=43:w msg=qmark: 1 finding in 1 of 1 file
check-paths   | t.frm   | 1    | set ft=                         | 1    | QuillmarkCheck %:h                          | stale.bas            | stale.bas            | mode=n hl=plain qf=43:w msg=qmark: 1 finding in 1 of 1 file
range-stacked | t.bas   | 1    | set ft=                         | 1    | 1,30Quillmark                               | second-has-block.bas | second-has-block.bas | mode=n hl=error qf= msg=qmark: line 24 has a header block (line 6); use :QuillmarkUpdate
TABLE
exit $status
