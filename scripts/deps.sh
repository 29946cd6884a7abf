# SPDX-License-Identifier: MIT
# Sourced by run.sh and test.sh: installs the Debian packages named in "$@" that are missing.
qm_need_packages() {
    missing=""
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "Missing Debian packages:$missing. Install them (as root: apt-get install$missing) and run again." >&2
        exit 1
    fi
    echo "Installing:$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

QM_BUILD_PACKAGES="cmake make g++ dpkg-dev pkg-config qt6-base-dev libqt6svg6 libgl-dev libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev"
