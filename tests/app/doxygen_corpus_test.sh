#!/bin/sh
# SPDX-License-Identifier: MIT
# qmark check and update on real Doxygen-commented headers with planted changes: check reports
# exactly the planted ones and nothing on the untouched functions, update changes only those
# comments (the expected diff is updated.diff), a second update changes nothing, and Doxygen
# with its warnings on finds no parameter it cannot match afterwards (it does before).
# Usage: doxygen_corpus_test.sh QMARK CORPUS_DIR
set -eu
qmark=$1
corpus=$2
command -v doxygen >/dev/null || { echo "SKIP: doxygen is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for f in "$corpus"/*.txt; do cp "$f" "$(basename "$f" .txt)"; done
printf '[style]\ncpp=doxygen\n' >.quillmark
files="json_sax.hpp distances.h SocketAddress.h"
failed=0
fail() {
    printf 'FAIL: %s\n' "$*"
    failed=1
}

# shellcheck disable=SC2086
"$qmark" check $files >out 2>err || fail "check of the untouched corpus: status $?, $(cat out err)"

# file | change to its declaration (sed) | check's finding for it
while IFS='|' read -r file change finding; do
    sed -i "$change" "$file"
    echo "$file:$finding" >>expected
done <<'EOF'
json_sax.hpp|s/number_float(number_float_t val, const string_t\& s)/number_float(number_float_t val, const string_t\& raw)/|72: warning: documents parameter 's', which the declaration does not have
json_sax.hpp|/^ *const std::string\& last_token,$/d|133: warning: documents parameter 'last_token', which the declaration does not have
distances.h|s/Eigen::Vector4f \&pt2_seg);/Eigen::Vector4f \&pt2_seg, double eps);/|64: warning: parameter 'eps' is not documented
distances.h|0,/const PointType2\& p2)/s//const PointType2\& q)/|181: warning: documents parameter 'p2', which the declaration does not have
SocketAddress.h|s/uint16_t port, bool allowNameLookup = false) {/uint16_t port) {/|65: warning: documents parameter 'allowNameLookup', which the declaration does not have
SocketAddress.h|s/void setFromLocalPort(uint16_t port);/void setFromLocalPort(uint16_t prt);/|218: warning: documents parameter 'port', which the declaration does not have (did you mean 'prt'?)
EOF
sort -t: -k1,1 -k2n expected >expected.sorted
mkdir planted && cp $files planted/

doxygen_warnings() {
    printf 'INPUT = %s\nFILE_PATTERNS = *.h *.hpp\nQUIET = YES\nWARN_IF_DOC_ERROR = YES\n' "$1" >Doxyfile
    printf 'WARN_IF_INCOMPLETE_DOC = YES\nGENERATE_HTML = NO\nGENERATE_LATEX = NO\nGENERATE_XML = YES\n' >>Doxyfile
    printf 'XML_OUTPUT = %s/xml\nMACRO_EXPANSION = YES\nEXPAND_ONLY_PREDEF = YES\n' "$work" >>Doxyfile
    printf 'PREDEFINED = NLOHMANN_JSON_NAMESPACE_BEGIN="namespace nlohmann {" NLOHMANN_JSON_NAMESPACE_END="}" ' >>Doxyfile
    printf 'PCL_EXPORTS= FOLLY_HAVE_VSOCK=0\nALIASES = overloadbrief=@brief\n' >>Doxyfile
    doxygen Doxyfile 2>&1 | grep -E "of command [@\\]param|parameters? of " || true
}
[ -n "$(doxygen_warnings "$work/planted")" ] || fail "Doxygen sees nothing wrong with the planted changes"

# shellcheck disable=SC2086
status=0; "$qmark" check $files >out 2>err || status=$?
[ "$status" = 1 ] || fail "check of the planted changes: status $status"
sort -t: -k1,1 -k2n out | diff expected.sorted - || fail "check's findings"

# shellcheck disable=SC2086
"$qmark" update $files >out 2>err || fail "update: status $?, $(cat err)"
for f in $files; do
    echo "$f"
    diff -u "planted/$f" "$f" | tail -n +3
done >changes.diff
diff "$corpus/updated.diff" changes.diff || fail "the bytes update changed"
mkdir updated && cp $files updated/
# shellcheck disable=SC2086
"$qmark" update $files >out 2>err || fail "a second update: status $?"
for f in $files; do cmp -s "$f" "updated/$f" || fail "a second update changed $f"; done
# shellcheck disable=SC2086
"$qmark" check $files >out 2>err || fail "check after update: $(cat out)"
warnings=$(doxygen_warnings "$work")
[ -z "$warnings" ] || fail "Doxygen after update: $warnings"
[ "$failed" = 0 ] && echo "corpus: every planted change found and fixed"
exit "$failed"
