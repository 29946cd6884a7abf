#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds contrib/vscode's .vsix with npm and vsce and checks what it holds:
#   vscode_package_test.sh ROOT OUTPUT_DIR
# Skipped, saying why, without npm or without the npm registry; a failing build fails.
set -eu
root=$1
out=$2
if ! command -v npm >/dev/null 2>&1; then
  echo "npm is missing; the VS Code package is not built"
  exit 77
fi
if ! timeout 30 npm ping >/dev/null 2>&1; then
  echo "the npm registry cannot be reached; the VS Code package is not built"
  exit 77
fi
tmp=${TMPDIR:-/tmp}
work=$tmp/vscode
rm -rf "$work"
cp -R "$root/contrib/vscode" "$work"
cd "$work"
export npm_config_cache="$tmp/npm-cache" npm_config_update_notifier=false
npm install --no-audit --no-fund --no-package-lock --loglevel=error
node --check extension.js
npx vsce ls > "$tmp/files"
for file in extension.js package.json README.md node_modules/vscode-languageclient/node.js; do
  if ! grep -qx "$file" "$tmp/files"; then
    echo "the package leaves out $file; it holds:"
    cat "$tmp/files"
    exit 1
  fi
done
if grep -q '^node_modules/@vscode/vsce/' "$tmp/files"; then
  echo "the package holds the build tools"
  exit 1
fi
npx vsce package --skip-license --out "$work/quillmark.vsix"
mkdir -p "$out"
cp "$work/quillmark.vsix" "$out/"
echo "built $out/quillmark.vsix"
