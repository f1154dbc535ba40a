#!/usr/bin/env bash
# Installs what is missing, builds, and runs the component benchmark.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${CORVANE_PACKAGES[@]}"
configure_and_build
"$CORVANE_BUILD/bench/corvane_bench" "$@"
