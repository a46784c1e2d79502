#!/usr/bin/env bash
# Measures the ladder of levels with the match tool: each level against the
# one below, then prints the README's table (Elo against level 1 with its
# 95 % interval, added up pair by pair).
#
#   scripts/calibrate-levels.sh [FIRST [LAST]]
#   scripts/calibrate-levels.sh --table     (only the table, of the pairs kept)
#
# plays the pairs level N+1 against level N for N = FIRST..LAST (default
# 1..9) and keeps each pair's summary in $OUT/pair-N.json, so that some rows
# can be measured again (say the strong ones: scripts/calibrate-levels.sh 7)
# and the table is still made of every pair measured. Settings, from the
# environment: CLI (the quadrivane-cli to run, default build/cli/quadrivane-cli),
# OUT (default build/levels), GAMES (games a pair, default 200), SLOW_GAMES
# (for a pair whose upper level thinks 500 ms a move or more, default 100),
# CONCURRENCY (default 2), SEED (default 1). Matches on a clock depend on the
# machine and its load: the load average is kept with each pair.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${CLI:-build/cli/quadrivane-cli}"
out="${OUT:-build/levels}"
games="${GAMES:-200}"
slow_games="${SLOW_GAMES:-100}"
concurrency="${CONCURRENCY:-2}"
seed="${SEED:-1}"
table_only=0
if [[ "${1:-}" == --table ]]; then
  table_only=1
  set -- 1 1
fi
first="${1:-1}"
last="${2:-9}"
if [[ ! -x "$cli" ]]; then
  echo "calibrate-levels: $cli is not built (cmake --build build --target quadrivane-cli)" >&2
  exit 2
fi
if ! [[ "$first" =~ ^[1-9]$ && "$last" =~ ^[1-9]$ && "$first" -le "$last" ]]; then
  echo "calibrate-levels: the pairs are 1..9 (level N+1 against level N)" >&2
  exit 2
fi
mkdir -p "$out"

# The player a level is, as the match prints it.
player() {
  "$cli" match --help | sed -n "s/^  Level $1 ([^)]*) *//p"
}

for ((n = first; n <= last && !table_only; n++)); do
  upper="$(player $((n + 1)))"
  count="$games"
  if [[ "$upper" =~ movetime=([0-9]+) ]] && ((BASH_REMATCH[1] >= 500)); then
    count="$slow_games"
  fi
  load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
  echo "== level $((n + 1)) ($upper) against level $n ($(player "$n")), $count games," \
    "load $load_before" >&2
  start="$(date +%s)"
  "$cli" match --first "level:$((n + 1))" --second "level:$n" --games "$count" --openings 4 \
    --concurrency "$concurrency" --seed "$seed" 2>/dev/null >"$out/pair-$n.part"
  python3 - "$out/pair-$n.part" "$load_before" "$(cut -d' ' -f1-3 /proc/loadavg)" \
    "$(($(date +%s) - start))" >"$out/pair-$n.json" <<'EOF'
import json, sys
summary = json.load(open(sys.argv[1]))
summary.update(load_before=sys.argv[2], load_after=sys.argv[3], seconds=int(sys.argv[4]))
print(json.dumps(summary))
EOF
  rm -f "$out/pair-$n.part"
  python3 -c 'import json,sys; j=json.load(open(sys.argv[1])); print("   score %.1f %%, Elo %s %s, %d s, load after %s" % (j["score"], j["elo"], j["elo_95"], j["seconds"], j["load_after"]))' \
    "$out/pair-$n.json" >&2
done

python3 - "$out" "$($cli match --help)" <<'EOF'
import json, math, os, re, sys
out, help_text = sys.argv[1], sys.argv[2]
names = {}
for line in help_text.splitlines():
    m = re.match(r"  (Level (\d+) \(([^)]*)\)) +(\S+)$", line)
    if m:
        names[int(m.group(2))] = (m.group(3), m.group(4))
print("| Level | Player | Elo against level 1 (95 %) | Score against the level below | Games |")
print("|---|---|---|---|---|")
elo, variance, known = 0.0, 0.0, True
for n in range(1, 11):
    title, player = names[n]
    if n == 1:
        print(f"| {n} {title} | `{player}` | 0 | | |")
        continue
    path = os.path.join(out, f"pair-{n - 1}.json")
    if not os.path.exists(path):
        known = False
        print(f"| {n} {title} | `{player}` | not measured | | |")
        continue
    j = json.load(open(path))
    if j["first"] != player or j["second"] != names[n - 1][1]:
        known = False
        print(f"| {n} {title} | `{player}` | measured for other players: run again | | |")
        continue
    if j["elo"] is None or None in j["elo_95"]:
        known = False
    if known:
        # Pair by pair the intervals add up as independent errors.
        elo += j["elo"]
        half = (j["elo_95"][1] - j["elo_95"][0]) / 2
        variance += half * half
        total = f"{elo:.0f} ± {math.sqrt(variance):.0f}"
    else:
        total = "not finite"
    low, high = j["elo_95"]
    pair = f"{j['score']:.1f} % ({j['wins']}-{j['draws']}-{j['losses']}; Elo {j['elo']} [{low}, {high}])"
    print(f"| {n} {title} | `{player}` | {total} | {pair} | {j['games']} |")
EOF
