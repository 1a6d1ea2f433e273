#!/bin/bash
# Every song of Debian's openttd-openmsx package rendered by `zbk render-midi` as a whole
# process, side by side with FluidSynth rendering the same song with TimGM6mb
# (fluidsynth -ni -F OUT -r 44100 -R 0 -C 0 TimGM6mb.sf2 SONG): the two run in turn, RUNS
# times a song, so that both meet the same load. Per song and bank it prints the medians
# of the wall seconds of each, the speed of ours as times real time, the median of the
# pairwise ratio fluidsynth / ours, and our largest peak resident memory (/usr/bin/time).
# Goals: ours at least 10 times FluidSynth's speed and 500 times real time on every song,
# under 30 MB.
#
# usage: bench/songs/render-midi-vs-fluidsynth.sh path/to/zbk [RUNS [BANKS]]
#   BANKS: demo (the demo bank), timgm6mb (a bank `zbk import-sf2` makes from TimGM6mb), or
#   both (the default). Writes into a temporary directory of its own.
set -euo pipefail
zbk=$(realpath "${1:?usage: $0 path/to/zbk [RUNS [BANKS]]}")
runs=${2:-3}
wanted=${3:-demo timgm6mb}
songs=/usr/share/games/openttd/baseset/openmsx
font=/usr/share/sounds/sf2/TimGM6mb.sf2
for need in "$songs" "$font" /usr/bin/fluidsynth /usr/bin/time; do
  [ -e "$need" ] || { echo "missing $need (openttd-openmsx, timgm6mb-soundfont, fluidsynth, time)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

banks=()
if [[ " $wanted " == *" demo "* ]]; then
  "$zbk" demo "$work/demo.zbk" > /dev/null
  banks+=(demo)
fi
if [[ " $wanted " == *" timgm6mb "* ]]; then
  "$zbk" import-sf2 "$font" -o "$work/timgm6mb.zbk" > /dev/null
  banks+=(timgm6mb)
fi

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs a command with its output thrown away; prints "wall_seconds peak_kb".
timed() {
  local start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/peak" "$@" > /dev/null 2>&1
  local end=$EPOCHREALTIME
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(cat "$work/peak")"
}

printf '%-10s %-32s %8s %9s %9s %9s %9s %8s\n' bank song song_s ours_s fluid_s x_real fluid/ours peak_MB
for bank in "${banks[@]}"; do
  for song in "$songs"/*.mid; do
    length=$("$zbk" render-midi "$work/$bank.zbk" "$song" -o "$work/ours.wav" | sed -n 's/.*the song lasts \([0-9.]*\) s.*/\1/p')
    : > "$work/ours"; : > "$work/fluid"; : > "$work/ratio"; peak=0
    for _ in $(seq "$runs"); do
      read -r ours kb < <(timed "$zbk" render-midi "$work/$bank.zbk" "$song" -o "$work/ours.wav")
      read -r fluid _ < <(timed fluidsynth -ni -F "$work/fluid.wav" -r 44100 -R 0 -C 0 "$font" "$song")
      echo "$ours" >> "$work/ours"; echo "$fluid" >> "$work/fluid"
      awk -v a="$ours" -v b="$fluid" 'BEGIN { print b / a }' >> "$work/ratio"
      [ "$kb" -gt "$peak" ] && peak=$kb
    done
    ours=$(median < "$work/ours"); fluid=$(median < "$work/fluid"); ratio=$(median < "$work/ratio")
    printf '%-10s %-32s %8.1f %9.3f %9.3f %9.0f %9.1f %8.1f\n' "$bank" "$(basename "$song")" "$length" "$ours" \
      "$fluid" "$(awk -v l="$length" -v t="$ours" 'BEGIN { print l / t }')" "$ratio" \
      "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
  done
done
