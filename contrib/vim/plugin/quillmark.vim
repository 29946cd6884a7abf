" SPDX-License-Identifier: MIT
" Quillmark 98 for Vim 8+ and Neovim: header comment blocks written by qmark.
"   :[range]Quillmark [purpose]  puts the block above the declaration on this line (any line of
"                                it) or in range; the words after the command fill its Purpose
"   :QuillmarkUpdate             runs 'qmark update' on this buffer's file and reloads it
"   :QuillmarkCheck [path]...    fills the quickfix list from 'qmark check' on this buffer's text
"                                or on the paths
" g:quillmark_command names the program (default 'qmark'); a List adds arguments to it for the
" commands that write blocks, e.g. ['qmark', '--developer', 'A. Developer'].
if exists('g:loaded_quillmark') || &compatible
  finish
endif
let g:loaded_quillmark = 1

" No -bar: the purpose may hold '|' and '"'.
command! -range -nargs=* Quillmark call s:Header(<line1>, <line2>, <range>, <q-args>)
command! -bar QuillmarkUpdate call s:Update()
command! -bar -nargs=* -complete=file QuillmarkCheck call s:Check([<f-args>])

let s:vb_extensions = ['bas', 'cls', 'frm', 'ctl', 'dsr', 'pag', 'dob']
let s:cpp_extensions = ['h', 'hh', 'hpp', 'hxx', 'c', 'cc', 'cpp', 'cxx']

" The program, with its fixed arguments unless bare, as shell words.
function! s:Command(bare) abort
  let command = get(g:, 'quillmark_command', 'qmark')
  let words = type(command) == type([]) ? command : [command]
  return join(map(copy(a:bare ? words[:0] : words), 'shellescape(v:val)'))
endfunction

" ' --language N' for this buffer, or '' to leave it to the settings file. The extension comes
" first: Vim and Neovim take a .bas file for FreeBASIC and a .cls file for Smalltalk.
function! s:LanguageOption() abort
  let extension = tolower(expand('%:e'))
  if index(s:vb_extensions, extension) >= 0 || &filetype =~# '^\%(vb\|vbnet\|basic\)$'
        \ && index(s:cpp_extensions, extension) < 0
    return ' --language 0'
  elseif index(s:cpp_extensions, extension) >= 0 || &filetype =~# '^\%(c\|cpp\)$'
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

function! s:Failed(status, message) abort
  let message = substitute(a:message, "'qmark update'", ':QuillmarkUpdate', 'g')
  call s:Error(empty(message) ? 'Quillmark: qmark failed with status ' . a:status : message)
endfunction

function! s:Header(line1, line2, range, purpose) abort
  let language = s:LanguageOption()
  " Lines go out ended by LF; the buffer's 'fileformat' decides how they are written.
  let buffer = join(getline(1, '$'), "\n") . "\n"
  let at = a:line1
  while a:range > 0 && at < a:line2 && getline(at) =~# '^\s*$'
    let at += 1
  endwhile
  " qmark finds the whole declaration around the line, down to the range's end, and refuses
  " when a declaration there has a block already. Blank lines above are left out, so that the
  " block stands right above the declaration.
  let lines = ' ' . at . (a:range > 0 ? ' ' . a:line2 : '')
  " The file's own .quillmark picks the comment's style.
  let file = empty(expand('%:p')) ? '' : ' --stdin-filename ' . shellescape(expand('%:p'))
  let [status, output, message] = s:Run(s:Command(1) . ' locate' . language . file . lines, buffer)
  if status != 0 || len(output) != 1 || output[0] !~# '^\d\+ \d\+$'
    call s:Failed(status, message)
    return
  endif
  let [first, last] = map(split(output[0]), 'str2nr(v:val)')
  let options = language . file . (empty(a:purpose) ? '' : ' --purpose ' . shellescape(a:purpose))
  let input = join(getline(first, last), "\n") . "\n"
  let [status, output, message] = s:Run(s:Command(0) . ' header' . options, input)
  if status != 0
    " Nothing is replaced: qmark's message says why.
    call s:Failed(status, message)
    return
  endif
  " Added below first, so that replacing every line of the buffer leaves no stray empty line.
  call append(last, output)
  execute 'silent keepjumps ' . first . ',' . last . 'delete _'
endfunction

" Findings go to the quickfix list, qmark's one-line summary to the message line: an ordinary
" result is no error and asks for no ENTER.
function! s:Report(title, status, output, message) abort
  call setqflist([], ' ', {'title': a:title, 'lines': a:output,
        \ 'efm': '%f:%l: %tarning: %m,%f:%l: %tote: %m,%f: %trror: %m'})
  let lines = split(a:message, "\n")
  if a:status > 1 || empty(lines)
    call s:Failed(a:status, a:message)
  else
    echomsg lines[-1]
  endif
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
  let command = s:Command(0) . ' update' . s:LanguageOption() . ' -- ' . shellescape(file)
  let [status, output, message] = s:Run(command, '')
  let view = winsaveview()
  silent edit
  call winrestview(view)
  call s:Report('qmark update', status, output, message)
endfunction

" Without paths, the buffer's text is checked, unsaved changes included, so the lines found
" are the buffer's.
function! s:Check(paths) abort
  if empty(a:paths)
    let file = expand('%')
    if empty(file)
      call s:Error('Quillmark: this buffer has no file to check')
      return
    endif
    let arguments = ' --stdin-filename ' . shellescape(file) . s:LanguageOption()
    let input = join(getline(1, '$'), "\n") . "\n"
  else
    let paths = []
    for path in a:paths
      let expanded = expand(path, 0, 1)
      call extend(paths, empty(expanded) ? [path] : expanded)
    endfor
    let arguments = ' -- ' . join(map(paths, 'shellescape(v:val)'))
    let input = ''
  endif
  let [status, output, message] = s:Run(s:Command(1) . ' check' . arguments, input)
  call s:Report('qmark check', status, output, message)
endfunction
