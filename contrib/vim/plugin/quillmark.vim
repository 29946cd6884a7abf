" SPDX-License-Identifier: MIT
" Quillmark 98 for Vim 8+ and Neovim: header comment blocks written by qmark.
"   :[range]Quillmark    puts the block above the declaration in range (default: this line)
"   :QuillmarkUpdate     runs 'qmark update' on this buffer's file and reloads it
" g:quillmark_command names the program (default 'qmark'); a List adds arguments to it,
" e.g. ['qmark', '--developer', 'A. Developer'].
if exists('g:loaded_quillmark') || &compatible
  finish
endif
let g:loaded_quillmark = 1

command! -range -bar Quillmark call s:Header(<line1>, <line2>)
command! -bar QuillmarkUpdate call s:Update()

" The program and its fixed arguments as one shell word each.
function! s:Command() abort
  let command = get(g:, 'quillmark_command', 'qmark')
  let words = type(command) == type([]) ? command : [command]
  return join(map(copy(words), 'shellescape(v:val)'))
endfunction

" The buffer's language when its filetype says; otherwise qmark takes the settings file's.
function! s:LanguageOption() abort
  if &filetype =~# '^\%(vb\|vbnet\|basic\)$'
    return ' --language 0'
  elseif &filetype =~# '^\%(c\|cpp\)$'
    return ' --language 1'
  endif
  return ''
endfunction

" Runs the shell command with input on stdin; returns [status, stdout lines, stderr text].
" stderr goes to a file of its own so that it never lands in the buffer.
function! s:Run(command, input) abort
  let errors = tempname()
  try
    let output = systemlist(a:command . ' 2>' . shellescape(errors), a:input)
    let status = v:shell_error
    let message = filereadable(errors) ? join(readfile(errors), "\n") : ''
  finally
    call delete(errors)
  endtry
  return [status, output, message]
endfunction

function! s:Error(message) abort
  echohl ErrorMsg
  for line in split(a:message, "\n")
    echomsg line
  endfor
  echohl None
endfunction

function! s:Header(first, last) abort
  " Lines go out ended by LF; the buffer's 'fileformat' decides how they are written.
  let input = join(getline(a:first, a:last), "\n") . "\n"
  let [status, output, message] = s:Run(s:Command() . ' header' . s:LanguageOption(), input)
  if status != 0
    " Nothing is replaced: qmark's message says why.
    call s:Error(empty(message) ? 'Quillmark: qmark failed with status ' . status : message)
    return
  endif
  " Added below first, so that replacing every line of the buffer leaves no stray empty line.
  call append(a:last, output)
  execute 'silent keepjumps ' . a:first . ',' . a:last . 'delete _'
endfunction

function! s:Update() abort
  let file = expand('%:p')
  if empty(file)
    call s:Error('Quillmark: this buffer has no file to update')
    return
  elseif &modified
    " qmark rewrites the file on disk; unsaved changes would then clash with it.
    call s:Error('Quillmark: the buffer has unsaved changes; write it first')
    return
  endif
  let [status, output, message] = s:Run(s:Command() . ' update -- ' . shellescape(file), '')
  let view = winsaveview()
  silent edit
  call winrestview(view)
  let report = join(output + (empty(message) ? [] : [message]), "\n")
  if status != 0
    call s:Error(empty(report) ? 'Quillmark: qmark failed with status ' . status : report)
  else
    for line in split(report, "\n")
      echomsg line
    endfor
  endif
endfunction
