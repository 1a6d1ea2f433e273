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

echo "== Windows build (MinGW-w64)"
cmake -S . -B "$dir" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DZBK_WITH_BENCH=OFF -DZBK_WITH_GUI=OFF > /dev/null
cmake --build "$dir" -j "$jobs"

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
"$wineserver" -k > /dev/null 2>&1 || true
"$wineserver" -p
trap '"$wineserver" -k > /dev/null 2>&1 || true' EXIT
"$wine" wineboot -i > /dev/null 2>&1

# Tests that run programs of this Linux machine (sox, python3) cannot run inside
# Windows; everything else runs as it does on Linux.
host_only="SoxWav.*:BankCommands.JsonCarriesTheWholeBank"

echo "== Windows tests under Wine"
failed=0
while IFS= read -r program; do
  echo "-- ${program#"$dir"/}"
  if ! timeout 600 "$wine" "$program" --gtest_brief=1 --gtest_filter="-$host_only"; then
    echo "FAILED under Wine: $program"
    failed=1
  fi
done < <(find "$dir" -name 'tests_*.exe' -not -path '*/_deps/*' | sort)
exit $failed
