#!/usr/bin/env bash
# Installs what is missing, builds the release programs and starts ZBK-EDIT.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev > /dev/null
cmake --build build/release -j "$(nproc)"

if [ -x build/release/app/zbkedit ]; then
  exec build/release/app/zbkedit "$@"
fi
# Until the editor window exists, show the command-line tool on a bank it makes.
bank=build/release/example.zbk
build/release/cli/zbk new "$bank"
exec build/release/cli/zbk info "$bank"
