#!/usr/bin/env bash
# Sets the machine up, builds, and runs the whole test suite.
# Usage: scripts/test.sh [preset]   (release by default; asan and tsan for the sanitizer builds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-release}
"$root/scripts/setup.sh" "$preset"
cd "$root"
ctest --preset "$preset" -j 2 --timeout 600
