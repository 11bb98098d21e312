# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# Sourced, not run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev qt6-translations-l10n libqt6sql6-sqlite fonts-liberation xvfb xauth libnlopt-cxx-dev nlohmann-json3-dev
          # the Debian package (CPack, dpkg-shlibdeps) and the checks of its desktop files
          dpkg-dev file desktop-file-utils appstream libxml2-utils shared-mime-info)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local SUDO=""
        [ "$(id -u)" -ne 0 ] && SUDO="sudo"
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# The build folder of each preset (the presets' binaryDir).
preset_dir() {
    case "$1" in
        release) echo build ;;
        *) echo "build-$1" ;;
    esac
}

configure_preset() {
    local preset="$1"
    bash "$ROOT/scripts/cache-etranger" "$ROOT" "$ROOT/$(preset_dir "$preset")"
    cmake --preset "$preset" >/dev/null
}

build_preset() {
    local preset="$1"; shift
    configure_preset "$preset"
    cmake --build --preset "$preset" "$@"
}

install_missing
