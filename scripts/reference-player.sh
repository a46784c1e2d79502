#!/usr/bin/env bash
# Builds the strong player as it was first shipped, for matches that measure
# later versions against it: quadrivane-cli from a pinned commit, spoken to
# through the engine protocol as an outside program. A built copy rather than
# a second copy of the code: the reference cannot drift, and the tree keeps
# one strong search.
#
#   scripts/reference-player.sh            # builds build/reference/quadrivane-cli
#   build/cli/quadrivane-cli match --first strong:movetime=200 \
#     --second "external:build/reference/quadrivane-cli engine --player strong:movetime=200"
set -euo pipefail
cd "$(dirname "$0")/.."
# The last commit with the first strong player and the engine protocol.
commit="${1:-7d7cba7}"
out="$PWD/build/reference"
src="$out/src-$commit"
if [ ! -x "$out/quadrivane-cli" ] || [ "$(cat "$out/commit" 2>/dev/null)" != "$commit" ]; then
  rm -rf "$src"
  mkdir -p "$src"
  git archive "$commit" | tar -x -C "$src"
  cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DQUADRIVANE_GUI=OFF \
    -DQUADRIVANE_BENCH=OFF >/dev/null
  cmake --build "$src/build" -j"$(nproc)" --target quadrivane-cli >/dev/null
  cp "$src/build/cli/quadrivane-cli" "$out/quadrivane-cli"
  echo "$commit" >"$out/commit"
fi
echo "$out/quadrivane-cli"
