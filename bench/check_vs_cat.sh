#!/bin/sh
# SPDX-License-Identifier: MIT
# qmark check next to cat over the same files (the walk included in both), run in turns so a
# change in machine load hits both alike; the goal is check within 1.2 times cat. Prints the
# median wall time of each: bench/check_vs_cat.sh QMARK DIR [ROUNDS]
set -eu
qmark=$1
dir=$2
rounds=${3:-11}
times=$(mktemp)
trap 'rm -f "$times"' EXIT

now() { date +%s%N; }
catAll() {
    find "$dir" -name '.?*' -prune -o -type f \( -name '*.bas' -o -name '*.cls' -o -name '*.frm' -o -name '*.ctl' \
        -o -name '*.dsr' -o -name '*.pag' -o -name '*.dob' -o -name '*.h' -o -name '*.hh' -o -name '*.hpp' \
        -o -name '*.hxx' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.cxx' \) -print0 |
        xargs -0 cat >/dev/null
}

catAll
"$qmark" check "$dir" >/dev/null 2>&1 || true
i=0
while [ "$i" -lt "$rounds" ]; do
    start=$(now)
    catAll
    middle=$(now)
    "$qmark" check "$dir" >/dev/null 2>&1 || true
    end=$(now)
    echo "$(( (middle - start) / 1000 )) $(( (end - middle) / 1000 ))" >>"$times"
    i=$((i + 1))
done
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] / 1000 }'; }
cat=$(cut -d' ' -f1 "$times" | median)
check=$(cut -d' ' -f2 "$times" | median)
echo "cat $cat ms, qmark check $check ms (median of $rounds), ratio $(echo "$check $cat" | awk '{ printf "%.2f", $1 / $2 }')"
