#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang++ and libFuzzer (-DQM_FUZZ=ON) and runs each for a bounded time:
#   fuzz/run.sh [SECONDS] [TARGET...]     (default 60 s; targets: profile registry qmark declaration sync styled_sync server)
# The build goes to build-fuzz/ and any crash reproducers to fuzz/out/; each run starts from the
# seeds in tests/data/fuzz/ and grows its corpus in a temp directory.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-profile registry qmark declaration sync styled_sync server}
out=$root/fuzz/out
build=$root/build-fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export TMPDIR="$work/"

CXX=${CXX_FUZZ:-clang++} cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_FUZZ=ON \
    -DQM_CORE_ONLY=ON -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF >/dev/null
names=""
for t in $targets; do
  case $t in
  profile|registry|qmark|declaration|sync|styled_sync|server) names="$names qm_${t}_fuzz" ;;
  *) echo "unknown target $t" >&2; exit 2 ;;
  esac
done
echo "building$names ..."
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $names >/dev/null

dict() {
  case $1 in
  profile) printf '"["\n"]"\n"="\n"\\x0D\\x0A"\n"\\x00"\n";"\n"\\""\n"General"\n"Comments Type"\n' ;;
  registry) printf '"Windows Registry Editor Version 5.00"\n"[HKEY_LOCAL_MACHINE\\\\"\n"[-HKEY_LOCAL_MACHINE\\\\"\n"\\"=\\""\n"=dword:"\n"=hex:"\n"=hex(2):"\n"@="\n"\\\\\\\\"\n"\\\\\\""\n' ;;
  declaration) printf '"Sub"\n"Function"\n"Property Get"\n"Optional"\n"ByVal"\n"ParamArray"\n" As "\n" _\\x0A"\n"\\x27"\n"Declare"\n"Lib"\n"operator"\n"template<"\n"::"\n"->"\n"(*"\n"[["\n"/*"\n"//"\n"const"\n"&&"\n"..."\n"\\""\n' ;;
  sync) printf '"//========================================================================\\x0A"\n"\\x27========================================================================\\x0D\\x0A"\n"  Public Sub "\n"  Purpose:"\n"  Parameters:"\n"  Returns:"\n"  History:"\n"------------------------------------------------------------------------"\n"      Long                 "\n"Optional "\n"#If VBA7 Then"\n"#Else"\n"#End If"\n"#if 0"\n"R\\"("\n"/*"\n"qmark: ignore"\n"\\x09"\n"\\x0D"\n' ;;
  styled_sync) printf '"/**"\n"*/"\n"///"\n"//!"\n"\x27@param "\n"@param"\n"\\\\param"\n"[in,out]"\n"@tparam"\n"@return"\n"@brief"\n"@code"\n"```"\n"<param name=\\""\n"</param>"\n"<summary>"\n"\x27\x27\x27"\n"{Long}"\n"qmark: ignore"\n"[style]"\n"cpp="\n"template<"\n"Function "\n' ;;
  server) printf '"Content-Length: "\n"\\x0D\\x0A\\x0D\\x0A"\n"{\\"jsonrpc\\":\\"2.0\\",\\"id\\":1,\\"method\\":\\"initialize\\"}"\n"\\x27========================================================================\\x0D\\x0A"\n"//========================================================================\\x0A"\n"  Public Sub "\n"  Parameters:"\n"      Long                 "\n"Sub "\n" _\\x0D\\x0A"\n"\\xC3\\xA9"\n"\\xF0\\x9F\\x98\\x80"\n"\\xEF\\xBB\\xBF"\n"\\x0D"\n' ;;
  qmark) printf '"{"\n"}"\n"["\n"]"\n"\\"name\\""\n"\\"purpose\\""\n"\\"returns\\""\n"\\"kind\\""\n"\\"access\\""\n"\\"parameters\\""\n"\\"optional\\""\n"\\"type\\""\n"\\"description\\""\n"\\"Function\\""\n"\\"Yes\\""\n"\\\\u"\n' ;;
  esac
}

summary=""
for t in $targets; do
  dict "$t" > "$work/$t.dict"
  mkdir -p "$work/corpus-$t"
  echo "running $t for $seconds s ..."
  status=0
  "$build/fuzz/${t}_fuzz" "$work/corpus-$t" "$root/tests/data/fuzz/${t}_fuzz" -dict="$work/$t.dict" \
      -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/$t-" \
      > "$work/$t.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")
  if [ "$status" -eq 0 ]; then
    result="$t: ${runs:-?} runs, no crash"
  else
    tail -n 40 "$work/$t.log"
    result="$t: CRASH after ${runs:-?} runs (exit $status); reproducer in $out/$t-*"
  fi
  echo "$result"
  summary="$summary$result
"
done
echo
printf '%s' "$summary"
