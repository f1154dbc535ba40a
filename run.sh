#!/usr/bin/env bash
# Installs what is missing and builds everything, then:
#   ./run.sh                          renders the built-in demo phrase through
#                                     the eight factory presets into out/
#   ./run.sh render IN OUT [options]  runs the renderer, corvane-render
#   ./run.sh bench [options]          runs the component benchmark
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${CORVANE_PACKAGES[@]}"
configure_and_build

RENDERER="$CORVANE_BUILD/tools/render/corvane-render"
case "${1:-}" in
    "")
        "$RENDERER" --demo "$CORVANE_ROOT/out"
        ;;
    render)
        shift
        exec "$RENDERER" "$@"
        ;;
    bench)
        shift
        exec "$CORVANE_BUILD/bench/corvane_bench" "$@"
        ;;
    *)
        echo "usage: ./run.sh [render [options] IN OUT | bench [benchmark options]]" >&2
        exit 2
        ;;
esac
