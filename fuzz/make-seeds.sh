#!/usr/bin/env bash
# Writes the seed inputs of the fuzz targets into fuzz/corpus/. The games are
# engine games of quadrivane-cli ("play-round", and "play" with two depth-2
# profiles, filled up to 64 moves), saved as Save writes them and then varied
# the ways people's files differ: line ends, blank lines, the end-of-file
# mark, lower case, one move too many. Run it again after changing it.
set -euo pipefail
cd "$(dirname "$0")/corpus"
mkdir -p savedgame boardtext

round="A,5 C,5 H,4 E,5 D,1 F,4 E,8 D,4 D,2 E,3 G,5 D,6 D,8 D,3 E,1 E,6 A,4 F,6 H,5"
played="A,5 D,1 D,7 F,4 C,6 B,3 D,5 E,6 D,3 B,4 G,3 E,7 D,2 D,8 E,1 E,5 A,7 F,6 F,2 F,7 B,5
  F,5 E,3 D,6 F,8 B,2 H,5 A,6 C,3 F,3 B,7 G,4 G,7 H,3 C,7 G,5 D,4 E,4 E,2 E,8 C,2 H,6 C,5
  G,2 B,1 A,4 A,3 C,1"
full="$played"
for point in {A..H},{1..8}; do
  case " $(echo $played) " in *" $point "*) ;; *) full="$full $point" ;; esac
done

# lines END MOVES...: one move a line, each followed by END.
lines() {
  local end="$1"
  shift
  for move in "$@"; do printf '%s%b' "$move" "$end"; done
}

g=savedgame
lines '\r\n' $round >$g/play-round-19.qdv
lines '\r\n' $played >$g/play-48.qdv
lines '\r\n' $full >$g/full-64-crlf.qdv
lines '\n' $full >$g/full-64-lf.qdv
lines '\r' $full >$g/full-64-cr.qdv
lines '\r\n' $full A,5 >$g/full-65-crlf.qdv
{ lines '\r\n' $round; printf '\x1a'; } >$g/eof-mark-after-last.qdv
{ lines '\r\n' A,5 C,5 H,4; printf '\x1aD,1\r\nbroken\r\n'; } >$g/eof-mark-then-junk.qdv
printf 'A,5\r\nC,\x1a5\r\n' >$g/eof-mark-inside-line.qdv
printf '\r\n\r\n  A,5\r\n\r\n\tC,5\n\n\rH,4\r\n   \r\n' >$g/blank-lines.qdv
printf 'A,5\r\nC,5\nH,4\rE,5\n\rD,1' >$g/mixed-line-ends.qdv
lines '\r\n' $round | tr 'A-H' 'a-h' >$g/lower-case.qdv
lines '\r\n' $round | sed '7s/E/e/' >$g/lower-case-line-7.qdv
printf 'A,5 opens\r\nC;5\r\nH 4 and more\r\n' >$g/trailing-text.qdv
printf 'A,5\r\nA,5\r\nA,5\r\n' >$g/same-point-three-times.qdv
printf 'A,5\r\nC,5\r\nH,0\r\n' >$g/row-0.qdv
printf 'A,5\r\n\r\nH,9\r\n' >$g/row-9.qdv
printf 'A,5\r\nC\r\n' >$g/too-short.qdv
printf 'A,5\r\nI,5\r\n' >$g/column-i.qdv
printf '\x00\x01 \t\r\n\x1f\x7f,5\r\n' >$g/control-bytes.qdv

b=boardtext
printf 'rr....../rr....../......../......../......../......../bbb...../b.......' >$b/readme.txt
printf 'RR....../Rr....../......../...B..../......../......../BBb...../b.......' >$b/upper-case.txt
printf 'rbrbrbrb\r\nbrbrbrbr\r\n\trbrbrbrb\n brbrbrbr/rbrbrbrb/brbrbrbr/rbrbrbrb/brbrbrbr\r\n' >$b/full-board.txt
printf 'rr....../rr....../......../......../......../......../bbb...../b......' >$b/63-cells.txt
printf 'rr....../rr....../......../......../......../......../bbb...../b........' >$b/65-cells.txt
printf 'rr....../rr....../......../......../......../......../bbb...../b.......x' >$b/bad-after-64.txt
