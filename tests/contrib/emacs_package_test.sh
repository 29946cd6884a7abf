#!/bin/sh
# SPDX-License-Identifier: MIT
# Drives contrib/emacs/quillmark.el in `emacs --batch` over the table below:
#   emacs_package_test.sh QMARK ROOT
# Each case visits a copy of an input file under another name, with the settings' language,
# evaluates a setup form, goes to a line and evaluates an action. A probe then records the
# user error it gave, the last message and the last line of *quillmark*, and writes the buffer
# out with its own line ends. That file must equal the expected one byte for byte (both turned
# to CR LF for "crlf"), and the probe its expected line.
set -eu
export QMARK="$1"
root=$2
data=$root/tests/contrib/data
if ! command -v emacs >/dev/null 2>&1; then
  echo "emacs is missing (Debian package emacs-nox); skipped"
  exit 77
fi

shared=${TMPDIR:-/tmp}/emacs-package
rm -rf "$shared"
mkdir -p "$shared" "$XDG_CONFIG_HOME/quillmark"
cat > "$shared/harness.el" <<'LISP'
(require 'quillmark)
(setq quillmark-command (list (getenv "QMARK") "--date" "1998-12-06")
      make-backup-files nil create-lockfiles nil auto-save-default nil)
(transient-mark-mode 1)

(defun quillmark-test-mode (mode)
  "Turn on MODE, defined as a stand-in when Emacs has no such mode."
  (unless (fboundp mode)
    (eval `(define-derived-mode ,mode prog-mode ,(symbol-name mode)) t))
  (funcall mode))

(defun quillmark-test-region (first last)
  "Select lines FIRST to LAST."
  (goto-char (quillmark--line-start first))
  (push-mark (quillmark--line-start (1+ last)) t t))

(defun quillmark-test-filter (arguments)
  "The bare filter of docs/editors.md: C-u M-| qmark ARGUMENTS, its error buffer set."
  (setq shell-command-default-error-buffer "*qmark errors*")
  (shell-command-on-region (region-beginning) (region-end)
                           (concat (shell-quote-argument (getenv "QMARK")) " " arguments)
                           nil t shell-command-default-error-buffer))

(defun quillmark-test-flymake ()
  "Run the Flymake backend once and show what it reported."
  (let (reported)
    (quillmark-flymake (lambda (&rest report) (setq reported (or report '(nil)))))
    (with-timeout (20 (setq reported '(timeout)))
      (while (not reported) (accept-process-output nil 0.05)))
    (message "flymake %s"
             (if (listp (car reported))
                 (mapconcat (lambda (d)
                              (format "%d%s %s" (line-number-at-pos (flymake-diagnostic-beg d))
                                      (flymake-diagnostic-type d) (flymake-diagnostic-text d)))
                            (car reported) ",")
               reported))))

(defun quillmark-test-last-line (buffer directory)
  "The last line of BUFFER, with DIRECTORY left out of the file names in it."
  (with-current-buffer (get-buffer-create buffer)
    (replace-regexp-in-string (regexp-quote directory) ""
                              (car (last (split-string (string-trim (buffer-string)) "\n"))))))

(find-file (expand-file-name (getenv "CASE_FILE") (getenv "WORK")))
(goto-char (quillmark--line-start (string-to-number (getenv "CASE_LINE"))))
(eval (read (getenv "CASE_SETUP")) t)
(with-current-buffer "*Messages*" (let ((inhibit-read-only t)) (erase-buffer)))
(let ((failure ""))
  (condition-case raised
      (eval (read (getenv "CASE_ACTION")) t)
    (user-error (setq failure (error-message-string raised))))
  (with-temp-file (expand-file-name "probe" (getenv "WORK"))
    (insert (format "error=%s msg=%s quillmark=%s" failure
                    (quillmark-test-last-line "*Messages*" default-directory)
                    (quillmark-test-last-line "*quillmark*" default-directory)))))
(let ((coding-system-for-write buffer-file-coding-system))
  (write-region nil nil (expand-file-name "result" (getenv "WORK"))))
LISP

. "$root/tests/contrib/cases.sh"

status=0
while IFS='|' read -r name file language setup line action input result probe; do
  case $name in '#'*) continue ;; esac
  name=$(trim "$name") input=$(trim "$input") result=$(trim "$result") probe=$(trim "$probe")
  WORK=$shared/$name
  prepare_case "$language" "$input" "$result" "$file"
  export WORK CASE_FILE="$(trim "$file")" CASE_SETUP="$(trim "$setup")" CASE_LINE="$(trim "$line")" \
         CASE_ACTION="$(trim "$action")"
  timeout 60 emacs --batch -Q -L "$root/contrib/emacs" -l "$shared/harness.el" >"$WORK/log" 2>&1 || {
    echo "$name: emacs failed:"; cat "$WORK/log"; status=1; }
  verify_case "$name" "$probe"
done <<'TABLE'
# case        | open as | lang | setup                                                                        | line | action                                                                                                     | input                | result               | probe
c-mode        | T.DOB   | 1    | (c-mode)                                                                     | 5    | (quillmark-header "Adds up the lines of one order")                                                        | sample.bas           | sample.bas.header    | error= msg= quillmark=
crlf          | t.cls   | 1    | (ignore)                                                                     | 4    | (quillmark-header "Adds up the lines of one order")                                                        | sample.bas crlf      | sample.bas.header    | error= msg= quillmark=
region        | t.vb    | 1    | (progn (quillmark-test-mode 'visual-basic-mode) (quillmark-test-region 3 6)) | 1    | (quillmark-header "Adds up the lines of one order")                                                        | sample.bas           | sample.bas.header    | error= msg= quillmark=
settings      | t.txt   | 0    | (text-mode)                                                                  | 4    | (quillmark-header "Adds up the lines of one order")                                                        | sample.bas           | sample.bas.header    | error= msg= quillmark=
cpp           | t.cpp   | 0    | (ignore)                                                                     | 5    | (quillmark-header)                                                                                         | sample.cpp           | sample.cpp.header    | error= msg= quillmark=
cpp-mode      | t.txt   | 0    | (c++-mode)                                                                   | 4    | (quillmark-header)                                                                                         | sample.cpp           | sample.cpp.header    | error= msg= quillmark=
one-undo      | t.bas   | 1    | (undo-boundary)                                                              | 5    | (progn (quillmark-header) (undo-boundary) (undo))                                                          | sample.bas           | sample.bas           | error= msg=Undo quillmark=
no-decl       | t.bas   | 1    | (ignore)                                                                     | 1    | (quillmark-header)                                                                                         | sample.bas           | sample.bas           | error=qmark: line 1: not a Sub, Function or Property declaration msg= quillmark=qmark: line 1: not a Sub, Function or Property declaration
stacked       | t.bas   | 1    | (ignore)                                                                     | 23   | (quillmark-header)                                                                                         | sample.bas.header    | sample.bas.header    | error=qmark: line 22 has a header block (line 4); use M-x quillmark-update msg= quillmark=qmark: line 22 has a header block (line 4); use M-x quillmark-update
update-pag    | t.pag   | 1    | (ignore)                                                                     | 1    | (quillmark-update)                                                                                         | stale.bas            | stale.bas.updated    | error= msg=qmark: 1 header updated, 0 added in 1 file; 0 findings left quillmark=t.pag:43: note: parameter 'Hard' is missing from the header (updated)
update-vb     | t.vb    | 1    | (quillmark-test-mode 'vbnet-mode)                                            | 1    | (quillmark-update)                                                                                         | stale.bas crlf       | stale.bas.updated    | error= msg=qmark: 1 header updated, 0 added in 1 file; 0 findings left quillmark=t.vb:43: note: parameter 'Hard' is missing from the header (updated)
unsaved       | t.bas   | 1    | (set-buffer-modified-p t)                                                    | 1    | (quillmark-update)                                                                                         | stale.bas            | stale.bas            | error=Quillmark: the buffer has unsaved changes; save it first msg= quillmark=
flymake       | t.bas   | 1    | (write-region "" nil buffer-file-name)                                       | 1    | (quillmark-test-flymake)                                                                                   | stale.bas            | stale.bas            | error= msg=flymake 43:warning parameter 'Hard' is missing from the header quillmark=
range-stacked | t.bas   | 1    | (quillmark-test-region 1 30)                                                 | 1    | (quillmark-header)                                                                                         | second-has-block.bas | second-has-block.bas | error=qmark: line 24 has a header block (line 6); use M-x quillmark-update msg= quillmark=qmark: line 24 has a header block (line 6); use M-x quillmark-update
filter-fails  | t.bas   | 1    | (quillmark-test-region 1 1)                                                  | 1    | (quillmark-test-filter "header --language 0")                                                              | sample.bas           | sample.bas           | error= msg= quillmark=
filter        | t.bas   | 1    | (quillmark-test-region 4 5)                                                  | 1    | (quillmark-test-filter "header --language 0 --date 1998-12-06 --purpose 'Adds up the lines of one order'") | sample.bas           | sample.bas.header    | error= msg= quillmark=
TABLE
exit $status
