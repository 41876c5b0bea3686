# The Debian packages the build, the tests and the programs need; sourced by
# the start and test commands, which install whatever is missing.
ZINTREL_PACKAGES=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins
    libsqlite3-dev libssl-dev libxcb1-dev libxcb-keysyms1-dev liblz4-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool x11-utils x11-xserver-utils imagemagick fonts-dejavu-core
    clang libclang-rt-dev  # the .reg reader's fuzz run
    dpkg-dev lintian desktop-file-utils appstream xdg-utils fonts-liberation2
    trayer dbus-daemon chromium firefox-esr python3  # dbus-daemon: the StatusNotifier tray test's bus
    locales  # the sources the collation test makes its language locale from
    qt6-wayland  # running as a Wayland client
    sway swaybg wtype grim xdg-desktop-portal dbus-daemon dbus-bin  # the Wayland end-to-end tests
)

install_missing_packages() {
    local missing=() package
    for package in "${ZINTREL_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_zintrel() {
    cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$ROOT/build" -j"$(nproc)"
}
