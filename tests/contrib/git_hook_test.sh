#!/bin/sh
# SPDX-License-Identifier: MIT
# The pre-commit hook and the CI step of docs/team.md, run in scratch repositories over the
# table below:
#   git_hook_test.sh QMARK ROOT
# Each case starts from a fresh clone of a repository whose main branch holds one file, with the
# hook installed by its documented command, runs its steps there, then one of: "hook" (git
# commit), "install" (the install command again) or "ci" (the step's commands, taken from
# docs/team.md, run by bash -e as GitHub Actions runs them). The exit status must be the
# expected one and the output must hold the expected text.
set -eu
qmark=$1
root=$2
export DATA="$root/tests/contrib/data"
hook=$root/contrib/git/pre-commit
for tool in git bash; do
  if ! command -v $tool >/dev/null 2>&1; then
    echo "$tool is missing; skipped"
    exit 77
  fi
done

shared=${TMPDIR:-/tmp}/git-hook
rm -rf "$shared"
mkdir -p "$shared/bin" "$shared/tools"
ln -s "$qmark" "$shared/bin/qmark"
# What the hook needs besides qmark, for a PATH without qmark.
for tool in sh git mktemp rm xargs cat touch cmp mkdir cp chmod; do
  ln -s "$(command -v $tool)" "$shared/tools/$tool"
done
export TOOLS="$shared/tools"
export PATH="$shared/bin:$PATH"
export GIT_CONFIG_NOSYSTEM=1 HOME="$shared" GIT_AUTHOR_NAME=Ada GIT_AUTHOR_EMAIL=ada@example.org \
       GIT_COMMITTER_NAME=Ada GIT_COMMITTER_EMAIL=ada@example.org

# The CI step's run block, as docs/team.md gives it.
awk '/name: Headers in step with their declarations/ { found = 1; next }
     found && /run: \|/ { taking = 1; next }
     taking && /^```/ { exit }
     taking { if (!indent) { match($0, /^ */); indent = RLENGTH } print substr($0, indent + 1) }' \
    "$root/docs/team.md" > "$shared/ci-step.sh"
grep -q 'qmark check' "$shared/ci-step.sh"

git init -q --bare -b main "$shared/origin.git"
git clone -q "$shared/origin.git" "$shared/seed" 2>/dev/null
cp "$DATA/sample.bas" "$shared/seed/orders.bas"
git -C "$shared/seed" add orders.bas
git -C "$shared/seed" commit -qm "Orders"
git -C "$shared/seed" push -q origin main

. "$root/tests/contrib/cases.sh"
status=0
while IFS='|' read -r name run steps expected says; do
  case $name in '#'*) continue ;; esac
  name=$(trim "$name") run=$(trim "$run") expected=$(trim "$expected") says=$(trim "$says")
  repo=$shared/$name
  git clone -q "$shared/origin.git" "$repo"
  (cd "$repo" && sh "$hook" --install >/dev/null)
  got=0
  (
    cd "$repo"
    eval "$steps"
    case $run in
      hook) git commit -qm "$name" ;;
      install) sh "$hook" --install ;;
      ci) git commit -qm "$name" --no-verify --allow-empty && bash --noprofile --norc -e "$shared/ci-step.sh" ;;
    esac
  ) >"$repo.out" 2>&1 || got=$?
  if [ "$got" != "$expected" ] || { [ -n "$says" ] && ! grep -qF -- "$says" "$repo.out"; }; then
    echo "$name: expected status $expected and '$says'; got status $got and:"
    cat "$repo.out"
    status=1
  fi
done <<'TABLE'
# case         | run     | steps in the clone                                                                | status | says
stale          | hook    | cp "$DATA/stale.bas" a.bas && git add a.bas                                       | 1      | then 'git add' them
fixed-unstaged | hook    | cp "$DATA/stale.bas" a.bas && git add a.bas && qmark update a.bas >/dev/null 2>&1 | 1      | a.bas:43: warning: parameter 'Hard'
clean          | hook    | cp "$DATA/stale.bas.updated" a.bas && git add a.bas                               | 0      |
any-name       | hook    | cp -- "$DATA/stale.bas" "-My Module.BAS" && git add -- "-My Module.BAS"           | 1      | -My Module.BAS:43: warning
no-qmark       | hook    | cp "$DATA/stale.bas.updated" a.bas && git add a.bas && PATH=$TOOLS                | 1      | 'qmark' is not on this hook's PATH
no-source      | hook    | echo notes > notes.txt && git add notes.txt && PATH=$TOOLS                        | 0      |
own-hook-kept  | install | echo '#!/bin/sh' > .git/hooks/pre-commit                                          | 1      | .git/hooks/pre-commit is already there
ci-stale       | ci      | git checkout -qb topic && cp "$DATA/stale.bas" a.bas && git add a.bas             | 123    | a.bas:43: warning: parameter 'Hard'
ci-clean       | ci      | git checkout -qb topic && cp "$DATA/stale.bas.updated" a.bas && git add a.bas     | 0      | every header in step
ci-no-change   | ci      | git checkout -qb topic && echo notes > notes.txt && git add notes.txt             | 0      |
ci-bad-base    | ci      | git checkout -qb topic && export GITHUB_BASE_REF=release                          | 128    | bad revision 'origin/release...HEAD'
TABLE
exit $status
