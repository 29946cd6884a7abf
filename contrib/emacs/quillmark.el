;;; quillmark.el --- Quillmark 98 header blocks from qmark  -*- lexical-binding: t -*-
;; SPDX-License-Identifier: MIT

;;; Commentary:

;; M-x quillmark-header puts the header block above the declaration at point (any line of it)
;; or in the region; with a prefix argument it asks for the Purpose line.
;; M-x quillmark-update runs `qmark update' on the buffer's saved file and reverts the buffer.
;; `quillmark-flymake' is a Flymake backend running `qmark check' on the buffer's text:
;;   (add-hook 'flymake-diagnostic-functions #'quillmark-flymake nil t)
;; Errors go to the echo area and the *quillmark* buffer; the text is never touched then.

;;; Code:

(require 'subr-x)
(require 'flymake)

(defgroup quillmark nil
  "Header comment blocks written by qmark."
  :group 'tools)

(defcustom quillmark-command '("qmark")
  "The qmark program, then arguments for the commands that write blocks.
Those are header and update; for example (\"qmark\" \"--developer\" \"Ada\")."
  :type '(repeat string))

(defconst quillmark--vb-extensions '("bas" "cls" "frm" "ctl" "dsr" "pag" "dob"))
(defconst quillmark--cpp-extensions '("h" "hh" "hpp" "hxx" "c" "cc" "cpp" "cxx"))
(defconst quillmark--vb-modes '(visual-basic-mode vbnet-mode vb-mode basic-mode))
(defconst quillmark--cpp-modes '(c-mode c++-mode c-ts-mode c++-ts-mode))

(defun quillmark--language ()
  "The \"--language N\" arguments for this buffer, or nil for the settings'.
The file's extension comes first, then the major mode."
  (let ((extension (and buffer-file-name
                        (downcase (or (file-name-extension buffer-file-name) "")))))
    (cond ((member extension quillmark--vb-extensions) '("--language" "0"))
          ((member extension quillmark--cpp-extensions) '("--language" "1"))
          ((apply #'derived-mode-p quillmark--vb-modes) '("--language" "0"))
          ((apply #'derived-mode-p quillmark--cpp-modes) '("--language" "1")))))

(defun quillmark--run (arguments &optional start end)
  "Run qmark with ARGUMENTS, the text from START to END on its standard input.
ARGUMENTS start with the program.  Returns (STATUS OUTPUT ERRORS); standard
error is kept apart, so that it never reaches the buffer."
  (let ((errors (make-temp-file "quillmark"))
        (output (generate-new-buffer " *quillmark-output*"))
        (coding-system-for-write 'utf-8-unix)
        (coding-system-for-read 'utf-8-unix))
    (unwind-protect
        (let ((status
               (condition-case failure
                   (if start
                       (apply #'call-process-region start end (car arguments) nil
                              (list output errors) nil (cdr arguments))
                     (apply #'call-process (car arguments) nil (list output errors) nil
                            (cdr arguments)))
                 (file-missing
                  (user-error "Quillmark: cannot run %s: %s (set `quillmark-command')"
                              (car arguments) (error-message-string failure))))))
          (list status
                (with-current-buffer output (buffer-string))
                (with-temp-buffer
                  (insert-file-contents errors)
                  (string-trim-right (buffer-string)))))
      (kill-buffer output)
      (delete-file errors))))

(defun quillmark--fail (status errors)
  "Show qmark's ERRORS (or exit STATUS) in the echo area and *quillmark*; stop."
  (let ((text (replace-regexp-in-string
               "'qmark update'" "M-x quillmark-update"
               (if (string-empty-p errors)
                   (format "Quillmark: qmark failed with status %s" status)
                 errors)
               t t)))
    (with-current-buffer (get-buffer-create "*quillmark*")
      (let ((inhibit-read-only t))
        (erase-buffer)
        (insert text "\n")))
    (user-error "%s" (car (split-string text "\n")))))

(defun quillmark--line-start (line)
  "The position where LINE (counted from 1) starts."
  (save-excursion
    (goto-char (point-min))
    (forward-line (1- line))
    (point)))

(defun quillmark-header (&optional purpose)
  "Put a header block above the declaration at point, or in the region.
Any line of a declaration over several lines will do.  With a prefix argument,
ask for the PURPOSE line.  A declaration that already has a block is left
alone: `quillmark-update' brings that block in step."
  (interactive (list (and current-prefix-arg (read-string "Purpose: "))))
  (save-restriction
    (widen)
    (let* ((language (quillmark--language))
           ;; The file's own .quillmark picks the comment's style.
           (file (and buffer-file-name (list "--stdin-filename" buffer-file-name)))
           (region (use-region-p))
           (first (line-number-at-pos (if region (region-beginning) (point))))
           (last (if region
                     (line-number-at-pos (max (region-beginning) (1- (region-end))))
                   first)))
      ;; Blank lines at the top of the region are left out, so the block stands right above;
      ;; qmark takes the region down to its end, and refuses when a declaration in it has a block.
      (while (and (< first last)
                  (save-excursion
                    (goto-char (quillmark--line-start first))
                    (looking-at-p "[ \t]*$")))
        (setq first (1+ first)))
      (pcase-let ((`(,status ,output ,errors)
                   (quillmark--run (append (list (car quillmark-command) "locate") language file
                                           (list (number-to-string first) (number-to-string last)))
                                   (point-min) (point-max))))
        (unless (and (eq status 0) (string-match "\\`\\([0-9]+\\) \\([0-9]+\\)\n\\'" output))
          (quillmark--fail status errors))
        (let* ((start (quillmark--line-start (string-to-number (match-string 1 output))))
               (end (quillmark--line-start (1+ (string-to-number (match-string 2 output)))))
               (result (quillmark--run (append quillmark-command '("header") language
                                               (and purpose (not (string-empty-p purpose))
                                                    (list "--purpose" purpose))
                                               file)
                                       start end)))
          (pcase-let ((`(,status ,output ,errors) result))
            (unless (eq status 0)
              (quillmark--fail status errors))
            ;; Only what differs is changed, so point stays on the declaration; one undo step.
            (replace-region-contents start end (lambda () output))))))))

(defun quillmark--show-findings (output)
  "Put qmark's findings in OUTPUT into *quillmark*, where `next-error' walks them."
  (with-current-buffer (get-buffer-create "*quillmark*")
    (let ((inhibit-read-only t))
      (erase-buffer)
      (insert output))
    (compilation-mode)
    (setq next-error-last-buffer (current-buffer))))

(defun quillmark-update ()
  "Bring the header blocks of the buffer's file in step, and revert the buffer.
The buffer must be saved first, since qmark update rewrites the file on disk."
  (interactive)
  (unless buffer-file-name
    (user-error "Quillmark: this buffer has no file to update"))
  (when (buffer-modified-p)
    (user-error "Quillmark: the buffer has unsaved changes; save it first"))
  (pcase-let ((`(,status ,output ,errors)
               (quillmark--run (append quillmark-command '("update") (quillmark--language)
                                       (list "--" buffer-file-name)))))
    (revert-buffer t t t)
    (quillmark--show-findings output)
    (if (or (not (memq status '(0 1))) (string-empty-p errors))
        (quillmark--fail status errors)
      (message "%s" (car (last (split-string errors "\n")))))))

(defvar-local quillmark--flymake-process nil)

(defun quillmark-flymake (report-fn &rest _)
  "A Flymake backend: `qmark check' on the buffer's text, unsaved changes too.
REPORT-FN is Flymake's callback.  A buffer whose language cannot be told gets
no findings."
  (when (process-live-p quillmark--flymake-process)
    (kill-process quillmark--flymake-process))
  (let ((language (quillmark--language)))
    (if (not language)
        (funcall report-fn nil)
      (let* ((source (current-buffer))
             (name (or buffer-file-name (buffer-name)))
             (output (generate-new-buffer " *quillmark-flymake*"))
             (errors (generate-new-buffer " *quillmark-flymake-errors*"))
             (process
              (make-process
               :name "quillmark-flymake" :noquery t :connection-type 'pipe
               :buffer output :stderr errors :coding 'utf-8-unix
               :command (append (list (car quillmark-command) "check" "--stdin-filename" name)
                                language)
               :sentinel
               (lambda (process _event)
                 (unless (process-live-p process)
                   (unwind-protect
                       (when (and (buffer-live-p source)
                                  (eq process (buffer-local-value
                                               'quillmark--flymake-process source)))
                         (if (memq (process-exit-status process) '(0 1))
                             (funcall report-fn (quillmark--diagnostics source name output))
                           (funcall report-fn :panic :explanation
                                    (with-current-buffer errors (string-trim (buffer-string))))))
                     (kill-buffer output)
                     (kill-buffer errors)))))))
        (setq quillmark--flymake-process process)
        ;; A qmark that stops before reading it all (a bad option) is reported by the sentinel.
        (ignore-errors
          (save-restriction
            (widen)
            (process-send-region process (point-min) (point-max)))
          (process-send-eof process))))))

(defun quillmark--diagnostics (source name output)
  "Flymake diagnostics for SOURCE from qmark's OUTPUT, lines starting with NAME."
  (with-current-buffer output
    (goto-char (point-min))
    (let ((pattern (concat "^" (regexp-quote name)
                           ":\\([0-9]+\\): \\([a-z]+\\): \\(.*\\)$"))
          diagnostics)
      (while (re-search-forward pattern nil t)
        (let ((region (flymake-diag-region source (string-to-number (match-string 1))))
              (type (pcase (match-string 2) ("error" :error) ("note" :note) (_ :warning))))
          (push (flymake-make-diagnostic source (car region) (cdr region) type
                                         (match-string 3))
                diagnostics)))
      (nreverse diagnostics))))

(provide 'quillmark)
;;; quillmark.el ends here
