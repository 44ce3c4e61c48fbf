#!/usr/bin/env bash
# Builds and runs the DXF import benchmark: import / raw parse and ezdxf /
# import ratios are printed at the end (ezdxf cases skip without python3-ezdxf).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/release}
ninja -C "$build" -j2 bench_dxf
QT_QPA_PLATFORM=offscreen "$build/bench/bench_dxf" "$@"
