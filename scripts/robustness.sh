#!/usr/bin/env bash
# Random clicks on the real desktop program under Xvfb; see robustness.py.
set -euo pipefail
cd "$(dirname "$0")/.."
exec /usr/bin/python3 scripts/robustness.py "${1:-build/ui/quadrivane}"
