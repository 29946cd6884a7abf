#!/bin/sh
# SPDX-License-Identifier: MIT
# Real LSP clients, headless, over `qmark lsp`, one scenario per row of the table below:
#   lsp_clients_test.sh QMARK ROOT
# The client opens a copy of a stale file and reports the diagnostics it got, which must be
# qmark check's lines; it applies "Update header" on the first one and saves, and the file must
# equal what qmark update writes; it then adds a declaration at the end, applies "Insert header"
# with the cursor on the given line of it and saves, and the file must equal that plus what
# qmark header writes above the declaration.
set -eu
export QMARK="$1"
root=$2
data=$root/tests/contrib/data
export DATE=2026-12-07 DEVELOPER="Bo Lindqvist"
shared=${TMPDIR:-/tmp}/lsp-clients
rm -rf "$shared"
mkdir -p "$shared"

cat > "$shared/client.lua" <<'LUA'
local log = io.open(os.getenv('LOG'), 'w')
vim.cmd('edit ' .. vim.fn.fnameescape(os.getenv('FILE')))
local client = vim.lsp.start_client({
  name = 'qmark',
  cmd = {os.getenv('QMARK'), 'lsp', '--date', os.getenv('DATE'), '--developer', os.getenv('DEVELOPER')},
  root_dir = vim.fn.getcwd(),
})
vim.lsp.buf_attach_client(0, client)
local function fail(why) log:write(why .. '\n') log:close() vim.cmd('cquit 1') end
if not vim.wait(10000, function() return #vim.diagnostic.get(0) > 0 end, 20) then fail('no diagnostics') end
local diagnostics = vim.diagnostic.get(0)
for _, d in ipairs(diagnostics) do log:write(('%d: warning: %s\n'):format(d.lnum + 1, d.message)) end
-- Chooses the action called title from the code-action menu with the cursor on line.
local function apply(title, line)
  vim.api.nvim_win_set_cursor(0, {line, 0})
  local chosen = false
  vim.ui.select = function(items, _, on_choice)
    for _, item in ipairs(items) do
      if item[2].title == title then chosen = true return on_choice(item) end
    end
    fail('no action ' .. title)
  end
  vim.lsp.buf.code_action()
  if not vim.wait(10000, function() return chosen end, 20) then fail('no code actions') end
end
apply('Update header', diagnostics[1].lnum + 1)
vim.cmd('write')
vim.cmd('write ' .. vim.fn.fnameescape(os.getenv('FILE') .. '.updated'))
local added = vim.split(os.getenv('DECLARATION'), '\n')
vim.api.nvim_buf_set_lines(0, -1, -1, false, added)
apply('Insert header', vim.api.nvim_buf_line_count(0) - #added + tonumber(os.getenv('CURSOR')))
vim.cmd('write')
log:close()
vim.cmd('qall!')
LUA

cat > "$shared/client.el" <<'LISP'
; Debian's elpa-eglot, which -Q leaves out.
(require 'package)
(setq package-directory-list '("/usr/share/emacs/site-lisp/elpa") package-user-dir (getenv "TMPDIR"))
(package-initialize)
(require 'eglot)
(setq make-backup-files nil create-lockfiles nil auto-save-default nil)
(defun qmark-test-fail (why) (message "%s" why) (kill-emacs 1))
(find-file (getenv "FILE"))
(add-to-list 'eglot-server-programs
             `(,major-mode . (,(getenv "QMARK") "lsp" "--date" ,(getenv "DATE") "--developer" ,(getenv "DEVELOPER"))))
(apply #'eglot (eglot--guess-contact))
(with-timeout (10 (qmark-test-fail "no diagnostics"))
  (while (not (flymake-diagnostics)) (accept-process-output nil 0.05)))
(defvar qmark-test-first
  (car (sort (mapcar (lambda (d) (line-number-at-pos (flymake-diagnostic-beg d))) (flymake-diagnostics)) #'<)))
(let ((lines (mapconcat (lambda (d) (format "%d: warning: %s\n" (line-number-at-pos (flymake-diagnostic-beg d))
                                             (string-remove-prefix "qmark: " (flymake-diagnostic-text d))))
                        (sort (flymake-diagnostics) (lambda (a b) (< (flymake-diagnostic-beg a) (flymake-diagnostic-beg b))))
                        "")))
  (with-temp-file (getenv "LOG") (insert lines)))
(defun qmark-test-apply (title line)
  "Choose the code action TITLE from eglot's menu with point on LINE."
  (goto-char (point-min))
  (forward-line (1- line))
  (cl-letf (((symbol-function 'completing-read) (lambda (&rest _) title))
            (last-nonmenu-event 13))
    (eglot-code-actions (point) nil nil t)))
(qmark-test-apply "Update header" qmark-test-first)
(save-buffer)
(copy-file (getenv "FILE") (concat (getenv "FILE") ".updated") t)
(goto-char (point-max))
(defvar qmark-test-start (line-number-at-pos))
(insert (getenv "DECLARATION") "\n")
(qmark-test-apply "Insert header" (+ qmark-test-start (string-to-number (getenv "CURSOR")) -1))
(save-buffer)
(kill-emacs 0)
LISP

status=0
# client  file           line ends  cursor  new declaration
while IFS='|' read -r client file ends cursor declaration; do
  case $client in ''|'#'*) continue ;; esac
  case $client in
    nvim) run="nvim --headless -u NONE -i NONE -n -c 'luafile $shared/client.lua'" ;;
    emacs) run="emacs --batch -Q -l $shared/client.el" ;;
  esac
  if ! command -v "$client" >/dev/null 2>&1; then
    echo "$client is missing (the test command installs it); skipped"
    [ $status -eq 0 ] && status=77
    continue
  fi
  work=$shared/$client
  mkdir -p "$work"
  DECLARATION=$(printf '%b' "$declaration")
  export FILE="$work/$file" LOG="$work/log" CURSOR="$cursor" DECLARATION
  want=$work/want
  mkdir -p "$want"
  cp "$data/$file" "$FILE"
  cp "$data/$file" "$want/$file"
  (cd "$work" && "$QMARK" check "$file" 2>/dev/null | sed "s|^$file:||") > "$want/log" || true
  "$QMARK" update --date "$DATE" --developer "$DEVELOPER" "$want/$file" >/dev/null 2>&1
  cp "$want/$file" "$want/$file.updated"
  printf '%s\n' "$DECLARATION" | { if [ "$ends" = crlf ]; then sed 's/$/\r/'; else cat; fi; } |
    "$QMARK" header --language "$(case $file in *.bas) echo 0 ;; *) echo 1 ;; esac)" --date "$DATE" \
      --developer "$DEVELOPER" >> "$want/$file"
  (cd "$work" && timeout 60 sh -c "$run") > "$work/output" 2>&1 || { echo "$client failed:"; cat "$work/output" "$LOG"; status=1; continue; }
  for got in "$LOG" "$FILE.updated" "$FILE"; do
    expected=$want/${got#"$work/"}
    if ! cmp -s "$expected" "$got"; then
      echo "$client: $got differs from what qmark writes:"
      diff "$expected" "$got" || true
      status=1
    fi
  done
done <<'TABLE'
nvim|lsp_stale.bas|crlf|2|Private Function Added(ByVal A As Long, _\n    ByVal B As Long) As Long
emacs|lsp_stale.cpp|lf|2|std::string Describe(const Order& order,\n                     int width = 72);
TABLE
exit $status
