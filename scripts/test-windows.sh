#!/usr/bin/env bash
# Cross-builds the native 64-bit Windows programs with MinGW-w64 into build/windows and
# runs the test programs there under Wine, headless. scripts/test.sh ends with it; it
# also runs on its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# ZBK_WINDOWS_BUILD puts the build elsewhere.
dir=${ZBK_WINDOWS_BUILD:-build/windows}
jobs=$(nproc)

echo "== Windows build (MinGW-w64), by the commands README.md gives"
# The README's commands run as they stand there, so that they cannot drift from what
# works; only the build directory follows ZBK_WINDOWS_BUILD.
build_commands=$(sed -n '/^## Windows/,/^## [^W]/p' README.md | sed -n 's/^    \(cmake .*\)$/\1/p')
if [ "$(grep -c . <<< "$build_commands")" -ne 2 ]; then
  echo "README.md's Windows section does not give its two cmake commands"
  exit 1
fi
echo "$build_commands"
CMAKE_BUILD_PARALLEL_LEVEL=$jobs bash -euo pipefail -c "${build_commands//build\/windows/$dir}"

# A prefix of our own inside the build, without the .NET and HTML runtimes (which Wine
# would offer to download), without menu entries in the user's desktop, and without
# Wine's own diagnostics on the console.
export WINEPREFIX="$(realpath "$dir")/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
unset DISPLAY

# One server for every run (a fresh prefix takes some seconds to set up; later starts
# are quick while the server stays), ended on every way out.
mkdir -p "$WINEPREFIX"
"$wineserver" -k > /dev/null 2>&1 || true
"$wineserver" -p
trap '"$wineserver" -k > /dev/null 2>&1 || true' EXIT
"$wine" wineboot -i > /dev/null 2>&1
# Xvfb has no window manager: Wine would wait for one (two seconds) each time a
# top-level window goes away. Windows that Wine places itself need no such wait.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1

# Wine's sound driver plays through ALSA; its default device becomes a WAV file here, fed
# by a sink faster than real time, so that the wave-out tests hear what was played.
# Windows programs reach a file of this machine through drive Z:.
work="$(realpath "$dir")/wine-runs"
rm -rf "$work"
mkdir -p "$work"
capture="$work/wave-out.wav"
cat > "$work/alsa-file-device.conf" <<EOF
pcm.!default {
    type file
    slave { pcm { type null } }
    file "$capture"
    format "wav"
}
EOF
export ALSA_CONFIG_PATH="$work/alsa-file-device.conf"
export ZBK_WAVE_OUT_CAPTURE="Z:$capture"

# Tests that run programs of this Linux machine (sox, python3, midicsv) or read the files
# its packages install (suites named *OnHost) cannot run inside Windows; everything else
# runs as it does on Linux.
host_only="SoxWav.*:BankCommands.JsonCarriesTheWholeBank:*OnHost.*"

echo "== Windows tests under Wine"
failed=0
fail() {
  echo "FAILED under Wine: $*"
  failed=1
}
# The test programs this build makes (files of older builds may lie beside them); the
# window tests run later, on a display.
while IFS= read -r program; do
  case "$program" in tests/gui/tests_gui.exe | tests/editor/tests_editor.exe) continue ;; esac
  echo "-- $program"
  timeout 600 "$wine" "$dir/$program" --gtest_brief=1 --gtest_filter="-$host_only" || fail "$program"
done < <(ninja -C "$dir" -t targets all | grep -o '^[^:]*/tests_[a-z0-9_]*\.exe' | sort -u)

echo "== Windows programs under Wine"
# The Linux tool, to compare with (the release build's, or one built for it).
linux_build=${ZBK_LINUX_BUILD:-build/release}
if [ ! -x "$linux_build/cli/zbk" ]; then
  cmake -S . -B "$linux_build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$linux_build" -j "$jobs" --target zbk > /dev/null
fi
zbk_linux="$linux_build/cli/zbk"
zbk_windows() {
  timeout 60 "$wine" "$dir/cli/zbk.exe" "$@"
}

# The same bank, and the same rendered note, byte for byte on both systems.
zbk_windows demo "Z:$work/windows.zbk" > /dev/null || fail "zbk.exe demo"
"$zbk_linux" demo "$work/linux.zbk" > /dev/null
cmp "$work/windows.zbk" "$work/linux.zbk" || fail "zbk.exe demo writes another bank than zbk"
zbk_windows render "Z:$work/linux.zbk" --program 0 --note 60 -o "Z:$work/windows.wav" > /dev/null ||
  fail "zbk.exe render"
"$zbk_linux" render "$work/linux.zbk" --program 0 --note 60 -o "$work/linux.wav" > /dev/null
cmp "$work/windows.wav" "$work/linux.wav" || fail "zbk.exe render gives other bytes than zbk"
echo "-- zbk.exe demo and render: the same bytes as zbk on Linux"

# A Japanese file name reaches the file system whole: the manifest makes the program's
# code page UTF-8, so its arguments arrive as UTF-8 (Wine reads them in the locale's).
LANG=C.UTF-8 zbk_windows new "Z:$work/音色.zbk" > /dev/null || fail "zbk.exe new with a Japanese file name"
"$zbk_linux" info "$work/音色.zbk" > /dev/null 2>&1 || fail "zbk.exe new did not write the bank 音色.zbk"
echo "-- zbk.exe: a Japanese file name on the command line names the file"

# Live play: into the file device, and without any device a clear error.
# Once in a few dozen runs on a loaded machine the wine64 process itself died of a
# segmentation fault during play (inside Wine's sound driver; never reproduced on its
# own), so a run that dies of a signal is tried once more; a second crash fails.
zbk_windows_play() {
  local status=0
  zbk_windows play "$@" || status=$?
  if [ "$status" -ge 128 ]; then
    echo "zbk.exe play died of signal $((status - 128)) under Wine; trying once more"
    status=0
    zbk_windows play "$@" || status=$?
  fi
  return "$status"
}
zbk_windows_play "Z:$work/linux.zbk" --program 0 --note 69 --hold 0.3 > /dev/null || fail "zbk.exe play"
peak=$(sox "$capture" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }')
awk -v peak="${peak:-0}" 'BEGIN { exit !(peak > 0.1) }' || fail "zbk.exe play was not heard (peak ${peak:-none})"
if ALSA_CONFIG_PATH=/dev/null zbk_windows play "Z:$work/linux.zbk" --program 0 --note 69 \
    > /dev/null 2> "$work/play-without-device.txt"; then
  fail "zbk.exe play without a sound device reported success"
fi
grep -q "cannot open the sound device" "$work/play-without-device.txt" ||
  fail "zbk.exe play without a sound device: $(tail -1 "$work/play-without-device.txt")"
echo "-- zbk.exe play: heard through the wave-out services (peak $peak); without a device, refused"

echo "== Windows window tests and zbkedit.exe under Wine on Xvfb"
# A server started for the headless runs cannot open windows, so it ends first.
"$wineserver" -k > /dev/null 2>&1 || true
"$wineserver" -w || true
LANG=ja_JP.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' \
  bash scripts/windows-display-tests.sh "$dir" || fail "window tests or zbkedit.exe"

exit $failed
