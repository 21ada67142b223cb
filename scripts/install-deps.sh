#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need on a Debian
# machine. Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev   # compilers, sanitizer and fuzzer runtimes
  libgtest-dev libgmock-dev libbenchmark-dev # tests and benchmarks
  libc-bin locales                            # iconv and localedef, for the code-page and locale tests
  python3 python3-dbf shapelib                # other programs' .dbf writers, for interop tests
  time coreutils                              # GNU time and sort, for the benchmark
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
