#!/usr/bin/env bash
# Builds and runs every test: a release build, a build with AddressSanitizer and
# UndefinedBehaviorSanitizer that stops at the first error, the core (the part
# without a window system) under ThreadSanitizer, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

echo "== the tree's style (.clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

jobs=$(nproc)
build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" > /dev/null
  cmake --build "$dir" -j "$jobs"
}
run_tests() {
  ctest --test-dir "$1" --output-on-failure --stop-on-failure -j "$jobs" --timeout 600
}

echo "== release build"
build build/release -DCMAKE_BUILD_TYPE=Release
run_tests build/release

echo "== installing the release build, as the README says"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/release --prefix "$prefix" > /dev/null
for file in bin/zbk bin/zbkedit share/applications/zbkedit.desktop \
    share/icons/hicolor/scalable/apps/zbkedit.svg share/man/man1/zbk.1; do
  [ -s "$prefix/$file" ] || { echo "cmake --install did not install $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/zbkedit.desktop"
"$prefix/bin/zbk" --version
# Every command's usage is in the manual page.
for command in $("$prefix/bin/zbk" --help | sed -n 's/^  \([a-z0-9-]*\) .*/\1/p'); do
  grep -q "usage: zbk $command" "$prefix/share/man/man1/zbk.1" ||
    { echo "the manual page lacks zbk $command"; exit 1; }
done

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
build build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZBK_WITH_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_tests build/asan

echo "== ThreadSanitizer build of the core"
build build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZBK_WITH_BENCH=OFF -DZBK_WITH_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
# ThreadSanitizer cannot map its shadow memory under this kernel's full address-space
# randomisation, so the tests run with randomisation off.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  setarch "$(uname -m)" -R ctest --test-dir build/tsan --output-on-failure --stop-on-failure -j "$jobs" --timeout 600

# The same tree as native Windows programs (MinGW-w64), their tests run under Wine.
bash scripts/test-windows.sh
