#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang++ and runs each for a bounded time:
#   fuzz/run.sh [SECONDS] [TARGET...]     (default 60 s; targets: profile registry qmark declaration)
# Binaries and any crash reproducers go to fuzz/out/; the corpora live in a temp directory.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-profile registry qmark declaration}
out=$root/fuzz/out
cxx=${CXX_FUZZ:-clang++}
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fno-sanitize-recover=undefined"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/obj" "$work/gen"
export TMPDIR="$work/"

# The version header CMake would generate.
version=$(sed -n 's/^project(Quillmark98 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
sed -e "s/@QM_VERSION_MAJOR@/$(echo "$version" | cut -d. -f1)/" \
    -e "s/@QM_VERSION_MINOR@/$(echo "$version" | cut -d. -f2)/" \
    -e "s/@QM_VERSION_PATCH@/$(echo "$version" | cut -d. -f3)/" \
    -e "s/@PROJECT_VERSION@/$version/" "$root/cmake/Version.h.in" > "$work/gen/Version.h"

echo "compiling the core with $cxx ..."
objs=""
pids=""
for src in "$root"/platform/*.cpp "$root"/settings/*.cpp "$root"/generator/*.cpp "$root"/reader/*.cpp \
           "$root"/app/qmark/QmarkCli.cpp "$root"/app/qmark/BlockCommands.cpp "$root"/app/qmark/DeclarationCommands.cpp \
           "$root"/app/qmark/ProcedureJson.cpp; do
  obj=$out/obj/$(echo "${src#"$root"/}" | tr / _).o
  $cxx $flags -fsanitize=fuzzer-no-link,address,undefined -I"$root" -I"$work/gen" -c "$src" -o "$obj" &
  objs="$objs $obj"
  pids="$pids $!"
  if [ "$(echo $pids | wc -w)" -ge 2 ]; then  # two at a time
    for p in $pids; do wait "$p"; done
    pids=""
  fi
done
for p in $pids; do wait "$p"; done

seed() {  # seed DIR NAME CONTENT (printf format)
  mkdir -p "$1"
  # shellcheck disable=SC2059
  printf "$3" > "$1/$2"
}

make_seeds() {
  dir=$work/seeds-$1
  case $1 in
  profile)
    seed "$dir" a 'General\0Personal Name\0Jones\0[General]\r\nComments Type=0\r\nPersonal Name=A. Developer\r\n'
    seed "$dir" b 'Param Types VB\0Param2\0Integer\0; settings\n[Param Types VB]\nNumber=2\nParam1="Long"\n\n[General]\nx=1\n'
    seed "$dir" c 'new\0k\0v\0[a]\rk = v \r[A]\rK=w\r'
    ;;
  registry)
    seed "$dir" a 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool]\r\n"Name"="text with \\"quotes\\" and \\\\ backslashes"\r\n"Count"=dword:0000002a\r\n@="default"\r\n'
    seed "$dir" b 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n"Blob"=hex:01,02,ff\n"Multi"=hex(7):61,00,00,00\n\n[-HKEY_LOCAL_MACHINE\\B]\n[HKEY_CURRENT_USER\\C]\n"x"="y"\n'
    ;;
  qmark)
    seed "$dir" a '{"name": "GetTotal", "purpose": "Adds up the lines of one order", "returns": "Currency; the order total", "kind": "Function", "access": "Public", "parameters": [{"name": "OrderID", "optional": "No", "type": "Long", "description": "Order to total"}, {"name": "IncludeTax", "optional": "Yes", "type": "Boolean", "description": "Add sales tax"}]}'
    seed "$dir" b '{"kind": "Property", "access": "Protected", "parameters": []}'
    seed "$dir" c '{"name": "\\u00e9t\\u00e9", "parameters": [{"type": "std::map<int, std::string>", "description": "a: b, c"}]}'
    ;;
  declaration)
    seed "$dir" a '\000Public Function GetTotal(ByVal OrderID As Long, _\r\n  Optional IncludeTax As Boolean = True) As Currency'
    seed "$dir" b '\000Private Declare PtrSafe Sub Sleep Lib "kernel32" Alias "SleepEx" (ByVal ms&, ParamArray a()) \047 note'
    seed "$dir" c '\001template <class T> [[nodiscard]] static std::map<int, T> const& Foo<T>::get(const char* s = "a,b", int (*cb)(char*) = nullptr) const noexcept -> int {'
    seed "$dir" d '\001protected: int (*signal(int sig, void (*func)(int)))(int) /* c */ ;'
    seed "$dir" e '\001explicit operator const char*() const; auto operator<=>(const A&) const = default;'
    ;;
  esac
}

dict() {
  case $1 in
  profile) printf '"["\n"]"\n"="\n"\\x0D\\x0A"\n"\\x00"\n";"\n"\\""\n"General"\n"Comments Type"\n' ;;
  registry) printf '"Windows Registry Editor Version 5.00"\n"[HKEY_LOCAL_MACHINE\\\\"\n"[-HKEY_LOCAL_MACHINE\\\\"\n"\\"=\\""\n"=dword:"\n"=hex:"\n"=hex(2):"\n"@="\n"\\\\\\\\"\n"\\\\\\""\n' ;;
  declaration) printf '"Sub"\n"Function"\n"Property Get"\n"Optional"\n"ByVal"\n"ParamArray"\n" As "\n" _\\x0A"\n"\\x27"\n"Declare"\n"Lib"\n"operator"\n"template<"\n"::"\n"->"\n"(*"\n"[["\n"/*"\n"//"\n"const"\n"&&"\n"..."\n"\\""\n' ;;
  qmark) printf '"{"\n"}"\n"["\n"]"\n"\\"name\\""\n"\\"purpose\\""\n"\\"returns\\""\n"\\"kind\\""\n"\\"access\\""\n"\\"parameters\\""\n"\\"optional\\""\n"\\"type\\""\n"\\"description\\""\n"\\"Function\\""\n"\\"Yes\\""\n"\\\\u"\n' ;;
  esac
}

summary=""
for t in $targets; do
  case $t in
  profile) src=ProfileFuzz.cpp ;;
  registry) src=RegistryFuzz.cpp ;;
  qmark) src=QmarkFuzz.cpp ;;
  declaration) src=DeclarationFuzz.cpp ;;
  *) echo "unknown target $t" >&2; exit 2 ;;
  esac
  echo "building $t ..."
  # shellcheck disable=SC2086
  $cxx $flags -fsanitize=fuzzer,address,undefined -I"$root" -I"$work/gen" \
       "$root/fuzz/$src" $objs -o "$out/${t}_fuzz"
  make_seeds "$t"
  dict "$t" > "$work/$t.dict"
  mkdir -p "$work/corpus-$t"
  echo "running $t for $seconds s ..."
  status=0
  "$out/${t}_fuzz" "$work/corpus-$t" "$work/seeds-$t" -dict="$work/$t.dict" \
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
