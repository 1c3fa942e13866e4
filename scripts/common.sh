# Shared by the scripts: the Debian packages the project needs, installed when missing, and the
# build. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${VOLTERNE_BUILD_DIR:-$ROOT/build}
BUILD_OPTIONS=()

# Packages for building and testing (the tests read the PDF report back with poppler-utils); the
# demo adds Xvfb and a screenshot tool.
PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qcoro-qt6-dev
          libgl-dev qt6-translations-l10n poppler-utils)

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install ${missing[*]}"
        exit 1
    fi
}

build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "${BUILD_OPTIONS[@]}" >/dev/null
    cmake --build "$BUILD_DIR" -j"$(nproc)"
}
