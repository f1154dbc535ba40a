#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${CORVANE_PACKAGES[@]}"
configure_and_build
cd "$CORVANE_BUILD"
ctest --output-on-failure --parallel "$(nproc 2>/dev/null || echo 2)" "$@"
