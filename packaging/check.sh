#!/bin/sh
# SPDX-License-Identifier: MIT
# check.sh BUILD_DIR: builds the Debian package, unpacks it into a throw-away root and runs
# what it installed; checks the install step's system-wide add-in list and runs lintian
# when it is there. Nothing outside a temporary folder is touched.
set -eu
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" XDG_RUNTIME_DIR="$work" HOME="$work/home" \
       LC_ALL=C.UTF-8

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quillmark_*_*.deb) || fail "no quillmark_<version>_<arch>.deb"
version=$(dpkg-deb -f "$deb" Version)
case "$(dpkg-deb -f "$deb" Depends)" in *libqt6widgets6*qt6-qpa-plugins*|*qt6-qpa-plugins*libqt6widgets6*) ;;
    *) fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)" ;; esac
dpkg-deb -x "$deb" "$work/root"
root=$work/root

# The installed programs run from the root, the add-in found beside quillmark there.
"$root/usr/bin/qmark" block --name X --date 2026-12-06 --developer D >"$work/block" || fail "qmark block"
grep -q "^'  Public Sub X" "$work/block" || fail "qmark block gives no block: $(cat "$work/block")"
"$build/app/qmark/qmark" block --name X --date 2026-12-06 --developer D | cmp -s - "$work/block" ||
    fail "the installed qmark writes other bytes than the built one"
[ "$("$root/usr/bin/quillmark" --version)" = "quillmark (Quillmark 98) $version" ] || fail "quillmark --version"
# The environment connects the add-in from the root's system-wide list alone; ended by a
# signal it disconnects it, which records DisplayOnConnect.
XDG_CONFIG_DIRS="$root/etc/xdg" QT_QPA_PLATFORM=offscreen "$root/usr/bin/quillmark" --environment \
    >"$work/env.log" 2>&1 &
pid=$!
i=0
until grep -q "$root/usr/lib/quillmark/addins/quillmark_addin.so" "/proc/$pid/maps" 2>/dev/null; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 $pid 2>/dev/null; then
        kill $pid 2>/dev/null
        fail "the add-in did not connect: $(cat "$work/env.log")"
    fi
    sleep 0.1
done
sleep 0.5
kill -TERM $pid
wait $pid || fail "the environment failed: $(cat "$work/env.log")"
grep -q '^DisplayOnConnect=0' "$XDG_CONFIG_HOME/quillmark/DEVivIv.conf" || fail "the add-in was not disconnected"

for page in qmark quillmark; do
    [ -f "$root/usr/share/man/man1/$page.1.gz" ] || fail "no manual page $page(1)"
    if command -v man >/dev/null; then
        out=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "$page(1): $out"
    fi
done
grep -qx 'Exec=quillmark' "$root/usr/share/applications/quillmark.desktop" || fail "no desktop entry"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/quillmark.svg" ] || fail "no icon"
grep -q '^ZI98VudAv.Connect=1$' "$root/etc/xdg/quillmark/vbaddin.ini" || fail "no system-wide add-in list"
dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles | grep -qx /etc/xdg/quillmark/vbaddin.ini ||
    fail "the system-wide list is no conffile"

# cmake --install into a DESTDIR: the manual pages, and the list beside the prefix.
DESTDIR="$work/dest" cmake --install "$build" --prefix /opt/qm >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
for f in opt/qm/share/man/man1/qmark.1.gz opt/qm/share/man/man1/quillmark.1.gz etc/xdg/quillmark/vbaddin.ini; do
    [ -f "$work/dest/$f" ] || fail "cmake --install left out /$f"
done

# An existing system-wide list only gains the entry it lacks.
list=$work/list/vbaddin.ini
while IFS='|' read -r before after; do
    mkdir -p "$work/list"
    rm -f "$list"
    [ "$before" = "-" ] || printf "$before" >"$list"
    cmake -DQM_ADDIN_LIST_DIR="$work/list" -DQM_ADDIN_LIST_TEMPLATE="$src/packaging/vbaddin.ini" \
          -P "$src/packaging/AddInList.cmake" >/dev/null
    printf "$after" | cmp -s - "$list" || fail "list '$before' became '$(cat "$list")'"
done <<ROWS
-|[Add-Ins32]\nZI98VudAv.Connect=1\n
[Add-Ins32]\r\nOther.Connect=0\r\n|[Add-Ins32]\r\nZI98VudAv.Connect=1\r\nOther.Connect=0\r\n
[Add-Ins32]\nzi98vudav.connect = 0\n|[Add-Ins32]\nzi98vudav.connect = 0\n
; kept\n[Other]\nx=1|; kept\n[Other]\nx=1\n[Add-Ins32]\nZI98VudAv.Connect=1\n
[add-ins32]|[add-ins32]\nZI98VudAv.Connect=1\n
ROWS

# Installing as a user who cannot write the system folder lists the add-in for that user.
# The test's temporary folder lies in the build tree, which that user may not reach (a build
# under /root): then this check is skipped.
nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$work" && mkdir -p "$work/sys" "$work/user" && chown 65534 "$work/user"
    if nobody test -w "$work/user"; then
        nobody env XDG_CONFIG_HOME="$work/user" \
            cmake -DQM_ADDIN_LIST_DIR="$work/sys/quillmark" -DQM_ADDIN_LIST_TEMPLATE="$src/packaging/vbaddin.ini" \
                  -DCMAKE_INSTALL_PREFIX="$root/usr" -P "$src/packaging/AddInList.cmake" >/dev/null
        grep -q '^ZI98VudAv.Connect=1' "$work/user/quillmark/vbaddin.ini" && [ ! -e "$work/sys/quillmark" ] ||
            fail "a user's install does not list the add-in for that user"
    else
        echo "skipped the unprivileged install: user 65534 cannot reach $work"
    fi
fi

if command -v lintian >/dev/null; then
    rc=0
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || rc=$?
    grep -v 'root privileges' "$work/lintian.log" || true
    [ "$rc" = 0 ] || fail "lintian reports errors"
fi
echo "package ok: $(basename "$deb")"
