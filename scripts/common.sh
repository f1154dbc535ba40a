# Shared by run.sh and test.sh: install what is missing, then configure and build.
# Sourced, not executed.

CORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CORVANE_BUILD="$CORVANE_ROOT/build"

# Debian packages the build and the tests need. Kept in one place so that
# run.sh and test.sh agree; extend it when a new dependency appears.
CORVANE_PACKAGES=(
    cmake g++ make pkg-config
    libgtest-dev googletest
    libbenchmark-dev
    # JUCE 7 and the system libraries Debian's JUCE builds against
    juce-modules-source libflac-dev libfreetype-dev libasound2-dev libx11-dev
    libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libpng-dev libjpeg-dev zlib1g-dev
    # The editor tests: a virtual X screen, window lookup and screenshots
    xvfb x11-utils imagemagick
    # Checking the LV2 bundle: strict Turtle, schema validation, lilv's view
    serdi sordi lilv-utils lv2-dev
)

# Installs only what is missing; a machine that has everything runs no apt at all.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    local jobs
    jobs=$(nproc 2>/dev/null || echo 2)
    cmake -S "$CORVANE_ROOT" -B "$CORVANE_BUILD" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$CORVANE_BUILD" --parallel "$jobs"
}
